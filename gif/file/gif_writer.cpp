// Layout, in file order: header, logical screen descriptor, global colour table (the first
// frame's), the NETSCAPE looping extension (two or more frames, looping on), per frame a
// graphic control extension, the frame's comment, image descriptor, local colour table and
// image data; then the animation comment and the trailer. A single frame is written bare: no
// control extension, no local table, no comment, at offset 0. The optimised layout's frames
// say which of them have a table of their own; its first frame's table is the global one.
// Extensions carried over from another file go where they stood: before a frame, after its
// control extension, or after the last frame.
#include "gif/file/gif_writer.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "gif/base/comment_text.h"
#include "gif/base/library_error.h"
#include "gif/store/frame_encoder.h"
#include "gif/store/frame_record.h"

namespace gif {
namespace {

// Collects small pieces and hands them to the sink in large writes.
class SinkWriter {
  public:
    explicit SinkWriter(ByteSink& sink) : sink_(sink) { buffer_.reserve(kFlushAt + 4096); }

    void Byte(uint8_t value) { buffer_.push_back(value); }
    void Word(uint16_t value) {
        buffer_.push_back(uint8_t(value));
        buffer_.push_back(uint8_t(value >> 8));
    }
    void Bytes(std::span<const uint8_t> bytes) {
        if (bytes.size() >= kFlushAt) {  // large blocks go straight through
            Flush();
            Put(bytes);
            return;
        }
        buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
        if (buffer_.size() >= kFlushAt) Flush();
    }
    void Text(std::string_view text) {
        Bytes({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    }
    void Flush() {
        if (buffer_.empty()) return;
        Put(buffer_);
        buffer_.clear();
    }

  private:
    void Put(std::span<const uint8_t> bytes) {
        LibraryError error;  // Unknown unless the sink says more
        if (!sink_.Write(bytes, error)) throw error;
    }

    static constexpr size_t kFlushAt = 1 << 16;
    ByteSink& sink_;
    std::vector<uint8_t> buffer_;
};

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

// The size field of a packed byte for a table of 2^bits entries.
uint8_t SizeBits(uint8_t tableBits) {
    return uint8_t((tableBits ? tableBits - 1 : 0) & 7);
}

FrameView ParseStored(std::span<const uint8_t> record) {
    std::optional<FrameView> frame = ParseFrameRecord(record);
    if (!frame) throw LibraryError(ErrorCode::StoreDamaged);
    return *frame;
}

void ControlExtension(SinkWriter& out, const FrameHeader& header) {
    out.Byte(0x21);
    out.Byte(0xF9);
    out.Byte(0x04);
    out.Byte(uint8_t((header.disposal & 7) << 2 | (header.transparency ? 1 : 0)));
    out.Word(header.delay);
    out.Byte(header.transparentIndex);
    out.Byte(0x00);
}

// Hands out the carried extensions in file order.
class ExtensionQueue {
  public:
    explicit ExtensionQueue(std::span<const RawExtension> extensions) : left_(extensions) {}

    // Those before record `frame` (and any left from earlier records); with `afterControl`,
    // also those that stood after its control extension.
    void WriteUpTo(SinkWriter& out, size_t frame, bool afterControl) {
        while (!left_.empty() &&
               (left_.front().frame < frame ||
                (left_.front().frame == frame && (afterControl || !left_.front().afterControl)))) {
            out.Bytes(left_.front().bytes);
            left_ = left_.subspan(1);
        }
    }
    void WriteRest(SinkWriter& out) { WriteUpTo(out, SIZE_MAX, true); }

  private:
    std::span<const RawExtension> left_;
};

// One frame of an animation: extensions before it, control extension, those after it,
// comment, descriptor, table, data.
void AnimatedFrame(SinkWriter& out, const FrameView& frame, ExtensionQueue* extensions = nullptr,
                   size_t record = 0) {
    const FrameHeader& header = frame.header;
    if (extensions) extensions->WriteUpTo(out, record, false);
    ControlExtension(out, header);
    if (extensions) extensions->WriteUpTo(out, record, true);
    Comment(out, frame.comment);
    out.Byte(0x2C);
    out.Word(header.left);
    out.Word(header.top);
    out.Word(header.width);
    out.Word(header.height);
    const bool local = header.localTable && header.tableBits > 0;
    out.Byte(uint8_t((local ? 0x80 : 0) | (header.interlaced ? 0x40 : 0) |
                     (local ? SizeBits(header.tableBits) : 0)));
    if (local) out.Bytes(frame.colourTable);
    out.Bytes(frame.imageData);
}

// A 1 x 1 frame that shows nothing new, for `delay`.
FrameView TransparentPixel(uint16_t delay, bool interlaced) {
    // Minimum code size 2: clear (4), pixel 0, end (5) in 3 bits each.
    static constexpr uint8_t kData[] = {0x02, 0x02, 0x44, 0x01, 0x00};
    FrameView pixel;
    pixel.header = {0, 0, 1, 1, delay, 1, true, 0, interlaced, false, 0};
    pixel.imageData = kData;
    return pixel;
}

// The only frame: its table serves as the global one, so it has none of its own.
void BareFrame(SinkWriter& out, const FrameView& frame) {
    const FrameHeader& header = frame.header;
    out.Byte(0x2C);
    out.Word(0);
    out.Word(0);
    out.Word(header.width);
    out.Word(header.height);
    out.Byte(uint8_t((header.interlaced ? 0x40 : 0) | SizeBits(header.tableBits)));
    out.Bytes(frame.imageData);
}

}  // namespace

void WriteGif(const AnimationHead& head, const FrameStore& store, ByteSink& sink,
              const SaveProgress& progress) {
    // Every allocation comes before the first byte is written.
    SinkWriter out(sink);
    std::vector<uint8_t> scratch;
    const size_t count = store.Count();
    bool animated = count >= 2;

    // The first frame's record is read again below: `scratch` is reused frame by frame.
    {
        const FrameView first = ParseStored(store.Read(0, scratch));
        // A first frame shown through the global table is the optimised layout's: every frame
        // keeps its control extension, even a single one.
        if (!first.header.localTable) animated = true;
        const uint8_t bits = SizeBits(first.header.tableBits);
        out.Text("GIF89a");
        out.Word(head.width);
        out.Word(head.height);
        out.Byte(uint8_t((first.header.tableBits ? 0x80 : 0) | bits << 4 | bits));
        out.Byte(head.background);
        out.Byte(0);  // pixel aspect ratio
        out.Bytes(first.colourTable);
    }

    if (animated && head.loop) {
        static constexpr uint8_t kLoopHead[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S',  'C',
                                                'A',  'P',  'E',  '2', '.', '0', 0x03, 0x01};
        out.Bytes(kLoopHead);
        out.Word(head.loopCount);
        out.Byte(0x00);
    }

    std::vector<uint8_t> ahead;
    ExtensionQueue extensions(head.extensions);
    for (size_t i = 0; i < count; ++i) {
        FrameView frame = ParseStored(store.Read(i, scratch));
        if (frame.header.lengthens) {  // added to the frame before it
            if (progress) progress(i + 1, count);
            continue;
        }
        if (!animated) {
            extensions.WriteUpTo(out, i, true);
            BareFrame(out, frame);
            if (progress) progress(i + 1, count);
            continue;
        }
        // The records that lengthen it; what the delay field cannot hold goes on in
        // transparent pixels.
        uint64_t delay = frame.header.delay;
        for (size_t j = i + 1; j < count; ++j) {
            const FrameView next = ParseStored(store.Read(j, ahead));
            if (!next.header.lengthens) break;
            delay += next.header.delay;
        }
        frame.header.delay = uint16_t(std::min<uint64_t>(delay, 65535));
        AnimatedFrame(out, frame, &extensions, i);
        for (delay -= frame.header.delay; delay > 0; delay -= std::min<uint64_t>(delay, 65535))
            AnimatedFrame(out, TransparentPixel(uint16_t(std::min<uint64_t>(delay, 65535)),
                                                frame.header.interlaced));
        if (progress) progress(i + 1, count);
    }

    extensions.WriteRest(out);
    Comment(out, head.comment);
    out.Byte(0x3B);
    out.Flush();
}

void WriteGif(const AnimationToWrite& animation, ByteSink& sink) {
    MemoryFrameStore store;
    FrameEncoder encoder;
    std::vector<uint8_t> record;
    for (const StoredFrame& frame : animation.frames) {
        encoder.Encode(frame.image, frame.settings, animation.interlace, record);
        store.Append(record);
    }
    WriteGif(static_cast<const AnimationHead&>(animation), store, sink);
}

}  // namespace gif
