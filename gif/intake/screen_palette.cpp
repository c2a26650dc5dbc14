#include "gif/intake/screen_palette.h"

#include <algorithm>
#include <cstdlib>

#include "gif/base/pixel_runs.h"

namespace gif {
namespace {

// Edge colours weigh this much more in a palette than colours of photos and gradients.
constexpr uint32_t kEdgeWeight = 8;

}  // namespace

ScreenPalette::ScreenPalette(int quality)
    : tolerance_(Tolerance(quality)), lossless_(quality >= 100) {}

uint32_t ScreenPalette::Tolerance(int quality) {
    // About one and a half levels per channel at full quality: below what a screen shows
    // between neighbouring anti-aliasing steps. It grows with the square of the quality lost.
    const uint32_t lost = uint32_t(100 - std::clamp(quality, 1, 100));
    const uint32_t scale = 10 + lost;
    return 24 * scale * scale / 100;
}

void ScreenPalette::CountChanged(ColourRect now, const ColourRect* before, uint32_t w, uint32_t h) {
    changed_.Clear();
    unchanged_ = false;
    for (uint32_t y = 0; y < h; ++y) {
        const uint32_t* row = now.Row(y);
        const uint32_t* old = before ? before->Row(y) : nullptr;
        uint32_t x = 0;
        while (x < w) {
            if (old && row[x] == old[x]) {
                unchanged_ = true;
                x = MatchEnd(row, old, x + 1, w);
                continue;
            }
            // A run of one colour counts at once.
            const uint32_t colour = row[x];
            uint32_t end = x + 1;
            while (end < w && row[end] == colour && !(old && old[end] == colour)) ++end;
            const uint32_t count = end - x;
            const bool edge =
                (x > 0 && IsEdge(colour, row[x - 1])) || (end < w && IsEdge(colour, row[end]));
            changed_.Add(colour, count, edge ? count * kEdgeWeight : count);
            x = end;
        }
    }
}

bool ScreenPalette::GlobalServes(std::span<const CountedColour> colours, uint32_t tolerance) {
    for (const CountedColour& c : colours)
        if (ColourDistance(c.colour, global_.Entry(global_.Nearest(c.colour))) > tolerance)
            return false;
    return true;
}

void ScreenPalette::Map(ColourRect now, const ColourRect* before, ColourRect shown, uint32_t w,
                        uint32_t h, MutableColourRect out) {
    CountChanged(now, before, w, h);
    // Room for a transparent entry where some pixels stay as they are.
    const int entries = unchanged_ ? 255 : 256;
    const std::vector<CountedColour>& colours = changed_.Colours();
    PaletteMatcher* matcher = &global_;
    bool exact = false;
    if (!haveGlobal_) {
        global_.Reset(QuantiseColours(colours, 256, global_));
        haveGlobal_ = true;
    } else {
        // Colours that a table can hold exactly move only at a lower quality.
        const bool few = changed_.Exact() && colours.size() <= size_t(entries);
        if (!GlobalServes(colours, few && lossless_ ? 0 : tolerance_)) {
            exact = few;
            if (!exact) local_.Reset(QuantiseColours(colours, entries, local_));
            matcher = &local_;
        }
    }
    for (uint32_t y = 0; y < h; ++y) {
        const uint32_t* row = now.Row(y);
        const uint32_t* old = before ? before->Row(y) : nullptr;
        const uint32_t* kept = shown.Row(y);
        uint32_t* to = out.Row(y);
        uint32_t lastColour = 0xFFFFFFFFu, lastShown = 0;
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t colour = row[x];
            if (old && old[x] == colour) {
                to[x] = kept[x];
                continue;
            }
            if (colour != lastColour) {
                lastColour = colour;
                lastShown = exact ? colour : matcher->Entry(matcher->Nearest(colour));
            }
            to[x] = lastShown;
        }
    }
}

}  // namespace gif
