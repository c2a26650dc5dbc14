#include "gif/base/comment_text.h"

#include <cstdint>

namespace gif {
namespace {

// Length of the valid UTF-8 sequence at text[i], or 0 when there is none.
size_t SequenceLength(std::string_view text, size_t i) {
    uint8_t lead = uint8_t(text[i]);
    size_t length;
    uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() - i < length) return 0;
    uint8_t second = uint8_t(text[i + 1]);
    if (second < low || second > high) return 0;
    for (size_t k = 2; k < length; ++k)
        if ((uint8_t(text[i + k]) & 0xC0) != 0x80) return 0;
    return length;
}

}  // namespace

size_t CommentPrefixBytes(std::string_view text, size_t limit) {
    size_t bytes = 0, counted = 0;
    while (bytes < text.size()) {
        size_t length = uint8_t(text[bytes]) < 0x80 ? 1 : SequenceLength(text, bytes);
        size_t cost = length > 1 ? 2 : 1;
        if (length == 0) length = 1;
        if (counted + cost > limit) break;
        counted += cost;
        bytes += length;
    }
    return bytes;
}

}  // namespace gif
