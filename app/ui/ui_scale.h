// The windows' fixed layout is drawn for 96 dpi. With Qt's own scaling off (physical_pixels.h),
// fonts still follow the screen's DPI (Xft.dpi), so every fixed position and size is scaled by
// the same factor here: the layout grows with its texts and nothing overlaps or is cut off.
// Pictures that are content (the watermark strip, the cursor mark, capture regions) stay in
// physical pixels.
#pragma once

#include <QRect>
#include <QSize>

class QApplication;

namespace app {

// The screen's logical DPI over 96, times the scale factor the user asked Qt for.
double UiScale();

// A 96-dpi length, position or rectangle at the current scale. Rectangles scale their edges, so
// controls that touch at 96 dpi still touch.
int Px(int length);
QRect Px(int left, int top, int width, int height);
QSize Px(int width, int height);

// What the user asked of Qt's scaling (QT_SCALE_FACTOR), which physical pixels rule out:
// remembered before the variable is cleared, and applied to the fonts and this layout instead.
void RememberUserScaleFactor();
void ApplyUserScaleFactor(QApplication& application);

}  // namespace app
