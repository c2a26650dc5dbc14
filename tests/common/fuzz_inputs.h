// The inputs a fuzz target's body is replayed over in the ordinary test run (and under the
// sanitizers): its seeds and the regressions kept for it, or any folder of files.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testsupport {

// The files directly in `folder` except READMEs, in a fixed order; none when it is missing.
inline std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    if (!std::filesystem::is_directory(folder)) return files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().filename() != "README.md")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// fuzz/seeds/<target> followed by fuzz/regressions/<target>.
inline std::vector<std::filesystem::path> FuzzInputs(const std::string& target) {
    const std::filesystem::path fuzz = std::filesystem::path(GIFREC_SOURCE_DIR) / "fuzz";
    std::vector<std::filesystem::path> files = FilesIn(fuzz / "seeds" / target);
    for (auto& file : FilesIn(fuzz / "regressions" / target)) files.push_back(std::move(file));
    return files;
}

inline std::vector<uint8_t> ReadInput(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace testsupport
