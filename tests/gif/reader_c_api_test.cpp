// The GifReader commands through the C command table: slots, records, ownership.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gif/c_api/c_api.h"
#include "giflib_writer_support.h"

namespace {

using gif::testing::RawGif;

std::vector<uint8_t> SampleGif() {
    const std::vector<uint8_t> pixels{1, 2, 3, 0};
    return RawGif()
        .Screen(2, 2, 0x81)
        .Bytes(gif::testing::RampPalette(4))
        .Looping(4)
        .Control(0x05, 25)
        .Comment("hello")
        .Image(0, 0, 2, 2, 0, {}, 2, gif::testing::EncodeLzw(pixels, 2))
        .Comment("whole")
        .Trailer()
        .bytes;
}

std::string TakeText(char* text) {
    std::string copy = text ? text : "(null)";
    gif_Free(text);
    return copy;
}

TEST(ReaderCApi, CommandTableHoldsAllEighteenInOrder) {
    size_t count = 0;
    const GifCommand* table = gif_CommandTable(&count);
    ASSERT_EQ(count, 18u);
    const char* names[18] = {
        "Create",       "Clear",        "Reset",      "AddFrame",   "SaveGif",    "GetError",
        "Create",       "Clear",        "LoadGif",    "GetError",   "GetGifInfo", "SetGifInfo",
        "GetFrameInfo", "SetFrameInfo", "GetPalette", "SetPalette", "GetGifData", "SaveGif"};
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(table[i].number, int(i));
        EXPECT_STREQ(table[i].name, names[i]);
        EXPECT_STREQ(table[i].object, i < 6 ? "GifMaker" : "GifReader");
        EXPECT_NE(table[i].entry, nullptr);
    }
    EXPECT_EQ(table[1].entry, table[7].entry);  // one Clear for both kinds
    EXPECT_EQ(table[6].entry, reinterpret_cast<GifCommandEntry>(gif_ReaderCreate));
    EXPECT_EQ(table[16].entry, reinterpret_cast<GifCommandEntry>(gif_ReaderGetGifData));
    EXPECT_STREQ(table[8].localName, "载入动画");

    // Called through the table, cast back to its own prototype.
    GifObject* slot = nullptr;
    auto create = reinterpret_cast<int (*)(GifObject**)>(table[6].entry);
    auto getError = reinterpret_cast<char* (*)(GifObject**)>(table[9].entry);
    EXPECT_EQ(TakeText(getError(&slot)), "对象还未创建");
    ASSERT_EQ(create(&slot), 1);
    EXPECT_EQ(TakeText(getError(&slot)), "");
    reinterpret_cast<void (*)(GifObject**)>(table[7].entry)(&slot);
    EXPECT_EQ(slot, nullptr);
}

TEST(ReaderCApi, EmptySlotGivesEmptyResults) {
    GifObject* slot = nullptr;
    const auto bytes = SampleGif();
    EXPECT_EQ(gif_ReaderLoadGif(&slot, nullptr, bytes.data(), bytes.size()), 0);
    GifAnimationInfo* info = gif_ReaderGetGifInfo(&slot);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->Width | info->LOOP | info->FrameCount, 0);
    EXPECT_EQ(info->exposition, nullptr);
    gif_Free(info);
    GifFrameInfo* frame = gif_ReaderGetFrameInfo(&slot, 1);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->DelayTime, 0);
    gif_Free(frame);
    EXPECT_EQ(gif_ReaderGetPalette(&slot, 0, 0), -1);
    EXPECT_EQ(gif_ReaderSetPalette(&slot, 0, 0, 0), 0);
    EXPECT_EQ(gif_ReaderGetGifData(&slot, 0).data, nullptr);
    EXPECT_EQ(gif_ReaderSaveGif(&slot, "/tmp/never.gif"), 0);
    EXPECT_EQ(slot, nullptr);
    gif_Clear(&slot);
    gif_Clear(&slot);
}

TEST(ReaderCApi, CommandsOnALoadedGif) {
    GifObject* slot = nullptr;
    ASSERT_EQ(gif_ReaderCreate(&slot), 1);
    EXPECT_EQ(gif_ReaderLoadGif(&slot, nullptr, nullptr, 0), 0);
    EXPECT_EQ(TakeText(gif_ReaderGetError(&slot)), "没有指定载入文件路径和图片数据");
    const uint8_t empty = 0;
    EXPECT_EQ(gif_ReaderLoadGif(&slot, nullptr, &empty, 0), 0);  // given, but empty
    EXPECT_EQ(TakeText(gif_ReaderGetError(&slot)), "不是有效的GIF图片数据");

    const auto bytes = SampleGif();
    ASSERT_EQ(gif_ReaderLoadGif(&slot, nullptr, bytes.data(), bytes.size()), 1);
    GifAnimationInfo* info = gif_ReaderGetGifInfo(&slot);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->Width, 2);
    EXPECT_EQ(info->LOOP, 1);
    EXPECT_EQ(info->LoopCount, 4);
    EXPECT_EQ(info->FrameCount, 1);
    EXPECT_EQ(info->ColorNum, 4);
    EXPECT_STREQ(info->exposition, "whole");
    info->Width = 9;
    EXPECT_EQ(gif_ReaderSetGifInfo(&slot, info), 1);
    gif_Free(info);

    GifFrameInfo* frame = gif_ReaderGetFrameInfo(&slot, 1);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->DelayTime, 25);
    EXPECT_EQ(frame->DisposalMethod, 1);
    EXPECT_EQ(frame->Transparency, 1);
    EXPECT_STREQ(frame->exposition, "hello");
    frame->Left = 1;
    EXPECT_EQ(gif_ReaderSetFrameInfo(&slot, frame, 1), 1);
    EXPECT_EQ(gif_ReaderSetFrameInfo(&slot, frame, -1), 0);  // compared as unsigned
    EXPECT_EQ(TakeText(gif_ReaderGetError(&slot)), "帧序号超出范围");
    gif_Free(frame);

    EXPECT_EQ(gif_ReaderSetPalette(&slot, 0, 3, 0x00FF8040), 1);
    EXPECT_EQ(gif_ReaderGetPalette(&slot, 0, 3), 0x00FF8040);
    EXPECT_EQ(gif_ReaderGetPalette(&slot, -5, 3), -1);

    GifBytes whole = gif_ReaderGetGifData(&slot, 0);
    ASSERT_EQ(whole.size, bytes.size());
    EXPECT_EQ(whole.data[6], 9);
    gif_Free(whole.data);
    GifBytes bmp = gif_ReaderGetGifData(&slot, 1);
    ASSERT_GT(bmp.size, 54u);
    EXPECT_EQ(std::memcmp(bmp.data, "BM", 2), 0);
    gif_Free(bmp.data);

    // Create replaces the reader: nothing stays loaded.
    ASSERT_EQ(gif_ReaderCreate(&slot), 1);
    EXPECT_EQ(gif_ReaderGetPalette(&slot, 0, 3), -1);
    EXPECT_EQ(TakeText(gif_ReaderGetError(&slot)), "还未载入GIF动画");
    gif_Clear(&slot);
    EXPECT_EQ(slot, nullptr);
}

TEST(ReaderCApi, SlotHoldingAMakerIsLeftAlone) {
    GifObject* slot = nullptr;
    GifAnimationInfo settings;
    gif_InitAnimationInfo(&settings);
    ASSERT_EQ(gif_MakerCreate(&slot, &settings), 1);
    GifObject* maker = slot;
    EXPECT_EQ(gif_ReaderCreate(&slot), 0);
    EXPECT_EQ(slot, maker);
    const auto bytes = SampleGif();
    EXPECT_EQ(gif_ReaderLoadGif(&slot, nullptr, bytes.data(), bytes.size()), 0);
    EXPECT_EQ(TakeText(gif_ReaderGetError(&slot)), "对象还未创建");
    gif_Clear(&slot);
    EXPECT_EQ(slot, nullptr);
}

}  // namespace
