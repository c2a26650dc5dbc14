// Memory that runs out at any allocation inside AddFrame or SaveGif: the call fails with a text,
// stores nothing and leaves no file behind; once memory suffices it succeeds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "alloc_failure_support.h"
#include "gif/c_api/c_api.h"
#include "giflib_support.h"
#include "maker_support.h"

namespace gif::testing {
namespace {

struct Snapshot {
    size_t frames;
    uint16_t width, height;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const GifMaker& maker) {
    return {maker.FrameCount(), maker.LogicalWidth(), maker.LogicalHeight()};
}

const std::vector<std::string> kAddFrameTexts = {"为读取文件分配内存失败", "为位图分配内存失败",
                                                 "为帧图片信息分配内存时出错",
                                                 "为解码图片分配内存失败", "未知错误"};

template <typename Call>
void FailEveryAllocationUntilSuccess(GifMaker& maker, Call call,
                                     const std::vector<std::string>& texts, int& failures) {
    const Snapshot before = Take(maker);
    for (size_t n = 1;; ++n) {
        ASSERT_LT(n, 10000u) << "never succeeds";
        FailAllocationNumber(n);
        bool ok = call();
        bool refused = Disarm();
        if (ok) {
            EXPECT_EQ(maker.GetError(), "");
            break;
        }
        ASSERT_TRUE(refused) << "failed without an allocation failure: " << maker.GetError();
        ++failures;
        EXPECT_NE(std::find(texts.begin(), texts.end(), maker.GetError()), texts.end())
            << "allocation " << n << ": " << maker.GetError();
        ASSERT_EQ(Take(maker), before) << "allocation " << n;
    }
}

TEST(MakerOutOfMemory, AddFrameFailsCleanlyAtEveryAllocation) {
    GifMaker maker;
    maker.Create({});
    std::vector<uint8_t> first = Bmp32(ScreenLike(40, 30));
    ASSERT_TRUE(maker.AddFrame({}, std::nullopt, first));
    std::string path = TemporaryFolder() + "/frame.bmp";
    std::vector<uint8_t> bmp = Bmp24(Noise(33, 21));
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bmp.data()), std::streamsize(bmp.size()));

    FrameInfo info;
    info.exposition = std::string(200, 'k');  // long enough to need memory of its own
    int failures = 0;
    for (bool dither : {false, true}) {
        info.Dither = dither;
        FailEveryAllocationUntilSuccess(
            maker, [&] { return maker.AddFrame(info, std::nullopt, first); }, kAddFrameTexts,
            failures);
        FailEveryAllocationUntilSuccess(
            maker, [&] { return maker.AddFrame(info, path, std::nullopt); }, kAddFrameTexts,
            failures);
    }
    EXPECT_GE(failures, 8);
    EXPECT_EQ(maker.FrameCount(), 5u);
    GiflibGif gif = DecodeWithGiflib(SaveToMemory(maker));
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(gif.frames.size(), 5u);
}

TEST(MakerOutOfMemory, SaveGifFailsCleanlyAtEveryAllocation) {
    GifMaker maker;
    AnimationInfo animation;
    animation.exposition = "comment";
    maker.Create(animation);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(maker.AddFrame({}, std::nullopt, Bmp24(Noise(90, 70, uint32_t(i)))));
    const std::vector<uint8_t> expected = SaveToMemory(maker);
    const std::vector<std::string> texts = {"为GIF编码分配内存失败", "未知错误"};
    int failures = 0;

    std::string folder = TemporaryFolder();
    std::string path = folder + "/out.gif";
    FailEveryAllocationUntilSuccess(
        maker, [&] { return maker.SaveGif(path); }, texts, failures);
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    EXPECT_EQ(file, expected);
    // Nothing but the finished file: no half-written or temporary ones.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1);

    FailEveryAllocationUntilSuccess(
        maker,
        [&] {
            MemorySink sink;
            return maker.SaveGif(sink) && sink.bytes == expected;
        },
        {"为GIF编码分配内存失败", "内存不足，无法保存GIF数据", "未知错误"}, failures);
    EXPECT_GE(failures, 4);
}

TEST(MakerOutOfMemory, CommandsReportInsteadOfThrowing) {
    GifObject* slot = nullptr;
    for (size_t n = 1;; ++n) {
        ASSERT_LT(n, 100u);
        FailAllocationNumber(n);
        int created = gif_MakerCreate(&slot, nullptr);
        Disarm();
        if (created) break;
        EXPECT_EQ(slot, nullptr);
    }
    FailAllocationNumber(1);
    char* text = gif_MakerGetError(&slot);  // malloc, not operator new: unaffected
    Disarm();
    ASSERT_NE(text, nullptr);
    gif_Free(text);
    gif_Clear(&slot);
}

}  // namespace
}  // namespace gif::testing
