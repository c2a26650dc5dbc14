#include "app/ui/cursor_overlay_window.h"

#include <QBitmap>
#include <QCursor>
#include <QPainter>
#include <QPolygon>

namespace app {

namespace {

constexpr QRgb kBackground = qRgb(255, 0, 255);

QPolygon ArrowOutline() {
    return QPolygon({QPoint(0, 0), QPoint(0, 16), QPoint(4, 12), QPoint(7, 19), QPoint(9, 18),
                     QPoint(6, 11), QPoint(11, 11)});
}

}  // namespace

QImage CursorOverlayWindow::ArrowPicture() {
    QImage picture(kWidth, kHeight, QImage::Format_RGB32);
    picture.fill(kBackground);
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawPolygon(ArrowOutline());
    return picture;
}

CursorOverlayWindow::CursorOverlayWindow(PointerSource pointer)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                           Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus),
      pointer_(std::move(pointer)),
      arrow_(ArrowPicture()) {
    if (!pointer_) pointer_ = [] { return std::optional<QPoint>(QCursor::pos()); };
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(kWidth, kHeight);
    // Only the arrow is shown; around it the recorded screen shows through.
    QBitmap mask(kWidth, kHeight);
    mask.clear();
    QPainter painter(&mask);
    painter.setPen(QPen(Qt::color1, 1));
    painter.setBrush(Qt::color1);
    painter.drawPolygon(ArrowOutline());
    painter.end();
    setMask(mask);
    follower_.setInterval(kFollowMs);
    follower_.setTimerType(Qt::PreciseTimer);
    connect(&follower_, &QTimer::timeout, this, &CursorOverlayWindow::FollowPointer);
}

CursorOverlayWindow::~CursorOverlayWindow() {
    follower_.stop();
}

void CursorOverlayWindow::FollowPointer() {
    if (std::optional<QPoint> at = pointer_(); at && pos() != *at) move(*at);
}

void CursorOverlayWindow::showEvent(QShowEvent* event) {
    FollowPointer();
    follower_.start();
    QWidget::showEvent(event);
}

void CursorOverlayWindow::closeEvent(QCloseEvent* event) {
    // The follower ends before the window goes.
    follower_.stop();
    QWidget::closeEvent(event);
}

void CursorOverlayWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, arrow_);
}

}  // namespace app
