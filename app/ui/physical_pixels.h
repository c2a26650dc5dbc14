// Qt's own high-DPI scaling kept off: the capture region, the X11 grabber and every window of
// the recorder count in the screen's physical pixels, so one Qt pixel must be one screen pixel.
#pragma once

namespace app {

// Call before the QApplication is made; overrides any scale factor from the environment (which
// ui_scale.h keeps for the layout and the fonts).
void UsePhysicalPixels();

}  // namespace app
