// Qt's own high-DPI scaling kept off: the capture region, the X11 grabber and every window of
// the recorder count in the screen's physical pixels, so one Qt pixel must be one screen pixel.
#pragma once

namespace app {

// Call before the QApplication is made; overrides any scale factor from the environment (which
// ui_scale.h keeps for the layout and the fonts).
void UsePhysicalPixels();

// Before the QApplication is made, for a session whose screen comes from a Wayland compositor:
// there our windows are never placed at screen pixels, and grabs count the stream's pixels, so
// Qt keeps its own scaling and the windows are drawn sharp on a scaled output. The region
// selection maps its pointer to the stream's pixels itself.
void UseCompositorScaling();

}  // namespace app
