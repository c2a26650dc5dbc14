#include "gif/frame_records.h"

#include <algorithm>
#include <string>

#include "gif/comment_text.h"
#include "gif/gif_maker.h"

namespace gif {
namespace {

void Word(uint16_t value, std::vector<uint8_t>& out) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

}  // namespace

void AppendScreen(uint16_t width, uint16_t height, std::span<const uint8_t> globalTable,
                  std::vector<uint8_t>& out) {
    static constexpr uint8_t kSignature[] = {'G', 'I', 'F', '8', '9', 'a'};
    out.insert(out.end(), std::begin(kSignature), std::end(kSignature));
    Word(width, out);
    Word(height, out);
    const uint8_t bits = uint8_t(TableBits(globalTable.size() / 3) - 1);
    out.push_back(uint8_t(0x80 | bits << 4 | bits));
    out.push_back(0);  // background colour index
    out.push_back(0);  // pixel aspect ratio
    out.insert(out.end(), globalTable.begin(), globalTable.end());
}

void AppendLoop(uint16_t loopCount, std::vector<uint8_t>& out) {
    static constexpr uint8_t kHead[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S',  'C',
                                        'A',  'P',  'E',  '2', '.', '0', 0x03, 0x01};
    out.insert(out.end(), std::begin(kHead), std::end(kHead));
    Word(loopCount, out);
    out.push_back(0x00);
}

void AppendComment(std::string_view text, std::vector<uint8_t>& out) {
    text = text.substr(0, CommentPrefixBytes(text, kMaxCommentBytes));
    if (text.empty()) return;
    out.push_back(0x21);
    out.push_back(0xFE);
    // A text longer than one sub-block (possible with UTF-8) continues in further ones.
    while (!text.empty()) {
        const size_t length = std::min<size_t>(text.size(), 255);
        out.push_back(uint8_t(length));
        out.insert(out.end(), text.begin(), text.begin() + length);
        text.remove_prefix(length);
    }
    out.push_back(0x00);
}

void AppendFrame(const EncodedFrame& frame, std::vector<uint8_t>& out) {
    const bool transparent = frame.transparentIndex >= 0;
    out.insert(out.end(), {0x21, 0xF9, 0x04});
    out.push_back(uint8_t((frame.disposal & 7) << 2 | (transparent ? 1 : 0)));
    Word(frame.delay, out);
    out.push_back(uint8_t(transparent ? frame.transparentIndex : 0));
    out.push_back(0x00);
    AppendComment(frame.comment, out);

    out.push_back(0x2C);
    Word(frame.left, out);
    Word(frame.top, out);
    Word(frame.width, out);
    Word(frame.height, out);
    uint8_t packed = frame.interlaced ? 0x40 : 0x00;
    if (!frame.localTable.empty())
        packed |= uint8_t(0x80 | (TableBits(frame.localTable.size() / 3) - 1));
    out.push_back(packed);
    out.insert(out.end(), frame.localTable.begin(), frame.localTable.end());
    out.insert(out.end(), frame.data.begin(), frame.data.end());
}

}  // namespace gif
