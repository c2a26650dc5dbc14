#include "app/ui/window_picker.h"

#include <QCoreApplication>

namespace app {

namespace {
const QString kPickCaption = QStringLiteral("采集");
}

WindowPicker::WindowPicker(platform::Desktop& desktop, MainWindowId mainWindow,
                           RegionWriter writeRegion, QObject* parent, QTimer* highlightTimer)
    : QObject(parent),
      desktop_(desktop),
      mainWindow_(std::move(mainWindow)),
      writeRegion_(std::move(writeRegion)),
      highlight_(highlightTimer) {
    if (!highlight_) {
        highlight_ = new QTimer(this);
        connect(highlight_, &QTimer::timeout, this, &WindowPicker::OnHighlightTick);
    }
    highlight_->setInterval(kHighlightMs);
}

bool WindowPicker::OverMainWindow(platform::WindowId window) {
    // Top levels are compared, never a window with a top level: a window manager's frame is the
    // main window's top level.
    platform::WindowId main = mainWindow_ ? mainWindow_() : platform::kNoWindow;
    if (window == platform::kNoWindow || main == platform::kNoWindow) return false;
    return desktop_.RootWindow(window) == desktop_.RootWindow(main);
}

void WindowPicker::OnModeButtonDown(const QString& caption) {
    if (caption == kPickCaption) highlight_->start();
}

void WindowPicker::Cancel() {
    highlight_->stop();
}

void WindowPicker::OnHighlightTick() {
    platform::WindowId window = desktop_.WindowUnderCursor();
    if (OverMainWindow(window)) return;
    // Let the windows below finish painting before the frame is drawn over them.
    QCoreApplication::processEvents();
    desktop_.FlashWindowFrame(window, kHighlightColour);
}

void WindowPicker::OnModeButtonUp(const QString& caption) {
    // Every release ends the highlighting, also one over our own window: a timer left running
    // would go on flashing whatever the pointer touches after the button is up.
    highlight_->stop();
    if (caption != kPickCaption) return;
    if (OverMainWindow(desktop_.WindowUnderCursor())) return;  // no pick: the region stays
    platform::WindowId window = desktop_.WindowUnderCursor();
    const CaptureRegion region = desktop_.WindowBounds(window).value_or(CaptureRegion{});
    if (writeRegion_) writeRegion_(region);
}

}  // namespace app
