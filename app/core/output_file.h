// Where a recording is saved: the "GIF动画" folder on the desktop, made when missing, and a file
// name of our own in it.
#pragma once

#include <filesystem>
#include <string>

namespace app {

// Makes `folder` (the desktop's "GIF动画") when it is missing. Empty when it is a folder now,
// otherwise a text that names the real cause: the folder that could not be made and why, or a
// file that stands in the folder's place. A desktop at the root of the file system (HOME unset
// makes it "/Desktop") is refused: nothing is ever written there.
std::string PrepareOutputFolder(const std::filesystem::path& desktop,
                                const std::filesystem::path& folder);

// Creates the empty file stamp.gif, or stamp_2.gif, stamp_3.gif, ... for the first name that
// nothing in `folder` has taken, never following a link: a link of that name, even one that leads
// nowhere, counts as taken. Sets `name` (without ".gif"); returns an error text, empty on success.
std::string ReserveOutputFile(const std::filesystem::path& folder, const std::string& stamp,
                              std::string& name);

// Removes the file a failed save left as it was reserved: empty, and a plain file.
void DropEmptyOutputFile(const std::filesystem::path& path);

}  // namespace app
