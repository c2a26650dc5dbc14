#include "gif/gif_optimise.h"

#include <new>

#include "gif/base/library_error.h"
#include "gif/file/gif_writer.h"
#include "gif/gif_player.h"
#include "gif/gif_reader.h"
#include "gif/io/byte_sink.h"
#include "gif/optimise/frame_optimiser.h"
#include "gif/store/frame_store.h"

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
    MemoryFrameStore store;
    std::vector<uint8_t> record;
    auto storeReady = [&] {
        while (auto frame = optimiser.TakeReady()) {
            RecordOf(*frame, record);
            store.Append(record);
        }
    };
    while (player.Next()) {
        const ShownPicture picture{
            0, 0, player.Width(), player.Height(), player.Screen().data(), player.Width()};
        if (!optimiser.Add(picture, player.Delay(), player.Comment())) {
            error = LibraryError(ErrorCode::NeedsDisposal);
            return OptimiseResult::NotRepresentable;
        }
        storeReady();
    }
    if (player.Error().Code() != ErrorCode::NoError) {
        error = LibraryError(player.Error().Code());
        return OptimiseResult::Failed;
    }

    MemorySink sink;
    WriteGif({player.Width(), player.Height(), info.LOOP, info.LoopCount, info.exposition}, store,
             sink);
    out = std::move(sink.bytes);
    return OptimiseResult::Ok;
}

}  // namespace

OptimiseResult OptimiseGif(std::span<const uint8_t> in, std::vector<uint8_t>& out,
                           LibraryError& error) {
    try {
        return Optimise(in, out, error);
    } catch (const LibraryError& failure) {
        error = failure;
    } catch (const std::bad_alloc&) {
        error = LibraryError(ErrorCode::OutOfMemory);
    }
    return OptimiseResult::Failed;
}

}  // namespace gif
