#include "gif/gif_optimise.h"

#include <new>

#include "gif/frame_optimiser.h"
#include "gif/frame_records.h"
#include "gif/gif_player.h"
#include "gif/gif_reader.h"

namespace gif {
namespace {

OptimiseResult Optimise(std::span<const uint8_t> in, std::vector<uint8_t>& out,
                        LibraryError& error) {
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
    GifPlayer player(reader);
    FrameOptimiser optimiser(player.Width(), player.Height(), false);
    std::vector<uint8_t> frames;
    auto takeReady = [&] {
        while (auto frame = optimiser.TakeReady()) AppendFrame(*frame, frames);
    };
    while (player.Next()) {
        const ShownPicture picture{
            0, 0, player.Width(), player.Height(), player.Screen().data(), player.Width()};
        if (!optimiser.Add(picture, player.Delay(), player.Comment())) {
            error = LibraryError(ErrorCode::NeedsDisposal);
            return OptimiseResult::NotRepresentable;
        }
        takeReady();
    }
    if (player.Error().Code() != ErrorCode::NoError) {
        error = LibraryError(player.Error().Code());
        return OptimiseResult::Failed;
    }
    optimiser.Finish();
    takeReady();

    out.clear();
    AppendScreen(player.Width(), player.Height(), optimiser.GlobalTable(), out);
    if (info.LOOP) AppendLoop(info.LoopCount, out);
    out.insert(out.end(), frames.begin(), frames.end());
    AppendComment(info.exposition, out);
    AppendTrailer(out);
    return OptimiseResult::Ok;
}

}  // namespace

OptimiseResult OptimiseGif(std::span<const uint8_t> in, std::vector<uint8_t>& out,
                           LibraryError& error) {
    try {
        return Optimise(in, out, error);
    } catch (const std::bad_alloc&) {
        error = LibraryError(ErrorCode::OutOfMemory);
    }
    return OptimiseResult::Failed;
}

}  // namespace gif
