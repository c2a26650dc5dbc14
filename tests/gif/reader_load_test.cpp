// Loading: the checks in their order, what stays loaded after a failure, and the index.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "common/allocation_hook.h"
#include "gif/gif_reader.h"
#include "gif/io/file_io.h"
#include "giflib_writer_support.h"

namespace gif {
namespace {

using testing::RawGif;
using Bytes = std::vector<uint8_t>;

Bytes OnePixel() {
    return testing::EncodeLzw(Bytes{1}, 2);
}

// Two frames: control + image each, a looping extension and an animation comment.
Bytes TwoFrames() {
    return RawGif()
        .Screen(4, 3, 0x81, 2)
        .Bytes(testing::RampPalette(4))
        .Looping(5)
        .Control(0x09, 60)
        .Image(0, 0, 4, 3, 0, {}, 2, OnePixel())
        .Control(0x04, 30)
        .Image(1, 1, 2, 2, 0, {}, 2, OnePixel())
        .Comment("animation")
        .Trailer()
        .bytes;
}

bool LoadBytes(GifReader& reader, const Bytes& bytes) {
    return reader.LoadGif(std::nullopt, std::span<const uint8_t>(bytes));
}

class TempDir {
  public:
    TempDir() {
        char pattern[] = "/tmp/gifreader-XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name, const Bytes& bytes) const {
        const std::string path = path_ + "/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
        return path;
    }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

TEST(ReaderLoad, HeaderChecksInOrder) {
    GifReader reader;
    EXPECT_FALSE(reader.LoadGif(std::nullopt, std::nullopt));
    EXPECT_EQ(reader.GetError(), "没有指定载入文件路径和图片数据");

    Bytes bytes = TwoFrames();
    EXPECT_FALSE(LoadBytes(reader, Bytes(bytes.begin(), bytes.begin() + 33)));
    EXPECT_EQ(reader.GetError(), "不是有效的GIF图片数据");
    EXPECT_FALSE(LoadBytes(reader, Bytes{}));
    EXPECT_EQ(reader.GetError(), "不是有效的GIF图片数据");

    Bytes bad = bytes;
    bad[1] = 'X';
    bad[3] = '9';
    bad[4] = '0';  // both wrong: the signature is reported
    EXPECT_FALSE(LoadBytes(reader, bad));
    EXPECT_EQ(reader.GetError(), "不是GIF图片数据");

    bad = bytes;
    bad[4] = '0';  // "90a"
    EXPECT_FALSE(LoadBytes(reader, bad));
    EXPECT_EQ(reader.GetError(), "GIF图片版本号不正确");

    for (const char* header : {"gif89A", "GiF87a", "GIF87A"}) {
        Bytes variant = bytes;
        std::copy(header, header + 6, variant.begin());
        EXPECT_TRUE(LoadBytes(reader, variant)) << header;
        EXPECT_EQ(reader.GetError(), "");
        EXPECT_EQ(reader.FrameCount(), 2u);
    }
}

TEST(ReaderLoad, FailedInMemoryChecksKeepThePreviousGif) {
    GifReader reader;
    const Bytes first = TwoFrames();
    ASSERT_TRUE(LoadBytes(reader, first));
    ASSERT_TRUE(reader.SetPalette(0, 1, 0x112233));
    const Bytes patched = reader.GetGifData(0);

    Bytes notGif = first;
    notGif[0] = 'P';
    Bytes badVersion = first;
    badVersion[5] = 'b';
    for (const Bytes& bad : {Bytes(20, 'G'), notGif, badVersion}) {
        EXPECT_FALSE(LoadBytes(reader, bad));
        EXPECT_TRUE(reader.Loaded());
        EXPECT_EQ(reader.FrameCount(), 2u);
        EXPECT_EQ(reader.GetGifData(0), patched);  // patches survive too
    }
}

TEST(ReaderLoad, FilesAndWhatStaysLoaded) {
    TempDir dir;
    GifReader reader;
    const Bytes gif = TwoFrames();
    const std::string good = dir.File("good.gif", gif);
    ASSERT_TRUE(reader.LoadGif(good, std::nullopt)) << reader.GetError();
    EXPECT_EQ(reader.GetGifData(0), gif);

    // Cannot open, too short: the previous GIF stays.
    const std::string missing = dir.Path() + "/missing.gif";
    EXPECT_FALSE(reader.LoadGif(missing, std::nullopt));
    EXPECT_NE(reader.GetError().find("missing.gif"), std::string::npos) << reader.GetError();
    EXPECT_TRUE(reader.Loaded());
    EXPECT_FALSE(reader.LoadGif(dir.Path(), std::nullopt));  // a folder
    EXPECT_TRUE(reader.Loaded());
    EXPECT_FALSE(
        reader.LoadGif(dir.File("short.gif", Bytes(gif.begin(), gif.begin() + 33)), std::nullopt));
    EXPECT_EQ(reader.GetError(), "不是有效的GIF图片数据");
    EXPECT_EQ(reader.FrameCount(), 2u);

    // The path wins over data, even when the file cannot be read.
    EXPECT_FALSE(reader.LoadGif(missing, std::span<const uint8_t>(gif)));
    EXPECT_EQ(reader.FrameCount(), 2u);

    // A file with a bad signature or version leaves nothing loaded.
    Bytes bad = gif;
    bad[2] = 'X';
    EXPECT_FALSE(reader.LoadGif(dir.File("bad.gif", bad), std::nullopt));
    EXPECT_EQ(reader.GetError(), "不是GIF图片数据");
    EXPECT_FALSE(reader.Loaded());
    EXPECT_EQ(reader.GetGifInfo().Width, 0);
    EXPECT_EQ(reader.GetError(), "还未载入GIF动画");

    ASSERT_TRUE(reader.LoadGif(good, std::nullopt));
    bad = gif;
    bad[3] = '7';
    bad[4] = '7';
    EXPECT_FALSE(reader.LoadGif(dir.File("bad2.gif", bad), std::nullopt));
    EXPECT_EQ(reader.GetError(), "GIF图片版本号不正确");
    EXPECT_FALSE(reader.Loaded());
}

// Damaged structures: the data stay loaded without frames; header-level commands still work.
TEST(ReaderLoad, DamagedGifsStayLoadedWithoutFrames) {
    const Bytes head =
        RawGif().Screen(4, 3, 0x81).Bytes(testing::RampPalette(4)).Control(0, 5).bytes;
    auto withTail = [&](const Bytes& tail) {
        Bytes bytes = head;
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        bytes.resize(std::max<size_t>(bytes.size(), 34), 0);
        return bytes;
    };
    Bytes imageThenJunk =
        RawGif(std::string_view()).Image(0, 0, 4, 3, 0, {}, 2, OnePixel()).Bytes({0x99}).bytes;
    const std::vector<std::pair<std::string, Bytes>> cases = {
        {"unknown introducer", withTail(imageThenJunk)},
        {"unknown label", withTail({0x21, 0x33, 0x00})},
        {"local table past the end", withTail({0x2C, 0, 0, 0, 0, 4, 0, 3, 0, 0x87, 1, 2, 3})},
        {"local table up to the end",
         withTail({0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x80, 1, 2, 3, 4, 5, 6})},
        {"descriptor cut short", withTail({0x2C, 0, 0, 0, 0})},
    };
    for (const auto& [name, bytes] : cases) {
        GifReader reader;
        EXPECT_FALSE(LoadBytes(reader, bytes)) << name;
        EXPECT_EQ(reader.GetError(), "GIF图片文件已经损坏") << name;
        EXPECT_TRUE(reader.Loaded()) << name;
        EXPECT_EQ(reader.FrameCount(), 0u) << name;
        EXPECT_EQ(reader.GetGifInfo().Width, 4) << name;
        EXPECT_EQ(reader.GetGifData(0), bytes) << name;
        EXPECT_TRUE(reader.GetGifData(1).empty()) << name;
        EXPECT_EQ(reader.GetError(), "帧序号超出范围") << name;
    }
}

// The data may end inside the global table: that ends the index like any other end of the
// data, and only the entries wholly inside the data can be read or patched.
TEST(ReaderLoad, GlobalTableCutShortKeepsTheEntriesInsideTheData) {
    const Bytes full =
        RawGif().Screen(4, 3, 0x87).Bytes(testing::RampPalette(8)).Comment("padding").bytes;
    ASSERT_EQ(full.size(), 48u);
    for (size_t size = 45; size <= 48; ++size) {
        SCOPED_TRACE(size);
        const Bytes bytes(full.begin(), full.begin() + long(size));
        const int lastInside = int((size - 13) / 3) - 1;
        GifReader reader;
        ASSERT_TRUE(LoadBytes(reader, bytes)) << reader.GetError();
        EXPECT_EQ(reader.GetError(), "");
        EXPECT_EQ(reader.FrameCount(), 0u);
        EXPECT_EQ(reader.GetGifInfo().ColorNum, 256);

        EXPECT_EQ(reader.GetPalette(0, 5), 5 + 256 * 10 + 65536 * 15);
        const uint8_t* last = &bytes[13 + 3 * size_t(lastInside)];
        EXPECT_EQ(reader.GetPalette(0, uint8_t(lastInside)),
                  last[0] | last[1] << 8 | last[2] << 16);
        EXPECT_EQ(reader.GetError(), "");
        for (int outside : {lastInside + 1, 255}) {
            EXPECT_EQ(reader.GetPalette(0, uint8_t(outside)), -1) << outside;
            EXPECT_EQ(reader.GetError(), "调色板序号超出范围");
            EXPECT_FALSE(reader.SetPalette(0, uint8_t(outside), 0x010203)) << outside;
            EXPECT_EQ(reader.GetError(), "调色板序号超出范围");
        }
        EXPECT_EQ(reader.GetGifData(0), bytes);

        ASSERT_TRUE(reader.SetPalette(0, uint8_t(lastInside), 0x030201));
        Bytes patched = bytes;
        std::copy_n(Bytes{1, 2, 3}.begin(), 3, patched.begin() + 13 + 3 * lastInside);
        EXPECT_EQ(reader.GetGifData(0), patched);
        EXPECT_EQ(reader.GetPalette(1, 0), -1);
        EXPECT_EQ(reader.GetError(), "帧序号超出范围");
    }
}

// Named pipes and devices: a FIFO nobody writes to reads as empty instead of waiting, one with
// a writer is read to its end, and an endless device is refused long before the size ceiling
// of regular files.
TEST(ReaderLoad, PipesAndDevices) {
    TempDir dir;
    const Bytes gif = TwoFrames();
    GifReader reader;
    ASSERT_TRUE(LoadBytes(reader, gif));

    const std::string fifo = dir.Path() + "/pipe.gif";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(reader.LoadGif(fifo, std::nullopt));
    EXPECT_EQ(reader.GetError(), "不是有效的GIF图片数据");
    EXPECT_EQ(reader.FrameCount(), 2u);

    // The writer sends half, the load starts, then the rest follows and the writer closes.
    // The extra reader keeps the FIFO open so the writer need not wait for the load.
    const int keeper = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(keeper, 0);
    const int writer = open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    const size_t half = gif.size() / 2;
    ASSERT_EQ(write(writer, gif.data(), half), ssize_t(half));
    GifReader piped;
    bool loaded = false;
    std::thread load([&] { loaded = piped.LoadGif(fifo, std::nullopt); });
    ASSERT_EQ(write(writer, gif.data() + half, gif.size() - half), ssize_t(gif.size() - half));
    close(writer);
    load.join();
    close(keeper);
    EXPECT_TRUE(loaded) << piped.GetError();
    EXPECT_EQ(piped.GetGifData(0), gif);
    EXPECT_EQ(piped.FrameCount(), 2u);

    // Devices are refused outright; /dev/zero would never end.
    if (std::filesystem::exists("/dev/zero")) {
        EXPECT_FALSE(reader.LoadGif("/dev/zero", std::nullopt));
        EXPECT_EQ(reader.GetError(), "读取文件失败: /dev/zero: 是设备，不是文件");
        EXPECT_EQ(reader.FrameCount(), 2u);
    }

    // A writer that never stops is cut off just past the ceiling for pipes.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::thread endless([out = ends[1]] {
        sigset_t pipeSignal;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);  // EPIPE ends the loop instead
        const std::vector<uint8_t> zeros(65536);
        while (write(out, zeros.data(), zeros.size()) > 0) {
        }
        close(out);
    });
    static size_t largest;
    largest = 0;
    const auto previous =
        testsupport::SetAllocationHook([](size_t bytes) { largest = std::max(largest, bytes); });
    const bool endlessLoaded =
        reader.LoadGif("/proc/self/fd/" + std::to_string(ends[0]), std::nullopt);
    testsupport::SetAllocationHook(previous);
    close(ends[0]);
    endless.join();
    EXPECT_FALSE(endlessLoaded);
    EXPECT_EQ(reader.GetError(), "GIF图片数据太大");
    EXPECT_LE(largest, kMaxStreamBytes + 1);
    EXPECT_EQ(reader.FrameCount(), 2u);
}

TEST(ReaderLoad, StrayZerosAndMissingTrailerKeepFramesFoundSoFar) {
    Bytes bytes = RawGif()
                      .Screen(4, 3, 0x81)
                      .Bytes(testing::RampPalette(4))
                      .Bytes({0, 0, 0})
                      .Control(0, 5)
                      .Bytes({0})
                      .Image(0, 0, 4, 3, 0, {}, 2, OnePixel())
                      .Bytes({0, 0})
                      .Image(0, 0, 4, 3, 0, {}, 2, OnePixel())
                      .bytes;
    GifReader reader;
    EXPECT_TRUE(LoadBytes(reader, bytes));
    EXPECT_EQ(reader.FrameCount(), 2u);
    // Cut inside the second frame's data: it still counts.
    bytes.resize(bytes.size() - 3);
    EXPECT_TRUE(LoadBytes(reader, bytes));
    EXPECT_EQ(reader.FrameCount(), 2u);
    EXPECT_FALSE(reader.GetGifData(2).empty());
}

// Every image gives exactly one frame, starting at the first graphic control extension after
// the previous image; a control extension with no image after it is no frame.
TEST(ReaderLoad, FrameStarts) {
    const Bytes bytes = RawGif()
                            .Screen(4, 3, 0x81)
                            .Bytes(testing::RampPalette(4))
                            .Image(0, 0, 4, 3, 0, {}, 2, OnePixel())  // no control
                            .Control(0x04, 11)
                            .Comment("frame two")
                            .Control(0x08, 22)  // the later control decides
                            .Image(2, 0, 1, 1, 0, {}, 2, OnePixel())
                            .Control(0x04, 33)  // no image follows
                            .Trailer()
                            .bytes;
    GifReader reader;
    ASSERT_TRUE(LoadBytes(reader, bytes));
    ASSERT_EQ(reader.FrameCount(), 2u);
    FrameInfo first = reader.GetFrameInfo(1);
    EXPECT_EQ(first.DelayTime, 0);
    EXPECT_EQ(first.Width, 4);
    FrameInfo second = reader.GetFrameInfo(2);
    EXPECT_EQ(second.DelayTime, 22);
    EXPECT_EQ(second.DisposalMethod, 2);
    EXPECT_EQ(second.Left, 2);
    EXPECT_EQ(second.exposition, "frame two");
    EXPECT_EQ(reader.GetGifInfo().exposition, "");  // the comment lies inside a frame
}

TEST(ReaderLoad, AnimationCommentAndLooping) {
    struct Case {
        std::string name;
        Bytes bytes;
        std::string comment;
        bool loop;
        uint16_t count;
    };
    auto base = [] { return RawGif().Screen(4, 3, 0x81).Bytes(testing::RampPalette(4)); };
    const std::vector<Case> cases = {
        {"plain",
         base()
             .Comment("first")
             .Image(0, 0, 1, 1, 0, {}, 2, OnePixel())
             .Comment("second")
             .Trailer()
             .bytes,
         "second", false, 0},
        {"two sub-blocks",
         base()
             .Extension(0xFE, {{'a'}, {'b'}})
             .Image(0, 0, 1, 1, 0, {}, 2, OnePixel())
             .Trailer()
             .bytes,
         "ab", false, 0},
        {"last loop wins",
         base().Looping(3).Looping(7).Image(0, 0, 1, 1, 0, {}, 2, OnePixel()).Trailer().bytes, "",
         true, 7},
        {"other application",
         base()
             .Extension(0xFF, {{'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '1'}, {1, 9, 0}})
             .Image(0, 0, 1, 1, 0, {}, 2, OnePixel())
             .Trailer()
             .bytes,
         "", false, 0},
        // The identifier without a loop-count sub-block: looping, but no count to read.
        {"no count",
         base()
             .Extension(0xFF, {{'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'}})
             .Image(0, 0, 1, 1, 0, {}, 2, OnePixel())
             .Trailer()
             .bytes,
         "", true, 0},
    };
    for (const auto& c : cases) {
        GifReader reader;
        ASSERT_TRUE(LoadBytes(reader, c.bytes)) << c.name;
        const AnimationInfo info = reader.GetGifInfo();
        EXPECT_EQ(info.exposition, c.comment) << c.name;
        EXPECT_EQ(info.LOOP, c.loop) << c.name;
        EXPECT_EQ(info.LoopCount, c.count) << c.name;
        EXPECT_EQ(info.FrameCount, 1u) << c.name;
    }
}

TEST(ReaderLoad, GifInfoFields) {
    GifReader reader;
    ASSERT_TRUE(LoadBytes(reader, TwoFrames()));
    const AnimationInfo info = reader.GetGifInfo();
    EXPECT_EQ(info.Width, 4);
    EXPECT_EQ(info.Depth, 3);
    EXPECT_TRUE(info.LOOP);
    EXPECT_EQ(info.LoopCount, 5);
    EXPECT_EQ(info.BgColorIndex, 2);
    EXPECT_EQ(info.exposition, "animation");
    EXPECT_EQ(info.FrameCount, 2u);
    EXPECT_EQ(info.ColorNum, 4);
    EXPECT_FALSE(info.Interlace);

    const FrameInfo frame = reader.GetFrameInfo(1);
    EXPECT_EQ(frame.DelayTime, 60);
    EXPECT_EQ(frame.DisposalMethod, 2);
    EXPECT_TRUE(frame.Transparency);
    EXPECT_EQ(frame.ColorNum, 0);
    EXPECT_FALSE(frame.Dither);

    for (uint32_t index : {0u, 3u, 0xFFFFFFFFu}) {
        const FrameInfo none = reader.GetFrameInfo(index);
        EXPECT_EQ(reader.GetError(), "帧序号超出范围");
        EXPECT_EQ(none.DelayTime, 0);
        EXPECT_EQ(none.Width, 0);
    }
}

TEST(ReaderLoad, CommandsBeforeLoading) {
    GifReader reader;
    EXPECT_EQ(reader.GetGifInfo().Width, 0);
    EXPECT_FALSE(reader.GetGifInfo().LOOP);
    EXPECT_EQ(reader.GetError(), "还未载入GIF动画");
    reader.GetFrameInfo(1);
    EXPECT_EQ(reader.GetError(), "还未载入GIF动画");
    EXPECT_FALSE(reader.SetGifInfo({}));
    EXPECT_FALSE(reader.SetFrameInfo({}, 1));
    EXPECT_EQ(reader.GetPalette(0, 0), -1);
    EXPECT_FALSE(reader.SetPalette(0, 0, 0));
    EXPECT_TRUE(reader.GetGifData(0).empty());
    EXPECT_FALSE(reader.SaveGif("/tmp/never-written.gif"));
    EXPECT_EQ(reader.GetError(), "还未载入GIF动画");
    EXPECT_FALSE(std::filesystem::exists("/tmp/never-written.gif"));
}

}  // namespace
}  // namespace gif
