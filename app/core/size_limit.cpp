#include "app/core/size_limit.h"

#include <filesystem>
#include <vector>

#include "app/core/texts.h"
#include "gif/gif_reader.h"
#include "gif/io/file_io.h"
#include "gif/reencode.h"

namespace app {

SizeLimitOutcome FitSavedGif(const std::string& path, uint64_t limit,
                             const gif::MakerOptions& options,
                             const std::function<void(int percent)>& progress) {
    SizeLimitOutcome outcome;
    std::error_code failed;
    outcome.bytes = std::filesystem::file_size(path, failed);
    if (failed || outcome.bytes <= limit) return outcome;
    try {
        const std::vector<uint8_t> saved =
            gif::ReadWholeFile(path, gif::kMaxGifBytes, gif::ErrorCode::GifFileTooLarge);
        std::vector<uint8_t> fitted;
        gif::SizeFit fit;
        gif::LibraryError error;
        const bool made = gif::FitGifToSize(saved, options, limit, fitted, fit, error,
                                            [&](uint32_t done, uint32_t total) {
                                                if (progress && total)
                                                    progress(int(uint64_t(done) * 100 / total));
                                            });
        if (!made) throw error;
        // Written beside and renamed over: the GIF saved first stays until this one is whole.
        gif::FileSink file;
        file.Open(path);
        if (!file.Write(fitted, error)) throw error;
        file.Commit();
        outcome.changed = true;
        outcome.fits = fit.fits;
        outcome.bytes = fitted.size();
        outcome.traded = gif::DescribeFit(fit, LibraryLanguage());
    } catch (const gif::LibraryError& error) {
        outcome.ok = false;
        outcome.error = gif::ErrorText(error.Code(), error.Detail(), LibraryLanguage());
    } catch (const std::bad_alloc&) {
        outcome.ok = false;
        outcome.error = gif::ErrorText(gif::ErrorCode::OutOfMemory, {}, LibraryLanguage());
    }
    return outcome;
}

}  // namespace app
