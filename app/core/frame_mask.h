// Parts of the screen that must not be recorded: gifrec's own feedback while a recording runs
// (its tray icon and that icon's tooltip).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/desktop.h"

namespace app {

// Paints over each of `hidden` (screen rectangles) where it meets `frame`, a grabbed 32-bit
// bottom-up BMP of the screen rectangle `region`. Every row of a hidden part takes the colour of
// the frame's pixel just left of it, or just right of it at the frame's left edge, or black when
// the part spans the whole row, so a flat or graded panel looks as if the part was not there.
// A frame of any other layout is left as it is.
void HideRects(std::vector<uint8_t>& frame, const platform::Rect& region,
               std::span<const platform::Rect> hidden);

}  // namespace app
