// What a GIF shows over time, as a viewer plays it once: the screen starts black, each image
// paints its opaque pixels over it, and its disposal acts when its delay is over (2 clears its
// rectangle to black, 3 puts back what the image covered). Nothing here knows the file format,
// so the timing and disposal rules can be checked on hand-made images.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace gifcompare {

inline constexpr uint32_t kClear = 0xFF000000u;  // a transparent pixel of an image

struct Image {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0xRRGGBB or kClear, rows top first
    int disposal = 0;
    uint32_t delay = 0;  // hundredths of a second
};

// Hands out the images of one file in order; false at the end or on an error (then `error`).
class ImageSource {
  public:
    virtual ~ImageSource() = default;
    virtual bool Next(Image& image) = 0;
    std::string error;
};

class Screen {
  public:
    Screen(int width, int height) : width_(width), pixels_(size_t(width) * height, 0) {}
    // Ends the image before (its disposal), then paints `image`, clipped to the screen.
    void Paint(const Image& image);
    const std::vector<uint32_t>& pixels() const { return pixels_; }

  private:
    struct Rect {
        int left = 0, top = 0, width = 0, height = 0;
    };
    Rect Clip(const Image& image) const;

    int width_;
    std::vector<uint32_t> pixels_;
    int pendingDisposal_ = 0;
    Rect pendingRect_;
    std::vector<uint32_t> covered_;  // what the image before covered, for disposal 3
};

// How many of the source frames, taken at k / fps seconds (k = 0, 1, ...), start before
// `hundredths` of the played time.
uint64_t FramesStartedBefore(uint64_t hundredths, unsigned fps);

struct PlayResult {
    uint64_t images = 0;
    uint64_t playedHundredths = 0;  // sum of the delays
    uint32_t framesAfterEnd = 0;  // source frames later than the file's end: shown its last picture
};

// Plays `source` on a width x height screen and calls `visit(k, screen)` once for every source
// frame k < `frames`, in order, with the picture shown at k / fps seconds.
PlayResult Play(ImageSource& source, int width, int height, unsigned fps, uint32_t frames,
                const std::function<void(uint32_t, const std::vector<uint32_t>&)>& visit);

}  // namespace gifcompare
