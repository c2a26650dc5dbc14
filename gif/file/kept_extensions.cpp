#include "gif/file/kept_extensions.h"

#include <cstring>

namespace gif {
namespace {

constexpr size_t kHeaderBytes = 13;
constexpr uint8_t kControlLabel = 0xF9;
constexpr uint8_t kCommentLabel = 0xFE;
constexpr uint8_t kApplicationLabel = 0xFF;
constexpr uint8_t kPlainTextLabel = 0x01;

size_t TableBytes(uint8_t packed) {
    return (packed & 0x80) ? 3 * (size_t{2} << (packed & 7)) : 0;
}

// Past the sub-blocks from `pos` (a size byte); false when the data end before the terminator.
bool SkipSubBlocks(std::span<const uint8_t> data, size_t& pos) {
    while (pos < data.size()) {
        const size_t size = data[pos++];
        if (size == 0) return true;
        pos += size;
    }
    return false;
}

bool IsLooping(std::span<const uint8_t> data, size_t blocks) {
    return blocks + 12 <= data.size() && data[blocks] == 11 &&
           std::memcmp(data.data() + blocks + 1, "NETSCAPE2.0", 11) == 0;
}

}  // namespace

std::vector<RawExtension> KeptExtensions(std::span<const uint8_t> data) {
    std::vector<RawExtension> kept;
    if (data.size() < kHeaderBytes) return kept;
    uint32_t frame = 0;
    bool controlSeen = false;  // a graphic control extension since the last image
    size_t pos = kHeaderBytes + TableBytes(data[10]);
    while (pos < data.size()) {
        const uint8_t introducer = data[pos];
        if (introducer == 0x00) {
            ++pos;
        } else if (introducer == 0x21) {
            if (pos + 1 >= data.size()) break;
            const size_t start = pos;
            const uint8_t label = data[pos + 1];
            pos += 2;
            const bool looping = label == kApplicationLabel && IsLooping(data, pos);
            if (!SkipSubBlocks(data, pos)) break;
            if (label == kControlLabel) {
                controlSeen = controlSeen || data[start + 2] == 4;
            } else if ((label == kApplicationLabel && !looping) || label == kCommentLabel ||
                       label == kPlainTextLabel) {
                kept.push_back({frame, controlSeen, {data.begin() + start, data.begin() + pos}});
            } else if (label != kApplicationLabel) {
                break;  // the reader calls the file damaged here
            }
        } else if (introducer == 0x2C) {
            if (pos + 10 > data.size()) break;
            pos += 10 + TableBytes(data[pos + 9]);
            if (pos >= data.size()) break;
            ++frame;
            controlSeen = false;
            ++pos;  // the minimum code size
            if (!SkipSubBlocks(data, pos)) break;
        } else {
            break;  // the trailer, or damage
        }
    }
    return kept;
}

}  // namespace gif
