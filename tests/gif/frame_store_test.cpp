// Frame stores: the GIF is the same whichever store holds the frames; a store file cut short by
// a crash still gives every whole frame; a full disk refuses the frame and keeps the others.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "gif/base/library_error.h"
#include "gif/store/frame_record.h"
#include "gif/store/frame_store.h"
#include "giflib_support.h"
#include "maker_support.h"

namespace gif::testing {
namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A few frames of different kinds: screen-like, noise, a comment, a delay, an odd size.
void AddFrames(GifMaker& maker, int count) {
    for (int i = 0; i < count; ++i) {
        FrameInfo info;
        info.DelayTime = uint16_t(10 + i);
        info.Left = uint16_t(i);
        info.DisposalMethod = uint8_t(i % 4);
        info.Transparency = i % 2;
        info.Dither = i % 3 == 2;
        if (i == 1) info.exposition = "第二帧";
        const bitmap::Image24 picture =
            i % 2 ? Noise(37 + uint32_t(i), 23, uint32_t(i)) : ScreenLike(160, 90, uint32_t(i));
        ASSERT_TRUE(maker.AddFrame(info, std::nullopt, Bmp32(picture))) << maker.GetError();
    }
}

std::vector<uint8_t> SaveWith(std::unique_ptr<FrameStore> store, int frames, bool interlace) {
    GifMaker maker;
    AnimationInfo animation;
    animation.Interlace = interlace;
    animation.exposition = "store";
    maker.Create(animation);
    maker.SetFrameStore(std::move(store));
    AddFrames(maker, frames);
    return SaveToMemory(maker);
}

TEST(FrameStore, EveryStoreGivesTheSameFile) {
    const std::string folder = TemporaryFolder();
    for (int frames : {1, 2, 7}) {
        for (bool interlace : {false, true}) {
            SCOPED_TRACE(::testing::Message() << frames << " frames, interlace " << interlace);
            const auto expected = SaveWith(std::make_unique<MemoryFrameStore>(), frames, interlace);
            ASSERT_FALSE(expected.empty());
            // A budget that is passed after the first frames, and one that is passed at once.
            EXPECT_EQ(
                SaveWith(std::make_unique<SpillingFrameStore>(20000, folder), frames, interlace),
                expected);
            EXPECT_EQ(SaveWith(std::make_unique<SpillingFrameStore>(0, folder), frames, interlace),
                      expected);
            const std::string path =
                folder + "/frames-" + std::to_string(frames) + (interlace ? "i" : "p");
            EXPECT_EQ(SaveWith(FileFrameStore::Create(path), frames, interlace), expected);
            // The default store, as a plain maker has it.
            GifMaker plain;
            AnimationInfo animation;
            animation.Interlace = interlace;
            animation.exposition = "store";
            plain.Create(animation);
            AddFrames(plain, frames);
            EXPECT_EQ(SaveToMemory(plain), expected);
            GiflibGif gif = DecodeWithGiflib(expected);
            ASSERT_TRUE(gif.ok) << gif.error;
            EXPECT_EQ(gif.frames.size(), size_t(frames));
        }
    }
    // The unnamed files left nothing behind in the folder.
    size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        entries += entry.path().filename().string().rfind("frames-", 0) == 0 ? 0 : 1;
    EXPECT_EQ(entries, 0u);
}

TEST(FrameStore, AStoreFileCutShortKeepsItsWholeFrames) {
    const std::string folder = TemporaryFolder();
    const std::string path = folder + "/journal";
    {
        GifMaker maker;
        maker.Create({});
        maker.SetFrameStore(FileFrameStore::Create(path));
        AddFrames(maker, 3);
    }
    const std::vector<uint8_t> whole = ReadFile(path);
    // Frame sizes from the file as it is: every cut inside the third frame leaves two.
    std::vector<uint8_t> scratch;
    auto full = FileFrameStore::Open(path);
    ASSERT_EQ(full->Count(), 3u);
    const size_t third = full->Read(2, scratch).size() + 8;
    full.reset();
    for (size_t cut : {size_t{1}, size_t{4}, size_t{5}, third / 2, third - 1}) {
        SCOPED_TRACE(cut);
        const std::string cutPath = folder + "/cut";
        std::filesystem::remove(cutPath);
        std::ofstream(cutPath, std::ios::binary)
            .write(reinterpret_cast<const char*>(whole.data()),
                   std::streamsize(whole.size() - cut));
        auto store = FileFrameStore::Open(cutPath);
        EXPECT_EQ(store->Count(), 2u);
        // Appending continues after the whole frames, and the file opens again with three.
        const std::span<const uint8_t> first = store->Read(0, scratch);
        store->Append(std::vector<uint8_t>(first.begin(), first.end()));
        store.reset();
        EXPECT_EQ(FileFrameStore::Open(cutPath)->Count(), 3u);
    }
    // A damaged byte inside the second frame: only the first one is whole.
    std::vector<uint8_t> damaged = whole;
    damaged[whole.size() - third - 20] ^= 0x55;
    const std::string damagedPath = folder + "/damaged";
    std::ofstream(damagedPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(damaged.data()), std::streamsize(damaged.size()));
    EXPECT_EQ(FileFrameStore::Open(damagedPath)->Count(), 1u);

    // The recovered frames make the same GIF as before the cut.
    GifMaker reference;
    reference.Create({});
    AddFrames(reference, 2);
    GifMaker recovered;
    recovered.Create({});
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(whole.data()), std::streamsize(whole.size() - 9));
    recovered.SetFrameStore(FileFrameStore::Open(path));
    EXPECT_EQ(recovered.LogicalWidth(), 160);
    EXPECT_EQ(SaveToMemory(recovered), SaveToMemory(reference));
}

TEST(FrameStore, OpenRefusesWhatIsNoStoreFile) {
    const std::string folder = TemporaryFolder();
    const std::string other = folder + "/picture.gif";
    std::ofstream(other) << "GIF89a and more";
    EXPECT_THROW(FileFrameStore::Open(other), LibraryError);
    EXPECT_THROW(FileFrameStore::Open(folder + "/missing"), LibraryError);
    EXPECT_THROW(FileFrameStore::Open(folder), LibraryError);
    // An existing file is never taken over by Create.
    EXPECT_THROW(FileFrameStore::Create(other), LibraryError);
    EXPECT_EQ(ReadFile(other).size(), 15u);
}

TEST(FrameStore, ALockIsHeldByOneStoreAtATime) {
    const std::string path = TemporaryFolder() + "/locked";
    auto first = FileFrameStore::Create(path);
    ASSERT_TRUE(first->TryLock());
    auto second = FileFrameStore::Open(path);
    EXPECT_FALSE(second->TryLock());
    first.reset();
    EXPECT_TRUE(second->TryLock());
}

TEST(FrameStore, AFullFileRefusesTheFrameAndKeepsTheOthers) {
    GifMaker maker;
    maker.Create({});
    const std::string path = TemporaryFolder() + "/small";
    maker.SetFrameStore(FileFrameStore::Create(path));
    AddFrames(maker, 2);
    const auto before = SaveToMemory(maker);
    // The file may not grow past its size now.
    rlimit previous;
    getrlimit(RLIMIT_FSIZE, &previous);
    struct sigaction ignore {
    }, old{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &old);
    rlimit limit = previous;
    limit.rlim_cur = std::filesystem::file_size(path) + 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const bool added = maker.AddFrame({}, std::nullopt, Bmp32(Noise(90, 90)));
    const std::string error = maker.GetError();
    setrlimit(RLIMIT_FSIZE, &previous);
    sigaction(SIGXFSZ, &old, nullptr);
    EXPECT_FALSE(added);
    EXPECT_NE(error.find("写入帧缓存文件失败"), std::string::npos) << error;
    EXPECT_EQ(maker.FrameCount(), 2u);
    EXPECT_EQ(SaveToMemory(maker), before);
    // With room again the next frame is taken, and the file holds exactly the three frames.
    ASSERT_TRUE(maker.AddFrame({}, std::nullopt, Bmp32(Noise(90, 90)))) << maker.GetError();
    EXPECT_EQ(FileFrameStore::Open(path)->Count(), 3u);
}

TEST(FrameRecord, LengthsThatDoNotAddUpAreRefused) {
    std::vector<uint8_t> record;
    FrameHeader header;
    header.tableBits = 2;
    const uint8_t table[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    BeginFrameRecord(header, "abc", table, record);
    record.insert(record.end(), {2, 1, 0x44, 0});
    FinishFrameRecord(record);
    std::optional<FrameView> view = ParseFrameRecord(record);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->comment, "abc");
    EXPECT_EQ(std::vector<uint8_t>(view->colourTable.begin(), view->colourTable.end()),
              std::vector<uint8_t>(table, table + 12));
    EXPECT_EQ(view->imageData.size(), 4u);
    for (size_t size = 0; size < record.size(); ++size)
        EXPECT_FALSE(ParseFrameRecord({record.data(), size})) << size;
    record.push_back(0);
    EXPECT_FALSE(ParseFrameRecord(record));
    record.pop_back();
    record[13] = 9;  // a table of 512 entries cannot be
    EXPECT_FALSE(ParseFrameRecord(record));
}

}  // namespace
}  // namespace gif::testing
