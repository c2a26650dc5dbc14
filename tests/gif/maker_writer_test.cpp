// The GIF89a layout and the LZW encoder: byte-exact small files, a literal hashed-table
// encoder as the reference for the codes, and giflib reading back everything the maker wrote.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "gif/file/gif_writer.h"
#include "gif/io/file_io.h"
#include "gif/lzw/lzw_encoder.h"
#include "giflib_support.h"
#include "maker_support.h"

namespace gif::testing {
namespace {

using Bytes = std::vector<uint8_t>;

// The encoder as first described: codes found through a 5051-entry hashed table with the probe
// step 5051 - h, codes packed into 255-byte sub-blocks byte by byte.
Bytes ReferenceImageData(const std::vector<const uint8_t*>& rows, uint32_t width) {
    Bytes out{8};
    constexpr int kTable = 5051;
    std::vector<uint16_t> code(kTable), prefixOf(kTable);
    std::vector<uint8_t> suffixOf(kTable);
    uint32_t bits = 0;
    int held = 0;
    uint8_t block[256];
    int fill = 1;
    auto finish = [&](int k) {
        block[0] = uint8_t(k);
        out.insert(out.end(), block, block + k + 1);
    };
    auto putByte = [&](uint8_t b) {
        block[fill++] = b;
        if (fill == 256) {
            finish(255);
            fill = 1;
        }
    };
    int size = 9;
    uint32_t growAt = 512, nextFree = 258;
    auto emit = [&](uint32_t c) {
        bits |= c << held;
        held += size;
        while (held >= 8) {
            putByte(uint8_t(bits));
            bits >>= 8;
            held -= 8;
        }
    };
    auto reset = [&] {
        std::fill(code.begin(), code.end(), 0xFFFF);
        size = 9;
        growAt = 512;
        nextFree = 258;
    };
    reset();
    emit(256);
    bool first = true;
    uint32_t prefix = 0;
    for (const uint8_t* row : rows) {
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t p = row[x];
            if (first) {
                prefix = p;
                first = false;
                continue;
            }
            int h = int(p << 4 ^ prefix);
            int step = h == 0 ? 1 : kTable - h;
            while (code[h] != 0xFFFF && (prefixOf[h] != prefix || suffixOf[h] != p)) {
                h -= step;
                if (h < 0) h += kTable;
            }
            if (code[h] != 0xFFFF) {
                prefix = code[h];
                continue;
            }
            emit(prefix);
            uint32_t assigned = nextFree;
            if (nextFree < 4096) {
                code[h] = uint16_t(nextFree);
                prefixOf[h] = uint16_t(prefix);
                suffixOf[h] = uint8_t(p);
                ++nextFree;
            }
            if (assigned == growAt) {
                if (size < 12) {
                    ++size;
                    growAt *= 2;
                } else {
                    emit(256);
                    reset();
                }
            }
            prefix = p;
        }
    }
    emit(prefix);
    emit(257);
    if (held > 0) putByte(uint8_t(bits));
    if (fill > 1) finish(fill - 1);
    out.push_back(0);
    return out;
}

struct Indices {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> data;  // top row first
    std::vector<const uint8_t*> Rows() const {
        std::vector<const uint8_t*> rows;
        for (uint32_t y = 0; y < height; ++y) rows.push_back(data.data() + size_t(y) * width);
        return rows;
    }
};

Indices RandomIndices(uint32_t width, uint32_t height, uint32_t alphabet, uint32_t seed) {
    std::mt19937 random(seed);
    Indices indices{width, height, std::vector<uint8_t>(size_t(width) * height)};
    for (auto& v : indices.data) v = uint8_t(random() % alphabet);
    return indices;
}

Bytes Encode(const std::vector<const uint8_t*>& rows, uint32_t width) {
    LzwEncoder encoder;
    Bytes out;
    encoder.Encode(rows, width, out);
    return out;
}

// Reads a bare code stream as a GIF decoder does and reports what it saw.
struct CodeTrace {
    bool ok = true;
    std::vector<uint8_t> pixels;
    int clears = 0;                     // clear codes after the first
    std::vector<uint32_t> nextAtClear;  // the decoder's next free code at each of those
    std::vector<int> sizeAfterClear;    // width of the code read right after each
};

CodeTrace TraceCodes(const Bytes& stream) {
    CodeTrace trace;
    std::vector<std::vector<uint8_t>> table(4096);
    for (int i = 0; i < 256; ++i) table[i] = {uint8_t(i)};
    size_t bitPos = 0;
    int size = 9;
    uint32_t next = 258;
    int previous = -1;
    bool firstClear = true, justCleared = false;
    auto read = [&](uint32_t& code) {
        if (bitPos + size > stream.size() * 8) return false;
        code = 0;
        for (int i = 0; i < size; ++i, ++bitPos)
            code |= uint32_t(stream[bitPos / 8] >> (bitPos % 8) & 1) << i;
        return true;
    };
    uint32_t code;
    while (read(code)) {
        if (justCleared) {
            trace.sizeAfterClear.push_back(size);
            justCleared = false;
        }
        if (code == 256) {
            if (!firstClear) {
                ++trace.clears;
                trace.nextAtClear.push_back(next);
                justCleared = true;
            }
            firstClear = false;
            size = 9;
            next = 258;
            previous = -1;
            continue;
        }
        if (code == 257) return trace;
        std::vector<uint8_t> entry;
        if (code < next && (code < 256 || !table[code].empty())) {
            entry = table[code];
        } else if (code == next && previous >= 0) {
            entry = table[previous];
            entry.push_back(table[previous][0]);
        } else {
            trace.ok = false;
            return trace;
        }
        if (previous >= 0 && next < 4096) {
            table[next] = table[previous];
            table[next].push_back(entry[0]);
            ++next;
            if (next == (1u << size) && size < 12) ++size;
        }
        trace.pixels.insert(trace.pixels.end(), entry.begin(), entry.end());
        previous = int(code);
    }
    trace.ok = false;  // no end code
    return trace;
}

// The bare code stream of `indices` as the encoder writes it, traced.
CodeTrace TraceCodes(const Indices& indices) {
    LzwEncoder encoder;
    Bytes stream;
    encoder.EncodeStream(indices.Rows(), indices.width, stream);
    return TraceCodes(stream);
}

TEST(LzwEncoder, CodesMatchTheHashedTableEncoderOnVariedContent) {
    struct Case {
        const char* name;
        Indices indices;
    };
    std::vector<Case> cases;
    cases.push_back({"noise", RandomIndices(300, 211, 256, 1)});
    cases.push_back({"two colours", RandomIndices(517, 300, 2, 2)});
    cases.push_back({"four colours", RandomIndices(333, 333, 4, 3)});
    cases.push_back({"one pixel", RandomIndices(1, 1, 256, 4)});
    cases.push_back({"one column", RandomIndices(1, 3000, 16, 5)});
    cases.push_back({"flat", {1000, 700, std::vector<uint8_t>(700000, 9)}});
    // Runs of random lengths and colours, some of them long, across row ends and through
    // many clear codes: the run shortcut must meet the table's limits exactly as lookups would.
    Indices runs{700, 900, std::vector<uint8_t>(700 * 900)};
    std::mt19937 random(21);
    for (size_t i = 0; i < runs.data.size();) {
        size_t length = random() % 8 == 0 ? random() % 3000 : 1 + random() % 6;
        uint8_t value = uint8_t(random() % 3 == 0 ? random() : random() % 8);
        for (size_t k = 0; k < length && i < runs.data.size(); ++k) runs.data[i++] = value;
    }
    cases.push_back({"runs", runs});
    Indices gradient{640, 480, std::vector<uint8_t>(640 * 480)};
    for (size_t i = 0; i < gradient.data.size(); ++i) gradient.data[i] = uint8_t(i % 640 / 3);
    cases.push_back({"gradient", gradient});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto rows = c.indices.Rows();
        Bytes ours = Encode(rows, c.indices.width);
        ASSERT_EQ(ours, ReferenceImageData(rows, c.indices.width));
    }
    // The mixed runs really went through full tables.
    CodeTrace trace = TraceCodes(runs);
    EXPECT_TRUE(trace.ok);
    EXPECT_EQ(trace.pixels, runs.data);
    EXPECT_GE(trace.clears, 3);
}

TEST(LzwEncoder, OneEncoderGivesTheSameBytesFrameAfterFrame) {
    LzwEncoder encoder;
    Indices a = RandomIndices(400, 300, 256, 7), b = RandomIndices(64, 64, 3, 8);
    for (int round = 0; round < 2; ++round) {
        for (const Indices* indices : {&a, &b}) {
            Bytes out;
            encoder.Encode(indices->Rows(), indices->width, out);
            EXPECT_EQ(out, ReferenceImageData(indices->Rows(), indices->width));
        }
    }
}

TEST(LzwEncoder, OnePixelIsClearPixelEndInNineBits) {
    uint8_t pixel = 5;
    std::vector<const uint8_t*> rows{&pixel};
    EXPECT_EQ(Encode(rows, 1), (Bytes{0x08, 0x04, 0x00, 0x0B, 0x04, 0x04, 0x00}));
}

TEST(LzwEncoder, FullTableIsFollowedByAClearCodeAndNineBitCodes) {
    Indices noise = RandomIndices(500, 400, 256, 11);
    CodeTrace trace = TraceCodes(noise);
    ASSERT_TRUE(trace.ok);
    EXPECT_EQ(trace.pixels, noise.data);
    ASSERT_GE(trace.clears, 10);
    for (uint32_t next : trace.nextAtClear) EXPECT_EQ(next, 4096u);
    for (int size : trace.sizeAfterClear) EXPECT_EQ(size, 9);
}

TEST(LzwEncoder, SubBlocksAreFullExceptTheLast) {
    for (size_t length :
         {size_t(0), size_t(1), size_t(254), size_t(255), size_t(256), size_t(510), size_t(1000)}) {
        Bytes data(length);
        for (size_t i = 0; i < length; ++i) data[i] = uint8_t(i * 7);
        Bytes out;
        AppendSubBlocks(data, out);
        Bytes joined;
        size_t at = 0;
        while (out.at(at) != 0) {
            size_t k = out[at];
            bool last = out.at(at + k + 1) == 0;
            if (!last) {
                EXPECT_EQ(k, 255u);
            }
            joined.insert(joined.end(), out.begin() + at + 1, out.begin() + at + 1 + k);
            at += k + 1;
        }
        EXPECT_EQ(at + 1, out.size());
        EXPECT_EQ(joined, data);
    }
}

// Frames built directly, so that indices and palettes are exactly as chosen.
StoredFrame MakeFrame(uint16_t width, uint16_t height, uint8_t fill, FrameSettings settings = {}) {
    StoredFrame frame;
    frame.settings = std::move(settings);
    frame.image.width = width;
    frame.image.height = height;
    frame.image.rows = AllocateFrameRows(frame.image.Stride() * height);
    std::memset(frame.image.rows.get(), 0, frame.image.Stride() * height);
    for (uint16_t y = 0; y < height; ++y)
        std::memset(frame.image.rows.get() + frame.image.Stride() * y, fill, width);
    for (int i = 0; i < 256; ++i) {
        frame.image.colourTable[4 * i + 0] = uint8_t(i);        // blue
        frame.image.colourTable[4 * i + 1] = uint8_t(255 - i);  // green
        frame.image.colourTable[4 * i + 2] = uint8_t(i / 2);    // red
    }
    return frame;
}

Bytes Write(const AnimationToWrite& animation) {
    MemorySink sink;
    WriteGif(animation, sink);
    return sink.bytes;
}

Bytes ColourTableBytes(const IndexedImage& image) {
    Bytes rgb;
    for (int i = 0; i < 256; ++i) {
        rgb.push_back(image.colourTable[4 * i + 2]);
        rgb.push_back(image.colourTable[4 * i + 1]);
        rgb.push_back(image.colourTable[4 * i + 0]);
    }
    return rgb;
}

TEST(GifWriter, SingleFrameFileIsBareImageWithGlobalTable) {
    std::vector<StoredFrame> frames;
    frames.push_back(MakeFrame(2, 2, 5, {60, 7, 9, 2, true, "ignored"}));
    AnimationToWrite animation{{2, 2, true, 0, "", 0, {}}, false, frames};
    Bytes expected = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0xF7, 0, 0};
    Bytes table = ColourTableBytes(frames[0].image);
    expected.insert(expected.end(), table.begin(), table.end());
    Bytes descriptor = {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0x07};
    expected.insert(expected.end(), descriptor.begin(), descriptor.end());
    std::vector<uint8_t> pixels(4, 5);
    std::vector<const uint8_t*> rows{pixels.data(), pixels.data() + 2};
    Bytes data = ReferenceImageData(rows, 2);
    expected.insert(expected.end(), data.begin(), data.end());
    expected.push_back(0x3B);
    EXPECT_EQ(Write(animation), expected);

    animation.interlace = true;
    Bytes interlaced = Write(animation);
    EXPECT_EQ(interlaced[13 + 768 + 9], 0x47);
}

TEST(GifWriter, AnimationHeadersAreByteExact) {
    std::vector<StoredFrame> frames;
    frames.push_back(MakeFrame(3, 1, 1, {60, 0x0102, 0x0304, 2, true, ""}));
    frames.push_back(MakeFrame(1, 1, 2, {0x1234, 0, 0, 9, false, "hi"}));
    AnimationToWrite animation{{300, 200, true, 0x0A0B, "", 0, {}}, false, frames};
    Bytes file = Write(animation);
    size_t at = 13 + 768;
    Bytes loop = {0x21, 0xFF, 0x0B, 'N', 'E',  'T',  'S',  'C',  'A', 'P',
                  'E',  '2',  '.',  '0', 0x03, 0x01, 0x0B, 0x0A, 0x00};
    ASSERT_EQ(Bytes(file.begin() + at, file.begin() + at + 19), loop);
    at += 19;
    Bytes control1 = {0x21, 0xF9, 0x04, 0x09, 0x3C, 0x00, 0x00, 0x00};
    ASSERT_EQ(Bytes(file.begin() + at, file.begin() + at + 8), control1);
    at += 8;
    Bytes descriptor1 = {0x2C, 0x02, 0x01, 0x04, 0x03, 3, 0, 1, 0, 0x87};
    ASSERT_EQ(Bytes(file.begin() + at, file.begin() + at + 10), descriptor1);
    at += 10;
    ASSERT_EQ(Bytes(file.begin() + at, file.begin() + at + 768), ColourTableBytes(frames[0].image));
    at += 768;
    std::vector<uint8_t> row1(3, 1);
    Bytes data1 = ReferenceImageData({row1.data()}, 3);
    ASSERT_EQ(Bytes(file.begin() + at, file.begin() + at + data1.size()), data1);
    at += data1.size();
    // Disposal 9 keeps its low three bits: 1.
    Bytes control2 = {0x21, 0xF9, 0x04, 0x04, 0x34, 0x12, 0x00, 0x00};
    ASSERT_EQ(Bytes(file.begin() + at, file.begin() + at + 8), control2);
    at += 8;
    Bytes comment = {0x21, 0xFE, 2, 'h', 'i', 0x00};
    ASSERT_EQ(Bytes(file.begin() + at, file.begin() + at + 6), comment);
    at += 6;
    EXPECT_EQ(file[at], 0x2C);
    EXPECT_EQ(file.back(), 0x3B);

    animation.loop = false;
    Bytes once = Write(animation);
    EXPECT_EQ(once.size(), file.size() - 19);
    EXPECT_EQ(once[13 + 768], 0x21);
    EXPECT_EQ(once[13 + 768 + 1], 0xF9);
}

TEST(GifWriter, CommentsAreCutTo255BytesCountedAsGbk) {
    std::vector<StoredFrame> frames;
    frames.push_back(MakeFrame(1, 1, 0, {10, 0, 0, 0, false, std::string(255, 'f')}));
    frames.push_back(MakeFrame(1, 1, 0));
    std::string chinese;
    for (int i = 0; i < 200; ++i) chinese += "字";  // 2 bytes each as GBK counts
    std::string animationComment = std::string(300, 'a');
    AnimationToWrite animation{{1, 1, false, 0, animationComment, 0, {}}, false, frames};
    Bytes file = Write(animation);
    GiflibGif gif = DecodeWithGiflib(file);
    ASSERT_TRUE(gif.ok) << gif.error;
    ASSERT_EQ(gif.frames.size(), 2u);
    ASSERT_EQ(gif.frames[0].comments.size(), 1u);
    EXPECT_EQ(gif.frames[0].comments[0], std::string(255, 'f'));
    EXPECT_EQ(gif.frames[0].extensions[1].subBlocks, 1);
    EXPECT_TRUE(gif.frames[1].comments.empty());
    ASSERT_EQ(gif.trailingComments.size(), 1u);
    EXPECT_EQ(gif.trailingComments[0], std::string(255, 'a'));
    // The animation comment's block: 0x21 0xFE 0xFF, 255 bytes, 0x00, then the trailer.
    ASSERT_GE(file.size(), 260u);
    EXPECT_EQ(Bytes(file.end() - 260, file.end() - 257), (Bytes{0x21, 0xFE, 0xFF}));

    std::string mixed = "x" + chinese;  // 1 + 127 * 2 = 255 counted bytes fit
    animation.comment = mixed;
    gif = DecodeWithGiflib(Write(animation));
    ASSERT_TRUE(gif.ok) << gif.error;
    ASSERT_EQ(gif.trailingComments.size(), 1u);
    EXPECT_EQ(gif.trailingComments[0], "x" + chinese.substr(0, 127 * 3));
    animation.comment = chinese;  // 127 characters fit, the 128th would make 256
    gif = DecodeWithGiflib(Write(animation));
    EXPECT_EQ(gif.trailingComments.at(0), chinese.substr(0, 127 * 3));
}

TEST(GifWriter, InterlacedRowsFollowTheFourPasses) {
    for (uint16_t height : {1, 2, 3, 4, 5, 8, 9, 17}) {
        SCOPED_TRACE(height);
        std::vector<StoredFrame> frames;
        frames.push_back(MakeFrame(5, height, 0));
        frames.push_back(MakeFrame(5, height, 0));
        for (StoredFrame& frame : frames)
            for (uint32_t y = 0; y < height; ++y)  // row y from the top holds y * 5 + x
                for (uint32_t x = 0; x < 5; ++x)
                    frame.image.rows[frame.image.Stride() * (height - 1 - y) + x] =
                        uint8_t(y * 5 + x);
        AnimationToWrite animation{{5, height, true, 0, "", 0, {}}, true, frames};
        Bytes file = Write(animation);
        GiflibGif gif = DecodeWithGiflib(file);
        ASSERT_TRUE(gif.ok) << gif.error;
        for (const GiflibFrame& frame : gif.frames) {
            EXPECT_TRUE(frame.interlaced);
            for (uint32_t y = 0; y < height; ++y)
                for (uint32_t x = 0; x < 5; ++x) EXPECT_EQ(frame.indices[y * 5 + x], y * 5 + x);
        }
        if (height == 3) {
            std::vector<const uint8_t*> order{frames[0].image.TopRow(0), frames[0].image.TopRow(2),
                                              frames[0].image.TopRow(1)};
            Bytes data = ReferenceImageData(order, 5);
            EXPECT_NE(std::search(file.begin(), file.end(), data.begin(), data.end()), file.end());
        }
    }
}

TEST(GifWriter, SinkFailureStopsTheSaveWithTheSinksError) {
    struct FailingSink : ByteSink {
        size_t accepted = 0;
        bool Write(std::span<const uint8_t> bytes, LibraryError& error) override {
            if (accepted > 0) {
                error = FileError(ErrorCode::WriteFailed, "/full/disk.gif", ENOSPC);
                return false;
            }
            accepted += bytes.size();
            return true;
        }
    };
    GifMaker maker;
    maker.Create({});
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(maker.AddFrame({}, std::nullopt, Bmp24(Noise(300, 300, uint32_t(i)))));
    FailingSink sink;
    EXPECT_FALSE(maker.SaveGif(sink));
    EXPECT_EQ(maker.GetErrorCode(), ErrorCode::WriteFailed);
    EXPECT_EQ(maker.GetError(),
              "写入文件失败: /full/disk.gif: " + std::string(std::strerror(ENOSPC)));
    EXPECT_EQ(maker.GetErrorText(Language::English),
              "Could not write /full/disk.gif: " + std::string(std::strerror(ENOSPC)));
    EXPECT_EQ(maker.FrameCount(), 3u);
    EXPECT_FALSE(SaveToMemory(maker).empty());
    EXPECT_EQ(maker.GetError(), "");
    EXPECT_EQ(maker.GetErrorCode(), ErrorCode::NoError);
}

// Everything the maker stored, compared with what giflib reads from the file.
void ExpectFileHolds(const GifMaker& maker, const Bytes& file) {
    GiflibGif gif = DecodeWithGiflib(file);
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(gif.version, "GIF89a");
    EXPECT_EQ(gif.width, maker.LogicalWidth());
    EXPECT_EQ(gif.height, maker.LogicalHeight());
    EXPECT_EQ(gif.background, 0);
    EXPECT_EQ(gif.aspect, 0);
    EXPECT_EQ(gif.colorResolution, 8);
    ASSERT_EQ(gif.frames.size(), maker.FrameCount());
    EXPECT_EQ(gif.globalPalette, ColourTableBytes(maker.DecodeFrame(0).image));
    const bool animated = maker.FrameCount() >= 2;
    EXPECT_EQ(gif.hasLoop, animated && maker.Loop());
    if (gif.hasLoop) {
        EXPECT_EQ(gif.loopCount, maker.LoopCount());
    }
    std::string comment = maker.Comment().substr(0, 255);
    EXPECT_EQ(gif.trailingComments,
              comment.empty() ? std::vector<std::string>{} : std::vector<std::string>{comment});
    for (size_t i = 0; i < gif.frames.size(); ++i) {
        SCOPED_TRACE(i);
        const GiflibFrame& got = gif.frames[i];
        const StoredFrame stored = maker.DecodeFrame(i);
        EXPECT_EQ(got.width, stored.image.width);
        EXPECT_EQ(got.height, stored.image.height);
        EXPECT_EQ(got.interlaced, maker.Interlace());
        for (uint32_t y = 0; y < stored.image.height; ++y)
            ASSERT_EQ(0, std::memcmp(got.indices.data() + size_t(y) * got.width,
                                     stored.image.TopRow(y), got.width));
        if (animated) {
            EXPECT_EQ(got.localPalette, ColourTableBytes(stored.image));
            EXPECT_EQ(got.left, stored.settings.left);
            EXPECT_EQ(got.top, stored.settings.top);
            ASSERT_TRUE(got.hasControl);
            EXPECT_EQ(got.delay, stored.settings.delay);
            EXPECT_EQ(got.disposal, stored.settings.disposal & 7);
            EXPECT_EQ(got.transparentIndex, stored.settings.transparency ? 0 : -1);
            EXPECT_FALSE(got.userInput);
            EXPECT_EQ(got.comments, stored.settings.comment.empty()
                                        ? std::vector<std::string>{}
                                        : std::vector<std::string>{stored.settings.comment});
        } else {
            EXPECT_TRUE(got.localPalette.empty());
            EXPECT_EQ(got.left, 0);
            EXPECT_EQ(got.top, 0);
            EXPECT_FALSE(got.hasControl);
            EXPECT_TRUE(got.comments.empty());
        }
    }
}

TEST(GifMakerSave, GiflibReadsBackEveryStoredSetting) {
    for (bool interlace : {false, true}) {
        GifMaker maker;
        AnimationInfo animation;
        animation.LoopCount = 3;
        animation.exposition = "录制于 gifrec";
        animation.Interlace = interlace;
        maker.Create(animation);
        FrameInfo frame;
        frame.DelayTime = 7;
        frame.exposition = "first";
        ASSERT_TRUE(maker.AddFrame(frame, std::nullopt, Bmp32(ScreenLike(320, 200))));
        frame.Left = 10;
        frame.Top = 20;
        frame.DisposalMethod = kDisposalBackground;
        frame.Transparency = true;
        frame.TransparencyIndex = 7;  // ignored: the transparent entry is always 0
        frame.Dither = true;
        frame.exposition.clear();
        ASSERT_TRUE(maker.AddFrame(frame, std::nullopt, Bmp24(Noise(101, 57))));
        frame.DisposalMethod = 11;
        frame.Dither = false;
        ASSERT_TRUE(maker.AddFrame(frame, std::nullopt, Bmp24(Noise(64, 300, 3))));
        ExpectFileHolds(maker, SaveToMemory(maker));

        AnimationInfo once = animation;
        once.LOOP = false;
        maker.Create(once);
        ASSERT_TRUE(maker.AddFrame(frame, std::nullopt, Bmp24(Noise(9, 9))));
        ExpectFileHolds(maker, SaveToMemory(maker));  // one frame: bare
        ASSERT_TRUE(maker.AddFrame(frame, std::nullopt, Bmp24(Noise(9, 9))));
        ExpectFileHolds(maker, SaveToMemory(maker));  // two frames, no looping
    }
}

TEST(GifMakerSave, FileReplacesTheTargetOnlyWhenComplete) {
    std::string folder = TemporaryFolder();
    std::string path = folder + "/out.gif";
    GifMaker maker;
    maker.Create({});
    ASSERT_TRUE(maker.AddFrame({}, std::nullopt, Bmp24(ScreenLike(200, 100))));
    ASSERT_TRUE(maker.AddFrame({}, std::nullopt, Bmp24(Noise(50, 50))));
    {
        std::ofstream old(path, std::ios::binary);
        old << std::string(100000, 'x');  // longer than the GIF: must not survive at the end
    }
    ASSERT_TRUE(maker.SaveGif(path)) << maker.GetError();
    std::ifstream in(path, std::ios::binary);
    Bytes written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, SaveToMemory(maker));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1);

    // A save that stops part-way leaves the previous file as it was and no stray file.
    {
        FileSink sink;
        sink.Open(path);
        LibraryError error;
        ASSERT_TRUE(sink.Write(Bytes(10, 'y'), error));
    }
    std::ifstream again(path, std::ios::binary);
    Bytes kept((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, written);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(GifMakerSave, FileErrorsNameTheOperationAndThePath) {
    GifMaker maker;
    maker.Create({});
    ASSERT_TRUE(maker.AddFrame({}, std::nullopt, Bmp24(Noise(40, 40))));

    std::string missing = TemporaryFolder() + "/no/such/folder/out.gif";
    EXPECT_FALSE(maker.SaveGif(missing));
    EXPECT_NE(maker.GetError().find("创建文件失败"), std::string::npos) << maker.GetError();
    EXPECT_NE(maker.GetError().find(missing), std::string::npos);

    // A full disk fails, never succeeds.
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(maker.SaveGif("/dev/full"));
        EXPECT_NE(maker.GetError().find("写入文件失败: /dev/full"), std::string::npos)
            << maker.GetError();
    }
    EXPECT_EQ(maker.FrameCount(), 1u);
    EXPECT_TRUE(maker.SaveGif(TemporaryFolder() + "/fine.gif")) << maker.GetError();
    EXPECT_EQ(maker.GetError(), "");
}

}  // namespace
}  // namespace gif::testing
