#include "app/ui/region_selection_window.h"

#include "app/ui/ui_scale.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace app {

namespace {

constexpr int kEdge = 64;
const QColor kRed(255, 0, 0);

QFont ReadoutFont() {
    QFont font;
    font.setFamilies({QStringLiteral("新宋体"), QStringLiteral("NSimSun"),
                      QStringLiteral("WenQuanYi Micro Hei Mono"), QStringLiteral("monospace")});
    font.setPixelSize(Px(21));
    font.setWeight(QFont::Bold);
    return font;
}

}  // namespace

SelectionState& ProgramSelectionState() {
    static SelectionState state;
    return state;
}

QPoint ReadoutPosition(int cx, int cy, int sw, int sh) {
    bool nearRight = cx > sw - kEdge;
    bool clearOfRight = cx < sw - kEdge;
    bool nearBottom = cy > sh - kEdge;
    bool clearOfBottom = cy < sh - kEdge;
    if (clearOfRight && clearOfBottom) return {cx + 10, cy + 10};
    if (clearOfRight && nearBottom && cx > kEdge) return {cx - 56, cy - 50};
    if (nearRight && nearBottom) return {cx - 56, cy - 50};
    if (nearRight && clearOfBottom && cy > kEdge) return {cx - 56, cy - 50};
    if (nearRight && cy < kEdge) return {cx - 56, cy + 10};
    if (cx < kEdge && nearBottom) return {cx + 10, cy - 50};
    return {0, 0};
}

RegionSelectionWindow::RegionSelectionWindow(const QPixmap& frozenScreen, SelectionState& state,
                                             QWidget* parent)
    : QDialog(parent,
              Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint),
      frozen_(frozenScreen),
      state_(state) {
    setModal(true);
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    QSize screen = QGuiApplication::primaryScreen()->size();
    setGeometry(0, 0, screen.width(), screen.height());
}

void RegionSelectionWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Without a window manager's help the window only gets Escape through a grab.
    activateWindow();
    grabKeyboard();
}

void RegionSelectionWindow::done(int result) {
    releaseKeyboard();
    state_.selDragging = false;
    QDialog::done(result);
}

void RegionSelectionWindow::OnSelectionLeftDown(int x, int y) {
    state_.selDragging = true;
    state_.selStartX = static_cast<int16_t>(x);
    state_.selStartY = static_cast<int16_t>(y);
}

void RegionSelectionWindow::OnSelectionMove(int x, int y) {
    showRectangle_ = state_.selDragging;
    if (state_.selDragging) {
        state_.selEndX = static_cast<int16_t>(x);
        state_.selEndY = static_cast<int16_t>(y);
    }
    pointer_ = QPoint(x, y);
    update();
}

void RegionSelectionWindow::OnSelectionLeftUp(int x, int y) {
    state_.selDragging = false;
    auto sort = [](int16_t released, int16_t& start, int16_t& end) {
        if (released < start) {
            end = start;
            start = released;
        } else {
            end = released;
        }
    };
    sort(static_cast<int16_t>(x), state_.selStartX, state_.selEndX);
    sort(static_cast<int16_t>(y), state_.selStartY, state_.selEndY);
    WriteRegion(state_.selStartX, state_.selStartY, state_.selEndX, state_.selEndY);
    accept();
}

void RegionSelectionWindow::OnSelectionRightDown() {
    WriteRegion(state_.selStartX, state_.selStartY, state_.selEndX, state_.selEndY);
    accept();
}

void RegionSelectionWindow::WriteRegion(int left, int top, int right, int bottom) {
    chosen_ = CaptureRegion{left, top, right, bottom};
}

void RegionSelectionWindow::mousePressEvent(QMouseEvent* event) {
    QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) OnSelectionLeftDown(at.x(), at.y());
    if (event->button() == Qt::RightButton) OnSelectionRightDown();
}

void RegionSelectionWindow::mouseMoveEvent(QMouseEvent* event) {
    QPoint at = event->position().toPoint();
    OnSelectionMove(at.x(), at.y());
}

void RegionSelectionWindow::mouseReleaseEvent(QMouseEvent* event) {
    QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) OnSelectionLeftUp(at.x(), at.y());
}

void RegionSelectionWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.drawPixmap(0, 0, frozen_);
    if (!pointer_) return;
    painter.setPen(QPen(kRed, 1));
    painter.setBrush(Qt::NoBrush);
    if (showRectangle_) {
        painter.drawRect(QRect(QPoint(state_.selStartX, state_.selStartY),
                               QPoint(state_.selEndX, state_.selEndY))
                             .normalized());
    }
    painter.drawLine(0, pointer_->y(), width(), pointer_->y());
    painter.drawLine(pointer_->x(), 0, pointer_->x(), height());
    PaintReadout(painter);
}

void RegionSelectionWindow::PaintReadout(QPainter& painter) const {
    QPoint at = ReadoutPosition(pointer_->x(), pointer_->y(), width(), height());
    painter.setFont(ReadoutFont());
    QString text = QStringLiteral("%1\n%2").arg(pointer_->x()).arg(pointer_->y());
    painter.drawText(QRect(at, Px(200, 60)), Qt::AlignLeft | Qt::AlignTop, text);
}

std::optional<CaptureRegion> SelectRegion(QWidget* parent, platform::Desktop* desktop) {
    QScreen* screen = QGuiApplication::primaryScreen();
    const bool placeable = !desktop || desktop->CanPlaceOverlays();
    QPixmap frozen;
    if (placeable) {
        frozen = screen->grabWindow(0, 0, 0, screen->size().width(), screen->size().height());
    } else {
        // The cast's current frame; a window of ours can only cover the screen as a full-screen
        // one.
        const platform::Size size = desktop->ScreenSize();
        const std::vector<uint8_t> bmp = desktop->FrameGrabber(0, 0, size.width, size.height);
        frozen.loadFromData(bmp.data(), uint(bmp.size()), "BMP");
    }
    RegionSelectionWindow window(frozen, ProgramSelectionState(), parent);
    if (!placeable) window.setWindowState(Qt::WindowFullScreen);
    window.exec();
    return window.ChosenRegion();
}

}  // namespace app
