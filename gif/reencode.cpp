#include "gif/reencode.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

#include "gif/gif_player.h"
#include "gif/gif_reader.h"
#include "gif/io/byte_sink.h"

namespace gif {
namespace {

// One picture held back until the time of the pictures merged into it is known.
struct Pending {
    std::vector<uint32_t> rows;  // bottom row first, as a 32-bit DIB lays them out
    uint32_t delay = 0;
    std::string comment;
};

void KeepPicture(const GifPlayer& player, Pending& pending) {
    const uint32_t w = player.Width(), h = player.Height();
    pending.rows.resize(size_t{w} * h);
    const uint32_t* screen = player.Screen().data();
    for (uint32_t y = 0; y < h; ++y) {
        uint32_t* to = pending.rows.data() + size_t{w} * (h - 1 - y);
        const uint32_t* from = screen + size_t{w} * y;
        // What nothing shows is black, as a viewer without a background shows it.
        for (uint32_t x = 0; x < w; ++x) to[x] = from[x] & 0xFFFFFF;
    }
    pending.delay = player.Delay();
    pending.comment = player.Comment();
}

bool AddPending(GifMaker& maker, const Pending& pending, uint32_t w, uint32_t h) {
    FrameInfo info;
    info.DelayTime = uint16_t(std::min<uint32_t>(pending.delay, 65535));
    info.exposition = pending.comment;
    // 0x00RRGGBB in memory is blue, green, red and a spare byte: a 32-bit DIB row.
    const PixelView view{w, h, size_t{w} * 4, 4,
                         reinterpret_cast<const uint8_t*>(pending.rows.data())};
    return maker.AddPicture(info, view);
}

bool Reencode(std::span<const uint8_t> in, const ReencodeOptions& options,
              std::vector<uint8_t>& out, LibraryError& error, const ReencodeProgress& progress) {
    GifReader reader;
    if (!reader.LoadGif(std::nullopt, in)) {
        error = LibraryError(reader.GetErrorCode());
        return false;
    }
    if (reader.FrameCount() == 0) {
        error = LibraryError(ErrorCode::NoImages);
        return false;
    }
    const AnimationInfo source = reader.GetGifInfo();
    AnimationInfo info;
    info.LOOP = source.LOOP;
    info.LoopCount = source.LoopCount;
    info.exposition = source.exposition;
    GifMaker maker;
    if (!maker.Create(info)) throw std::bad_alloc();
    maker.SetOptions(options.maker);
    GifPlayer player(reader);
    const uint32_t step = std::max<uint32_t>(1, options.frameStep);
    const uint32_t total = reader.FrameCount();
    Pending pending;
    bool havePending = false;
    for (uint32_t index = 0; player.Next(); ++index) {
        if (havePending && index % step != 0) {
            pending.delay += player.Delay();
            continue;
        }
        if (havePending && !AddPending(maker, pending, player.Width(), player.Height())) {
            error = LibraryError(maker.GetErrorCode());
            return false;
        }
        KeepPicture(player, pending);
        havePending = true;
        if (progress && index % 16 == 0) progress(index, total);
    }
    if (player.Error().Code() != ErrorCode::NoError) {
        error = LibraryError(player.Error().Code());
        return false;
    }
    if (!AddPending(maker, pending, player.Width(), player.Height())) {
        error = LibraryError(maker.GetErrorCode());
        return false;
    }
    MemorySink sink;
    if (!maker.SaveGif(sink)) {
        error = LibraryError(maker.GetErrorCode());
        return false;
    }
    out = std::move(sink.bytes);
    return true;
}

struct Trade {
    int quality;
    uint32_t frameStep;
    uint32_t scalePercent;
    double expected;  // roughly the size it gives, as a share of the full-quality file
};

// Quality first, down to a floor that still reads well; then frames; then size. A recording
// of scrolling loses less to fewer frames than to a smaller picture, since every frame left
// holds more change: the shares below were measured on such recordings.
constexpr Trade kTrades[] = {
    {70, 1, 100, 0.95}, {40, 1, 100, 0.88}, {40, 2, 100, 0.58}, {40, 2, 75, 0.37},
    {40, 3, 75, 0.29},  {40, 2, 60, 0.26},  {40, 2, 50, 0.19},  {40, 3, 50, 0.15},
    {40, 4, 35, 0.072}, {40, 6, 25, 0.033},
};

}  // namespace

bool ReencodeGif(std::span<const uint8_t> in, const ReencodeOptions& options,
                 std::vector<uint8_t>& out, LibraryError& error, const ReencodeProgress& progress) {
    try {
        return Reencode(in, options, out, error, progress);
    } catch (const LibraryError& failure) {
        error = failure;
    } catch (const std::bad_alloc&) {
        error = LibraryError(ErrorCode::OutOfMemory);
    }
    return false;
}

bool FitGifToSize(std::span<const uint8_t> in, const MakerOptions& base, uint64_t limit,
                  std::vector<uint8_t>& out, SizeFit& fit, LibraryError& error,
                  const ReencodeProgress& progress) {
    fit = SizeFit{};
    fit.quality = base.quality;
    fit.bytes = in.size();
    if (in.size() <= limit) {
        fit.fits = true;
        out.assign(in.begin(), in.end());
        return true;
    }
    // Sizes are guessed from the share each trade usually keeps, corrected by what the last
    // try gave: a try that is sure to be too large is not worth its time.
    double scale = double(in.size());
    std::vector<uint8_t> made;
    bool haveAny = false;
    for (const Trade& trade : kTrades) {
        const bool last = &trade == &kTrades[std::size(kTrades) - 1];
        if (!last && trade.expected * scale > 1.15 * double(limit)) continue;
        ReencodeOptions options;
        options.maker = base;
        options.maker.screenColours = true;
        options.maker.optimise = true;
        options.maker.quality = std::min(base.quality, trade.quality);
        options.maker.scalePercent = trade.scalePercent;
        options.maker.scaleWidth = 0;
        options.frameStep = trade.frameStep;
        if (!ReencodeGif(in, options, made, error, progress)) return false;
        scale = double(made.size()) / trade.expected;
        if (!haveAny || made.size() < out.size()) {
            out.swap(made);
            fit = {out.size() <= limit, true,      options.maker.quality, trade.frameStep,
                   trade.scalePercent,  out.size()};
            haveAny = true;
        }
        if (fit.fits) return true;
    }
    return true;
}

std::string DescribeFit(const SizeFit& fit, Language language) {
    const bool zh = language == Language::Chinese;
    std::string text = (zh ? "质量 " : "quality ") + std::to_string(fit.quality);
    if (fit.frameStep > 1)
        text += (zh ? "，帧数 1/" : ", 1/") + std::to_string(fit.frameStep) +
                (zh ? "" : " of the frames");
    if (fit.scalePercent < 100)
        text += (zh ? "，尺寸 " : ", ") + std::to_string(fit.scalePercent) + (zh ? "%" : "% size");
    return text;
}

}  // namespace gif
