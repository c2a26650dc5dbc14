// Layout, in file order: header, logical screen descriptor, global colour table (the first
// frame's), the NETSCAPE looping extension (two or more frames, looping on), per frame a
// graphic control extension, the frame's comment, image descriptor, local colour table and
// LZW data; then the animation comment and the trailer. A single frame is written bare: no
// control extension, no local table, no comment, at offset 0.
#include "gif/gif_writer.h"

#include <string>
#include <vector>

#include "gif/comment_text.h"
#include "gif/library_error.h"
#include "gif/lzw_encoder.h"

namespace gif {
namespace {

// Collects small pieces and hands them to the sink in large writes.
class SinkWriter {
  public:
    explicit SinkWriter(ByteSink& sink) : sink_(sink) {
        buffer_.reserve(kFlushAt);
        error_.reserve(1024);
    }

    std::vector<uint8_t>& Buffer() { return buffer_; }
    void Byte(uint8_t value) { buffer_.push_back(value); }
    void Word(uint16_t value) {
        buffer_.push_back(uint8_t(value));
        buffer_.push_back(uint8_t(value >> 8));
    }
    void Bytes(std::span<const uint8_t> bytes) {
        buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    }
    void Text(std::string_view text) {
        Bytes({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    }
    void FlushIfFull() {
        if (buffer_.size() >= kFlushAt) Flush();
    }
    void Flush() {
        if (buffer_.empty()) return;
        if (!sink_.Write(buffer_, error_)) throw LibraryError(error_.empty() ? "未知错误" : error_);
        buffer_.clear();
    }

  private:
    static constexpr size_t kFlushAt = 1 << 16;
    ByteSink& sink_;
    std::vector<uint8_t> buffer_;
    std::string error_;
};

void ColourTable(SinkWriter& out, const IndexedImage& image) {
    for (size_t i = 0; i < 256; ++i) {
        out.Byte(image.colourTable[4 * i + 2]);
        out.Byte(image.colourTable[4 * i + 1]);
        out.Byte(image.colourTable[4 * i + 0]);
    }
}

// A comment extension; a text longer than one sub-block (possible with UTF-8) continues in
// further sub-blocks.
void Comment(SinkWriter& out, std::string_view text) {
    text = text.substr(0, CommentPrefixBytes(text, kMaxCommentBytes));
    if (text.empty()) return;
    out.Byte(0x21);
    out.Byte(0xFE);
    while (!text.empty()) {
        size_t length = std::min<size_t>(text.size(), 255);
        out.Byte(uint8_t(length));
        out.Text(text.substr(0, length));
        text.remove_prefix(length);
    }
    out.Byte(0x00);
}

// Row pointers in the order they are encoded: top to bottom, or the four interlace passes.
void RowOrder(const IndexedImage& image, bool interlace, std::vector<const uint8_t*>& rows) {
    rows.clear();
    if (!interlace) {
        for (uint32_t y = 0; y < image.height; ++y) rows.push_back(image.TopRow(y));
        return;
    }
    static constexpr uint32_t kStart[4] = {0, 4, 2, 1};
    static constexpr uint32_t kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (uint32_t y = kStart[pass]; y < image.height; y += kStep[pass])
            rows.push_back(image.TopRow(y));
}

}  // namespace

void WriteGif(const AnimationToWrite& animation, ByteSink& sink) {
    // Every allocation comes before the first byte is written.
    SinkWriter out(sink);
    LzwEncoder encoder;
    std::vector<const uint8_t*> rows;
    rows.reserve(65535);

    const auto& frames = animation.frames;
    const bool animated = frames.size() >= 2;
    const uint8_t depthBits = 8 - 1;  // every stored frame has 8 bits per pixel

    out.Text("GIF89a");
    out.Word(animation.width);
    out.Word(animation.height);
    out.Byte(uint8_t(0x80 | depthBits << 4 | depthBits));
    out.Byte(0);  // background colour index
    out.Byte(0);  // pixel aspect ratio
    ColourTable(out, frames[0].image);

    if (animated && animation.loop) {
        static constexpr uint8_t kLoopHead[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S',  'C',
                                                'A',  'P',  'E',  '2', '.', '0', 0x03, 0x01};
        out.Bytes(kLoopHead);
        out.Word(animation.loopCount);
        out.Byte(0x00);
    }

    for (const StoredFrame& frame : frames) {
        const FrameSettings& settings = frame.settings;
        const IndexedImage& image = frame.image;
        const uint8_t interlaceBit = animation.interlace ? 0x40 : 0x00;
        if (animated) {
            out.Byte(0x21);
            out.Byte(0xF9);
            out.Byte(0x04);
            out.Byte(uint8_t((settings.disposal & 7) << 2 | (settings.transparency ? 1 : 0)));
            out.Word(settings.delay);
            out.Byte(0);  // the transparent colour is always entry 0
            out.Byte(0x00);
            Comment(out, settings.comment);
        }
        out.Byte(0x2C);
        out.Word(animated ? settings.left : 0);
        out.Word(animated ? settings.top : 0);
        out.Word(image.width);
        out.Word(image.height);
        if (animated) {
            out.Byte(uint8_t(0x80 | interlaceBit | depthBits));
            ColourTable(out, image);
        } else {
            out.Byte(uint8_t(interlaceBit | depthBits));
        }
        RowOrder(image, animation.interlace, rows);
        encoder.Encode(rows, image.width, out.Buffer());
        out.FlushIfFull();
    }

    Comment(out, animation.comment);
    out.Byte(0x3B);
    out.Flush();
}

}  // namespace gif
