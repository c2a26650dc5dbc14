#include "app/ui/region_selection_window.h"

#include "app/ui/ui_scale.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QtEndian>

#include <cmath>
#include <cstring>

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
                                             QWidget* parent, QRect area)
    : QDialog(parent,
              Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint),
      frozen_(frozenScreen),
      state_(state),
      area_(area.isEmpty() ? QRect(QPoint(0, 0), QGuiApplication::primaryScreen()->size()) : area) {
    setModal(true);
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(area_);
}

QPoint RegionSelectionWindow::ToScreen(QPointF windowPoint) const {
    const double sx = width() > 0 ? double(area_.width()) / width() : 1.0;
    const double sy = height() > 0 ? double(area_.height()) / height() : 1.0;
    // The pointer reaches a Wayland client in 1/256ths of its pixels: a point of the output's
    // pixel grid may arrive a hair short of it, which must not drop it to the pixel before.
    constexpr double kSlack = 1.0 / 64;
    return area_.topLeft() + QPoint(int(std::floor(windowPoint.x() * sx + kSlack)),
                                    int(std::floor(windowPoint.y() * sy + kSlack)));
}

QPoint RegionSelectionWindow::ToWindow(QPoint screenPoint) const {
    const QPoint in = screenPoint - area_.topLeft();
    const double sx = area_.width() > 0 ? double(width()) / area_.width() : 1.0;
    const double sy = area_.height() > 0 ? double(height()) / area_.height() : 1.0;
    return QPoint(int(std::lround(in.x() * sx)), int(std::lround(in.y() * sy)));
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
    QPoint at = ToScreen(event->position());
    if (event->button() == Qt::LeftButton) OnSelectionLeftDown(at.x(), at.y());
    if (event->button() == Qt::RightButton) OnSelectionRightDown();
}

void RegionSelectionWindow::mouseMoveEvent(QMouseEvent* event) {
    QPoint at = ToScreen(event->position());
    OnSelectionMove(at.x(), at.y());
}

void RegionSelectionWindow::mouseReleaseEvent(QMouseEvent* event) {
    QPoint at = ToScreen(event->position());
    if (event->button() == Qt::LeftButton) OnSelectionLeftUp(at.x(), at.y());
}

void RegionSelectionWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    // The picture's pixels are the screen's: on a scaled output it fills the window at the
    // output's own resolution, so it stays sharp.
    painter.drawPixmap(rect(), frozen_);
    if (!pointer_) return;
    painter.setPen(QPen(kRed, 1));
    painter.setBrush(Qt::NoBrush);
    if (showRectangle_) {
        painter.drawRect(QRect(ToWindow(QPoint(state_.selStartX, state_.selStartY)),
                               ToWindow(QPoint(state_.selEndX, state_.selEndY)))
                             .normalized());
    }
    const QPoint at = ToWindow(*pointer_);
    painter.drawLine(0, at.y(), width(), at.y());
    painter.drawLine(at.x(), 0, at.x(), height());
    PaintReadout(painter);
}

void RegionSelectionWindow::PaintReadout(QPainter& painter) const {
    // Turned away from the edges of the monitor the pointer is on, not of the whole area.
    QRect monitor = area_;
    for (const QRect& candidate : monitors_) {
        if (candidate.contains(*pointer_)) monitor = candidate;
    }
    const QPoint in = *pointer_ - monitor.topLeft();
    const QPoint at = ToWindow(monitor.topLeft() +
                               ReadoutPosition(in.x(), in.y(), monitor.width(), monitor.height()));
    painter.setFont(ReadoutFont());
    QString text = QStringLiteral("%1\n%2").arg(pointer_->x()).arg(pointer_->y());
    painter.drawText(QRect(at, Px(200, 60)), Qt::AlignLeft | Qt::AlignTop, text);
}

namespace {

// The BMP of a grab (bottom-up rows of blue, green, red, 0) as a picture.
QImage PictureOfGrab(const std::vector<uint8_t>& bmp, int width, int height) {
    if (bmp.size() < 54 + size_t(width) * size_t(height) * 4) return {};
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = bmp.data() + 54 + size_t(height - 1 - y) * size_t(width) * 4;
        // Blue, green, red, 0 in memory is 0x00RRGGBB read little-endian: opaque once the top
        // byte is set. One pass a row, which the compiler turns into vector code.
        auto* out = reinterpret_cast<uint32_t*>(picture.scanLine(y));
        std::memcpy(out, row, size_t(width) * 4);
        for (int x = 0; x < width; ++x) out[x] = qFromLittleEndian(out[x]) | 0xFF000000u;
    }
    return picture;
}

// The toolkit's screen that shows the recorded monitor (which need not be the one with the
// focus): where the desktop tells its place, the screen there; else the one screen of its size in
// device pixels, if only one has it.
QScreen* RecordedScreen(platform::Desktop& desktop, QSize pixels) {
    const std::optional<platform::Point> origin = desktop.GrabbedMonitorOrigin();
    QScreen* found = nullptr;
    int matches = 0;
    for (QScreen* candidate : QGuiApplication::screens()) {
        const QRect g = candidate->geometry();
        const bool match = origin ? g.topLeft() == QPoint(origin->x, origin->y)
                                  : (g.size() * candidate->devicePixelRatio()) == pixels;
        if (match) {
            found = candidate;
            ++matches;
        }
    }
    return matches == 1 ? found : nullptr;
}

QRect ToQRect(const platform::Rect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

}  // namespace

FrozenScreen FreezeScreen(platform::Desktop* desktop) {
    QScreen* screen = QGuiApplication::primaryScreen();
    FrozenScreen frozen;
    frozen.area = QRect(QPoint(0, 0), screen->size());
    if (!desktop) {
        frozen.picture = screen->grabWindow(0, 0, 0, frozen.area.width(), frozen.area.height());
        return frozen;
    }
    frozen.placeable = desktop->CanPlaceOverlays();
    // The cast's monitor counts in the stream's pixels, known once the cast runs.
    if (!frozen.placeable) desktop->PrepareCapture();
    const std::vector<platform::Monitor> all = desktop->Monitors();
    for (const platform::Monitor& monitor : all) frozen.monitors.append(ToQRect(monitor.rect));
    // A window of ours covers every monitor where it can be placed, else the cast's one as a
    // full-screen window.
    frozen.area =
        ToQRect(frozen.placeable ? platform::BoundingRect(all) : desktop->PrimaryScreen());
    if (!frozen.placeable) frozen.screen = RecordedScreen(*desktop, frozen.area.size());
    const QRect& a = frozen.area;
    std::vector<uint8_t> bmp;
    if (desktop->GrabInto(a.left(), a.top(), a.width(), a.height(), bmp))
        frozen.picture = QPixmap::fromImage(PictureOfGrab(bmp, a.width(), a.height()));
    return frozen;
}

std::optional<CaptureRegion> SelectRegion(QWidget* parent, platform::Desktop* desktop) {
    const FrozenScreen frozen = FreezeScreen(desktop);
    RegionSelectionWindow window(frozen.picture, ProgramSelectionState(), parent, frozen.area);
    window.SetMonitors(frozen.monitors);
    if (frozen.screen) window.setScreen(frozen.screen);
    if (!frozen.placeable) window.setWindowState(Qt::WindowFullScreen);
    window.exec();
    return window.ChosenRegion();
}

}  // namespace app
