#include "app/ui/region_frame_window.h"

#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cstdint>

namespace app {

RegionFrameWindow::RegionFrameWindow(const CaptureRegion& region)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                           Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setGeometry(FrameGeometryFor(region));
}

QRect RegionFrameWindow::FrameGeometryFor(const CaptureRegion& region) {
    // In 64 bits, and kept to what a window can be: the region fields can hold any values.
    static constexpr int64_t kLimit = int64_t{1} << 24;
    auto fit = [](int64_t value) { return static_cast<int>(std::clamp(value, -kLimit, kLimit)); };
    const int64_t left = int64_t{region.left} - kLine;
    const int64_t top = int64_t{region.top} - kLine;
    // A region without area (a click without a drag) still gets a visible outline.
    const int64_t width = std::max<int64_t>(region.right - left + kLine, 2 * kLine);
    const int64_t height = std::max<int64_t>(region.bottom - top + kLine, 2 * kLine);
    return QRect(fit(left), fit(top), fit(width), fit(height));
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
