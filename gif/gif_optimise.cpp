#include "gif/gif_optimise.h"

#include <algorithm>
#include <new>

#include "gif/base/library_error.h"
#include "gif/file/gif_writer.h"
#include "gif/file/kept_extensions.h"
#include "gif/gif_player.h"
#include "gif/gif_reader.h"
#include "gif/io/byte_sink.h"
#include "gif/optimise/frame_optimiser.h"
#include "gif/store/frame_store.h"

namespace gif {
namespace {

// The colour the background index names (0xRRGGBB), or none when it lies past the global
// table or there is no table.
std::optional<uint32_t> BackgroundColour(GifReader& reader, uint8_t index) {
    const int32_t value = reader.GetPalette(0, index);  // red + 256 green + 65536 blue
    if (value < 0) return std::nullopt;
    return uint32_t(value & 0xFF) << 16 | uint32_t(value & 0xFF00) | uint32_t(value >> 16 & 0xFF);
}

OptimiseResult Optimise(std::span<const uint8_t> in, std::vector<uint8_t>& out, LibraryError& error,
                        const OptimiseOptions& options) {
    GifReader reader;
    if (!reader.LoadGif(std::nullopt, in)) {
        error = LibraryError(reader.GetErrorCode());
        return OptimiseResult::Failed;
    }
    if (reader.FrameCount() == 0) {
        error = LibraryError(ErrorCode::NoImages);
        return OptimiseResult::Failed;
    }
    const AnimationInfo info = reader.GetGifInfo();
    // Comments travel with the other kept extensions, so the player's are not used.
    const std::vector<RawExtension> extensions =
        options.strip ? std::vector<RawExtension>{} : KeptExtensions(reader.Data());
    GifPlayer player(reader);
    FrameOptimiser optimiser(player.Width(), player.Height(), false);
    optimiser.KeepBackground(BackgroundColour(reader, info.BgColorIndex));
    MemoryFrameStore store;
    std::vector<uint8_t> record;
    auto storeReady = [&] {
        while (auto frame = optimiser.TakeReady()) {
            RecordOf(*frame, record);
            store.Append(record);
        }
    };
    // Each picture gives one record, so frame k of the input is record k of the output: the
    // extensions keep their frame numbers.
    uint32_t frame = 0;
    auto extension = extensions.begin();
    bool showsNothing = false;  // somewhere, at some time, no frame shows anything
    while (player.Next()) {
        const ShownPicture picture{
            0, 0, player.Width(), player.Height(), player.Screen().data(), player.Width()};
        while (extension != extensions.end() && extension->frame < frame) ++extension;
        const bool anchored = extension != extensions.end() && extension->frame == frame;
        if (!optimiser.Add(picture, player.Delay(), {}, anchored)) {
            error = LibraryError(ErrorCode::NeedsDisposal);
            return OptimiseResult::NotRepresentable;
        }
        // Only where the background has no index does it matter whether it is ever seen.
        if (!showsNothing && !optimiser.BackgroundIndex())
            showsNothing = std::find(player.Screen().begin(), player.Screen().end(), kUnset) !=
                           player.Screen().end();
        storeReady();
        ++frame;
    }
    if (player.Error().Code() != ErrorCode::NoError) {
        error = LibraryError(player.Error().Code());
        return OptimiseResult::Failed;
    }

    if (showsNothing) {
        error = LibraryError(ErrorCode::BackgroundLost);
        return OptimiseResult::NotRepresentable;
    }

    MemorySink sink;
    AnimationHead head{player.Width(), player.Height(), info.LOOP, info.LoopCount, {}, 0, {}};
    head.background = optimiser.BackgroundIndex().value_or(0);
    head.extensions = extensions;
    WriteGif(head, store, sink);
    out = std::move(sink.bytes);
    return OptimiseResult::Ok;
}

}  // namespace

OptimiseResult OptimiseGif(std::span<const uint8_t> in, std::vector<uint8_t>& out,
                           LibraryError& error, const OptimiseOptions& options) {
    try {
        return Optimise(in, out, error, options);
    } catch (const LibraryError& failure) {
        error = failure;
    } catch (const std::bad_alloc&) {
        error = LibraryError(ErrorCode::OutOfMemory);
    }
    return OptimiseResult::Failed;
}

}  // namespace gif
