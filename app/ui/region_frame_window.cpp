#include "app/ui/region_frame_window.h"

#include <QPainter>
#include <QRegion>

#include <algorithm>

namespace app {

RegionFrameWindow::RegionFrameWindow(const CaptureRegion& region)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                           Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setGeometry(FrameGeometryFor(region));
}

QRect RegionFrameWindow::FrameGeometryFor(const CaptureRegion& region) {
    int left = region.left - kLine;
    int top = region.top - kLine;
    // A region without area (a click without a drag) still gets a visible outline.
    int width = std::max(region.right - left + kLine, 2 * kLine);
    int height = std::max(region.bottom - top + kLine, 2 * kLine);
    return QRect(left, top, width, height);
}

void RegionFrameWindow::resizeEvent(QResizeEvent* event) {
    // Only the outline belongs to the window; the inside shows, and grabs, what lies below.
    QRegion outer(rect());
    QRegion inner(rect().adjusted(kLine, kLine, -kLine, -kLine));
    setMask(outer.subtracted(inner));
    QWidget::resizeEvent(event);
}

void RegionFrameWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(255, 0, 0));
}

}  // namespace app
