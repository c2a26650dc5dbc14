// A recording's frames on disk while it runs, so that a crash, a kill or a lost display loses
// at most the frame being added; and the recovery of such files at the next start.
//
// The journal is the frame store itself: every frame is appended to it as the file store's
// record (length, encoded frame, checksum) the moment it is encoded, and the GIF is written
// from it. It is not a GIF body: the file's header and its single- or multi-frame layout depend
// on the final frame count, so the records are kept as they are and a recovery writes the GIF
// exactly as a normal stop would.
#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gif/base/records.h"
#include "gif/store/frame_store.h"

namespace app {

// $XDG_STATE_HOME/gifrec, or ~/.local/state/gifrec; empty when neither variable names an
// absolute folder.
std::filesystem::path JournalFolder();

// A new journal in `folder` (made when missing), locked against recovery by another gifrec
// for as long as the store lives; its path goes to `path`. Throws gif::LibraryError or
// std::filesystem::filesystem_error.
std::unique_ptr<gif::FileFrameStore> CreateJournal(const std::filesystem::path& folder,
                                                   std::filesystem::path& path);

struct RecoveryReport {
    std::vector<std::string> savedNames;  // "1207050903.gif"
    std::vector<std::string> failures;    // one text per journal that could not be saved
    bool Empty() const { return savedNames.empty() && failures.empty(); }
};

// Saves every journal in `journalFolder` that no running gifrec holds as a GIF in
// `outputFolder`, named after the local time of its last frame, and removes the journals
// saved and those without a frame. A journal that cannot be saved stays for the next start.
RecoveryReport RecoverJournals(const std::filesystem::path& journalFolder,
                               const std::filesystem::path& outputFolder,
                               const gif::AnimationInfo& animation,
                               const std::function<std::tm(std::time_t)>& localTime);

}  // namespace app
