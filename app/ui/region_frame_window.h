// A red 2-pixel outline on the pixels just outside the capture region, so the user sees what is
// recorded while the outline itself never is. Everything else of the window is see-through and
// clicks pass through it.
#pragma once

#include <QRect>
#include <QWidget>

#include "app/core/settings.h"

namespace app {

class RegionFrameWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kLine = 2;

    explicit RegionFrameWindow(const CaptureRegion& region);

    // The window's rectangle for a region: 2 pixels larger on every side.
    static QRect FrameGeometryFor(const CaptureRegion& region);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

}  // namespace app
