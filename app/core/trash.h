// Moving a file to the desktop's trash the way freedesktop.org desktops lay it out:
// the file goes to `files/` of a trash folder under a name free there, with a `.trashinfo` of
// the same name in `info/` saying where it came from and when. The home trash
// ($XDG_DATA_HOME/Trash) serves files on its own file system; others go to the trash at the top
// of theirs ($topdir/.Trash/$uid when the administrator made it, else $topdir/.Trash-$uid).
#pragma once

#include <filesystem>
#include <string>

namespace app {

struct TrashResult {
    bool moved = false;
    std::filesystem::path trashedAs;  // in files/ of the trash used
    std::filesystem::path info;       // its .trashinfo
    std::string error;                // why not, when not moved
};

TrashResult MoveToTrash(const std::filesystem::path& file);

// Takes a trashed file back to where it was and removes its .trashinfo.
bool RestoreFromTrash(const TrashResult& trashed, const std::filesystem::path& original);

}  // namespace app
