// The maker's lifecycle, argument rules and error texts, through the C command table (as a C
// caller sees them) and through the C++ class.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "gif/c_api/c_api.h"
#include "giflib_support.h"
#include "maker_support.h"

namespace gif::testing {
namespace {

std::string TakeText(char* text) {
    std::string copy = text ? text : "<null>";
    gif_Free(text);
    return copy;
}

template <typename Function>
Function* CommandEntry(size_t number) {
    size_t count = 0;
    const GifCommand* table = gif_CommandTable(&count);
    EXPECT_LT(number, count);
    return reinterpret_cast<Function*>(table[number].entry);
}

TEST(MakerCommands, TableListsTheMakerCommandsInOrder) {
    size_t count = 0;
    const GifCommand* table = gif_CommandTable(&count);
    ASSERT_GE(count, 6u);
    const char* names[] = {"Create", "Clear", "Reset", "AddFrame", "SaveGif", "GetError"};
    const char* localNames[] = {"创建", "清空", "重置", "加入帧图片", "保存GIF图片", "取最后错误"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(table[i].number, i);
        EXPECT_STREQ(table[i].object, "GifMaker");
        EXPECT_STREQ(table[i].name, names[i]);
        EXPECT_STREQ(table[i].localName, localNames[i]);
        EXPECT_NE(table[i].entry, nullptr);
    }
}

TEST(MakerCommands, EmptySlotReportsAndRefusesWithoutCreating) {
    GifObject* slot = nullptr;
    auto getError = CommandEntry<decltype(gif_MakerGetError)>(5);
    auto addFrame = CommandEntry<decltype(gif_MakerAddFrame)>(3);
    auto saveGif = CommandEntry<decltype(gif_MakerSaveGif)>(4);
    EXPECT_EQ(TakeText(getError(&slot)), "对象还未创建");
    std::vector<uint8_t> bmp = Bmp24(Noise(4, 4));
    GifFrameInfo frame;
    gif_InitFrameInfo(&frame);
    EXPECT_EQ(addFrame(&slot, &frame, nullptr, bmp.data(), bmp.size()), 0);
    std::string folder = TemporaryFolder();
    EXPECT_EQ(saveGif(&slot, (folder + "/x.gif").c_str()), 0);
    EXPECT_FALSE(std::ifstream(folder + "/x.gif").good());
    CommandEntry<decltype(gif_MakerReset)>(2)(&slot);
    CommandEntry<decltype(gif_Clear)>(1)(&slot);
    EXPECT_EQ(slot, nullptr);
}

TEST(MakerCommands, ASlotHoldingAReaderIsLeftToIt) {
    GifObject* slot = nullptr;
    ASSERT_EQ(gif_ReaderCreate(&slot), 1);
    GifObject* reader = slot;
    EXPECT_EQ(gif_MakerCreate(&slot, nullptr), 0);
    EXPECT_EQ(slot, reader);
    std::vector<uint8_t> bmp = Bmp24(Noise(4, 4));
    EXPECT_EQ(gif_MakerAddFrame(&slot, nullptr, nullptr, bmp.data(), bmp.size()), 0);
    EXPECT_EQ(gif_MakerSaveGif(&slot, (TemporaryFolder() + "/x.gif").c_str()), 0);
    EXPECT_EQ(TakeText(gif_MakerGetError(&slot)), "对象还未创建");
    gif_MakerReset(&slot);
    EXPECT_EQ(slot, reader);
    gif_Clear(&slot);  // Clear destroys either kind
    EXPECT_EQ(slot, nullptr);
}

TEST(MakerCommands, RecordingRoundThroughTheTable) {
    auto create = CommandEntry<decltype(gif_MakerCreate)>(0);
    auto clear = CommandEntry<decltype(gif_Clear)>(1);
    auto reset = CommandEntry<decltype(gif_MakerReset)>(2);
    auto addFrame = CommandEntry<decltype(gif_MakerAddFrame)>(3);
    auto saveGif = CommandEntry<decltype(gif_MakerSaveGif)>(4);
    auto getError = CommandEntry<decltype(gif_MakerGetError)>(5);

    GifObject* slot = nullptr;
    GifAnimationInfo animation;
    gif_InitAnimationInfo(&animation);
    EXPECT_EQ(animation.LOOP, 1);
    animation.exposition = nullptr;  // the empty text
    reset(&slot);
    clear(&slot);
    ASSERT_EQ(create(&slot, &animation), 1);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(TakeText(getError(&slot)), "");
    std::string path = TemporaryFolder() + "/recording.gif";
    EXPECT_EQ(saveGif(&slot, path.c_str()), 0);
    EXPECT_EQ(TakeText(getError(&slot)), "还没有加入任何图片");

    GifFrameInfo frame;
    gif_InitFrameInfo(&frame);
    EXPECT_EQ(frame.DelayTime, 60);
    for (int i = 0; i < 3; ++i) {
        frame.DelayTime = 10 + i;
        frame.Transparency = 2;  // any nonzero value is true
        std::vector<uint8_t> bmp = Bmp32(ScreenLike(64 + 8 * i, 48, uint32_t(i)));
        ASSERT_EQ(addFrame(&slot, &frame, nullptr, bmp.data(), bmp.size()), 1);
    }
    ASSERT_EQ(saveGif(&slot, path.c_str()), 1);
    EXPECT_EQ(TakeText(getError(&slot)), "");
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    GiflibGif gif = DecodeWithGiflib(file);
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(gif.width, 64);
    EXPECT_EQ(gif.height, 48);
    ASSERT_EQ(gif.frames.size(), 3u);
    EXPECT_TRUE(gif.hasLoop);
    EXPECT_EQ(gif.loopCount, 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(gif.frames[i].delay, 10 + i);
        EXPECT_EQ(gif.frames[i].transparentIndex, 0);
    }
    clear(&slot);
    EXPECT_EQ(slot, nullptr);
    clear(&slot);
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(TakeText(getError(&slot)), "对象还未创建");
}

TEST(MakerCommands, PathAndDataArePresentOrOmitted) {
    GifObject* slot = nullptr;
    ASSERT_EQ(gif_MakerCreate(&slot, nullptr), 1);
    GifFrameInfo frame;
    gif_InitFrameInfo(&frame);
    std::vector<uint8_t> bmp = Bmp24(Noise(6, 5));
    std::string folder = TemporaryFolder();
    auto error = [&] { return TakeText(gif_MakerGetError(&slot)); };

    EXPECT_EQ(gif_MakerAddFrame(&slot, &frame, nullptr, nullptr, 0), 0);
    EXPECT_EQ(error(), "没有指定载入文件路径和图片数据");
    EXPECT_EQ(gif_MakerAddFrame(&slot, &frame, nullptr, bmp.data(), 53), 0);
    EXPECT_EQ(error(), "不是有效的图片数据");
    uint8_t empty = 0;
    EXPECT_EQ(gif_MakerAddFrame(&slot, &frame, nullptr, &empty, 0), 0);
    EXPECT_EQ(error(), "不是有效的图片数据");
    std::vector<uint8_t> junk(54, 0x42);
    EXPECT_EQ(gif_MakerAddFrame(&slot, &frame, nullptr, junk.data(), junk.size()), 0);
    EXPECT_EQ(error(), "读入图片文件失败");

    // A given path wins over the data, also when it cannot be read; "" is a given path.
    std::string missing = folder + "/missing.bmp";
    EXPECT_EQ(gif_MakerAddFrame(&slot, &frame, missing.c_str(), bmp.data(), bmp.size()), 0);
    std::string text = error();
    EXPECT_NE(text.find("打开文件失败"), std::string::npos) << text;
    EXPECT_NE(text.find(missing), std::string::npos) << text;
    EXPECT_EQ(gif_MakerAddFrame(&slot, &frame, "", bmp.data(), bmp.size()), 0);
    EXPECT_NE(error(), "");
    EXPECT_EQ(gif_MakerAddFrame(&slot, &frame, folder.c_str(), bmp.data(), bmp.size()), 0);
    EXPECT_NE(error().find(folder), std::string::npos);

    // The 54-byte minimum is for data only; short or empty files fail in decoding.
    std::string emptyFile = folder + "/empty.bmp", shortFile = folder + "/short.bmp";
    std::ofstream(emptyFile).close();
    std::ofstream(shortFile) << "BM12";
    EXPECT_EQ(gif_MakerAddFrame(&slot, &frame, emptyFile.c_str(), nullptr, 0), 0);
    EXPECT_EQ(error(), "读入图片文件失败");
    EXPECT_EQ(gif_MakerAddFrame(&slot, &frame, shortFile.c_str(), nullptr, 0), 0);
    EXPECT_EQ(error(), "读入图片文件失败");

    // A FIFO nobody writes to is no picture, and must not hold the call up.
    std::string fifo = folder + "/fifo.bmp";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(gif_MakerAddFrame(&slot, &frame, fifo.c_str(), nullptr, 0), 0);
    EXPECT_EQ(error(), "读入图片文件失败");

    std::string good = folder + "/good.bmp";
    std::ofstream(good, std::ios::binary)
        .write(reinterpret_cast<const char*>(bmp.data()), std::streamsize(bmp.size()));
    EXPECT_EQ(gif_MakerAddFrame(&slot, &frame, good.c_str(), junk.data(), junk.size()), 1);
    EXPECT_EQ(error(), "");
    EXPECT_EQ(gif_MakerAddFrame(&slot, &frame, nullptr, bmp.data(), bmp.size()), 1);
    gif_Clear(&slot);
}

TEST(GifMakerLifecycle, CreateResetAndTheLogicalScreen) {
    std::unique_ptr<GifMaker> slot;
    AnimationInfo info;
    info.Interlace = true;
    info.LOOP = false;
    info.LoopCount = 5;
    info.exposition = std::string(300, 'c');
    ASSERT_TRUE(Create(slot, info));
    EXPECT_EQ(slot->Comment().size(), 300u);  // kept whole; cut only when written
    ASSERT_FALSE(slot->SaveGif(*std::make_unique<MemorySink>()));
    ASSERT_EQ(slot->GetError(), "还没有加入任何图片");

    ASSERT_TRUE(slot->AddFrame({}, std::nullopt, Bmp24(Noise(30, 20))));
    ASSERT_TRUE(slot->AddFrame({}, std::nullopt, Bmp24(Noise(50, 40))));
    EXPECT_EQ(slot->LogicalWidth(), 30);  // the first frame decides, a larger one does not grow it
    EXPECT_EQ(slot->LogicalHeight(), 20);
    EXPECT_FALSE(slot->AddFrame({}, std::nullopt, std::vector<uint8_t>(10)));

    // Create again: frames gone, new settings, the old error text survives.
    AnimationInfo second;
    second.Width = 100;
    ASSERT_TRUE(Create(slot, second));
    EXPECT_EQ(slot->FrameCount(), 0u);
    EXPECT_EQ(slot->GetError(), "不是有效的图片数据");
    EXPECT_FALSE(slot->Interlace());
    ASSERT_TRUE(slot->AddFrame({}, std::nullopt, Bmp24(Noise(7, 9))));
    EXPECT_EQ(slot->LogicalWidth(), 100);  // given: kept
    EXPECT_EQ(slot->LogicalHeight(), 9);   // 0: the first frame's

    // Reset: defaults back, but the interlace setting of the last Create stays.
    ASSERT_TRUE(Create(slot, info));
    slot->Reset();
    EXPECT_EQ(slot->FrameCount(), 0u);
    EXPECT_EQ(slot->LogicalWidth(), 0);
    EXPECT_EQ(slot->LogicalHeight(), 0);
    EXPECT_TRUE(slot->Loop());
    EXPECT_EQ(slot->LoopCount(), 0);
    EXPECT_EQ(slot->Comment(), "");
    EXPECT_TRUE(slot->Interlace());
    ASSERT_TRUE(slot->AddFrame({}, std::nullopt, Bmp24(Noise(11, 3))));
    EXPECT_EQ(slot->LogicalWidth(), 11);
    EXPECT_EQ(slot->LogicalHeight(), 3);

    Clear(slot);
    EXPECT_EQ(slot, nullptr);
    Clear(slot);
    EXPECT_EQ(slot, nullptr);
}

TEST(GifMakerLifecycle, FrameSettingsAreStoredAsGiven) {
    GifMaker maker;
    maker.Create({});
    FrameInfo info;
    info.DelayTime = 1234;
    info.Left = 65535;
    info.Top = 3;
    info.DisposalMethod = 9;  // kept unchanged; only the file keeps the low three bits
    info.Transparency = true;
    info.TransparencyIndex = 7;
    info.Width = 999;  // the picture decides the size
    info.exposition = std::string(300, 'q');
    ASSERT_TRUE(maker.AddFrame(info, std::nullopt, Bmp24(Noise(5, 6))));
    const StoredFrame frame = maker.DecodeFrame(0);
    EXPECT_EQ(frame.settings.delay, 1234);
    EXPECT_EQ(frame.settings.left, 65535);
    EXPECT_EQ(frame.settings.top, 3);
    EXPECT_EQ(frame.settings.disposal, 9);
    EXPECT_TRUE(frame.settings.transparency);
    EXPECT_EQ(frame.settings.comment, std::string(255, 'q'));
    EXPECT_EQ(frame.image.width, 5);
    EXPECT_EQ(frame.image.height, 6);
}

TEST(GifMakerLifecycle, PicturesBeyondTheGifSizeLimitAreRefused) {
    GifMaker maker;
    maker.Create({});
    ASSERT_TRUE(maker.AddFrame({}, std::nullopt, Bmp24(Noise(3, 3))));
    for (auto [width, height] : {std::pair{65536u, 1u}, std::pair{1u, 65536u}}) {
        bitmap::Image24 huge;
        huge.width = width;
        huge.height = height;
        huge.pixels.assign(huge.Stride() * height, 0x80);
        EXPECT_FALSE(maker.AddFrame({}, std::nullopt, Bmp32(huge)));
        EXPECT_EQ(maker.GetError(), "图片尺寸超出GIF格式范围");
    }
    EXPECT_EQ(maker.FrameCount(), 1u);
    // The largest side a GIF can hold is fine.
    bitmap::Image24 widest;
    widest.width = 65535;
    widest.height = 1;
    widest.pixels.assign(widest.Stride(), 0x10);
    EXPECT_TRUE(maker.AddFrame({}, std::nullopt, Bmp32(widest))) << maker.GetError();
}

TEST(GifMakerLifecycle, TheFormatsOfTheDecoderAllBecomeFrames) {
    GifMaker maker;
    maker.Create({});
    std::string pictures = std::string(GIFREC_TESTDATA) + "/pictures/";
    for (const char* name : {"bmp24-v3.bmp", "bmp32-rgb.bmp", "bmp8-palette.bmp", "png-rgb.png",
                             "jpg-baseline.jpg", "gif-transparent.gif"}) {
        EXPECT_TRUE(maker.AddFrame({}, pictures + name, std::nullopt))
            << name << ": " << maker.GetError();
    }
    GiflibGif gif = DecodeWithGiflib(SaveToMemory(maker));
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(gif.frames.size(), maker.FrameCount());
}

}  // namespace
}  // namespace gif::testing
