#include "app/core/recording_journal.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

#include "app/core/output_file.h"
#include "app/core/recording.h"
#include "app/core/texts.h"
#include "gif/base/library_error.h"
#include "gif/gif_maker.h"

namespace app {
namespace {

constexpr const char* kJournalSuffix = ".frames";

std::filesystem::path AbsoluteFolder(const char* variable) {
    const char* value = std::getenv(variable);
    if (!value || value[0] != '/') return {};
    return value;
}

// The time of the journal's last frame: its last write.
std::time_t LastWrite(const std::filesystem::path& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 ? info.st_mtime : std::time(nullptr);
}

// Saves one journal; returns the name of the GIF, or throws with the reason in the interface's
// language. The name is taken as a recording's is, so a link of that name is never followed.
std::string Recover(const std::filesystem::path& journal,
                    std::unique_ptr<gif::FileFrameStore> store,
                    const std::filesystem::path& outputFolder, const gif::AnimationInfo& animation,
                    const std::function<std::tm(std::time_t)>& localTime) {
    std::string base;
    const std::string taken =
        ReserveOutputFile(outputFolder, FormatTimeStamp(localTime(LastWrite(journal))), base);
    if (!taken.empty()) throw std::runtime_error(taken);
    const std::filesystem::path gif = outputFolder / (base + ".gif");
    gif::GifMaker maker;
    maker.Create(animation);
    maker.SetFrameStore(std::move(store));
    if (!maker.SaveGif(gif.string())) {
        DropEmptyOutputFile(gif);
        throw std::runtime_error(maker.GetErrorText(LibraryLanguage()));
    }
    // Removed while still locked, so that no other gifrec saves it a second time.
    std::error_code ignored;
    std::filesystem::remove(journal, ignored);
    return base + ".gif";
}

}  // namespace

std::filesystem::path JournalFolder() {
    std::filesystem::path state = AbsoluteFolder("XDG_STATE_HOME");
    if (state.empty()) {
        const std::filesystem::path home = AbsoluteFolder("HOME");
        if (home.empty()) return {};
        state = home / ".local" / "state";
    }
    return state / "gifrec";
}

std::unique_ptr<gif::FileFrameStore> CreateJournal(const std::filesystem::path& folder,
                                                   std::filesystem::path& path) {
    std::filesystem::create_directories(folder);
    static std::atomic<unsigned> serial{0};
    const std::string name = "recording-" + std::to_string(std::time(nullptr)) + "-" +
                             std::to_string(::getpid()) + "-" + std::to_string(++serial);
    // Made under a name that recovery passes over and renamed once locked, so that another
    // gifrec starting meanwhile never takes a journal that is being made.
    const std::filesystem::path making = folder / ("." + name + ".new");
    std::unique_ptr<gif::FileFrameStore> store = gif::FileFrameStore::Create(making.string());
    if (!store->TryLock()) {
        std::filesystem::remove(making);
        throw gif::LibraryError("无法锁定录制缓存文件");
    }
    path = folder / (name + kJournalSuffix);
    std::filesystem::rename(making, path);
    return store;
}

RecoveryReport RecoverJournals(const std::filesystem::path& journalFolder,
                               const std::filesystem::path& outputFolder,
                               const gif::AnimationInfo& animation,
                               const std::function<std::tm(std::time_t)>& localTime) {
    RecoveryReport report;
    std::error_code error;
    std::vector<std::filesystem::path> journals;
    for (const auto& entry : std::filesystem::directory_iterator(journalFolder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 7 && name.ends_with(kJournalSuffix) && name[0] != '.')
            journals.push_back(entry.path());
    }
    std::sort(journals.begin(), journals.end());  // oldest first: the names start with the time
    for (const auto& journal : journals) {
        try {
            std::unique_ptr<gif::FileFrameStore> store = gif::FileFrameStore::Open(journal);
            if (!store->TryLock()) continue;  // another gifrec is recording into it
            if (store->Count() == 0) {
                std::filesystem::remove(journal, error);
                continue;
            }
            std::filesystem::create_directories(outputFolder, error);
            report.savedNames.push_back(
                Recover(journal, std::move(store), outputFolder, animation, localTime));
        } catch (const gif::LibraryError& failure) {
            report.failures.push_back(
                journal.filename().string() + ": " +
                gif::ErrorText(failure.Code(), failure.Detail(), LibraryLanguage()));
        } catch (const std::exception& failure) {
            report.failures.push_back(journal.filename().string() + ": " + failure.what());
        }
    }
    return report;
}

}  // namespace app
