#include "gif/base/error_code.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <string>

#include "common/allocation_hook.h"
#include "gif/base/library_error.h"
#include "gif/gif_maker.h"
#include "gif/gif_reader.h"

namespace gif::testing {
namespace {

constexpr ErrorCode kLastCode = ErrorCode::Other;

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (uint8_t(c) >= 0x80) return false;
    }
    return true;
}

TEST(ErrorTable, EveryCodeHasItsOwnChineseAndEnglishText) {
    std::set<std::string> chinese, english, names;
    for (int i = 1; i < int(kLastCode); ++i) {
        const ErrorEntry& entry = ErrorInfo(ErrorCode(i));
        EXPECT_EQ(entry.code, ErrorCode(i));
        EXPECT_TRUE(names.insert(entry.name).second) << entry.name;
        EXPECT_TRUE(chinese.insert(entry.chinese).second) << entry.name;
        EXPECT_TRUE(english.insert(entry.english).second) << entry.name;
        EXPECT_FALSE(IsAscii(entry.chinese)) << entry.name;
        EXPECT_TRUE(IsAscii(entry.english)) << entry.name;
        // A detail goes into both texts or neither.
        EXPECT_EQ(std::strstr(entry.chinese, "%s") != nullptr,
                  std::strstr(entry.english, "%s") != nullptr)
            << entry.name;
    }
    EXPECT_EQ(ErrorInfo(ErrorCode(0xFFFF)).code, ErrorCode::Unknown);
}

TEST(ErrorTable, TheLibrarysOwnTextsKeepTheirWording) {
    // Callers (and the recorder's users) know these texts; GetError must keep returning them.
    EXPECT_STREQ(ErrorInfo(ErrorCode::NoObject).chinese, "对象还未创建");
    EXPECT_STREQ(ErrorInfo(ErrorCode::NoFrames).chinese, "还没有加入任何图片");
    EXPECT_STREQ(ErrorInfo(ErrorCode::NoPicture).chinese, "没有指定载入文件路径和图片数据");
    EXPECT_STREQ(ErrorInfo(ErrorCode::BadPictureData).chinese, "不是有效的图片数据");
    EXPECT_STREQ(ErrorInfo(ErrorCode::NoFileMemory).chinese, "为读取文件分配内存失败");
    EXPECT_STREQ(ErrorInfo(ErrorCode::Undecodable).chinese, "读入图片文件失败");
    EXPECT_STREQ(ErrorInfo(ErrorCode::NoBitmapMemory).chinese, "为位图分配内存失败");
    EXPECT_STREQ(ErrorInfo(ErrorCode::NoSettingsMemory).chinese, "为帧图片信息分配内存时出错");
    EXPECT_STREQ(ErrorInfo(ErrorCode::Unknown).chinese, "未知错误");
}

TEST(ErrorTable, PlainTextsMapBackToTheirCodes) {
    for (int i = 1; i < int(kLastCode); ++i) {
        const ErrorEntry& entry = ErrorInfo(ErrorCode(i));
        if (std::strstr(entry.chinese, "%s")) continue;
        EXPECT_EQ(ErrorCodeOfText(entry.chinese), entry.code) << entry.name;
        EXPECT_EQ(LibraryError(std::string_view(entry.chinese)).Code(), entry.code) << entry.name;
    }
    EXPECT_EQ(ErrorCodeOfText("磁盘已满"), ErrorCode::Other);
    EXPECT_EQ(ErrorCodeOfText(""), ErrorCode::Other);
    const LibraryError other(std::string_view("磁盘已满"));
    EXPECT_EQ(other.Code(), ErrorCode::Other);
    EXPECT_STREQ(other.what(), "磁盘已满");
    EXPECT_EQ(ErrorText(other.Code(), other.Detail(), Language::English), "磁盘已满");
}

TEST(ErrorText, FileErrorsCarryPathAndReasonInBothLanguages) {
    const LibraryError error = FileError(ErrorCode::OpenFailed, "/tmp/a b.gif", ENOENT);
    const std::string reason = std::strerror(ENOENT);
    EXPECT_EQ(error.Code(), ErrorCode::OpenFailed);
    EXPECT_EQ(std::string(error.what()), "打开文件失败: /tmp/a b.gif: " + reason);
    EXPECT_EQ(ErrorText(error.Code(), error.Detail(), Language::English),
              "Could not open /tmp/a b.gif: " + reason);
    EXPECT_EQ(ErrorText(ErrorCode::ReadDevice, "/dev/zero", Language::Chinese),
              "读取文件失败: /dev/zero: 是设备，不是文件");
    EXPECT_EQ(ErrorText(ErrorCode::ReadDevice, "/dev/zero", Language::English),
              "Could not read /dev/zero: it is a device, not a file");
}

TEST(ErrorText, LongDetailsAreCutOnWholeCharacters) {
    std::string detail;
    for (int i = 0; i < 400; ++i) detail += "图";  // three bytes each
    const LibraryError error(ErrorCode::CreateFailed, detail);
    const std::string text = error.what();
    EXPECT_EQ(Utf8PrefixBytes(text, 1000), text.size());
    EXPECT_EQ(Utf8PrefixBytes(text, kMaxErrorCharacters), text.size());
    // "创建文件失败: " is 8 characters in 20 bytes; then 247 whole 图s of 3 bytes.
    EXPECT_EQ(text.size(), 20u + 247u * 3u);
    EXPECT_EQ(text.rfind("创建文件失败: 图", 0), 0u);

    // A small buffer still ends in a zero and never overruns.
    char small[8];
    std::memset(small, 'x', sizeof small);
    EXPECT_LE(ComposeErrorText(small, sizeof small, ErrorCode::Unknown, {}, Language::English), 7u);
    EXPECT_STREQ(small, "Unknown");
    EXPECT_EQ(ComposeErrorText(small, 0, ErrorCode::Unknown, {}, Language::English), 0u);
}

void RefuseAllocation(std::size_t) {
    throw std::bad_alloc();
}

TEST(LastError, RecordingAFailureNeedsNoMemory) {
    LastError last;
    const LibraryError error = FileError(ErrorCode::WriteFailed, std::string(300, 'p'), ENOSPC);
    testsupport::SetAllocationHook(RefuseAllocation);
    last.Set(error);
    last.Set(ErrorCode::NoEncodeMemory);
    last.Clear();
    last.Set(error);
    testsupport::SetAllocationHook(nullptr);
    EXPECT_EQ(last.Code(), ErrorCode::WriteFailed);
    EXPECT_EQ(last.Text(), error.what());
    EXPECT_EQ(last.TextIn(Language::English).rfind("Could not write ppp", 0), 0u);
    last.Clear();
    EXPECT_EQ(last.Code(), ErrorCode::NoError);
    EXPECT_EQ(last.Text(), "");
    EXPECT_EQ(last.TextIn(Language::English), "");
}

TEST(ErrorCodes, MakerAndReaderReportCodesBesideTheirTexts) {
    GifMaker maker;
    maker.Create({});
    EXPECT_FALSE(maker.SaveGif("/nonexistent-folder/x.gif"));
    EXPECT_EQ(maker.GetErrorCode(), ErrorCode::NoFrames);
    EXPECT_EQ(maker.GetError(), "还没有加入任何图片");
    EXPECT_EQ(maker.GetErrorText(Language::English), "No picture has been added yet");
    EXPECT_FALSE(maker.AddFrame({}, std::nullopt, std::nullopt));
    EXPECT_EQ(maker.GetErrorCode(), ErrorCode::NoPicture);
    const uint8_t shortData[10] = {'B', 'M'};
    EXPECT_FALSE(maker.AddFrame({}, std::nullopt, std::span<const uint8_t>(shortData)));
    EXPECT_EQ(maker.GetErrorCode(), ErrorCode::BadPictureData);
    EXPECT_FALSE(maker.AddFrame({}, std::string_view("/nonexistent-folder/p.bmp"), std::nullopt));
    EXPECT_EQ(maker.GetErrorCode(), ErrorCode::OpenFailed);
    EXPECT_NE(maker.GetErrorText(Language::English).find("/nonexistent-folder/p.bmp"),
              std::string::npos);
    EXPECT_FALSE(maker.AddFrame({}, std::string_view("/dev/zero"), std::nullopt));
    EXPECT_EQ(maker.GetErrorCode(), ErrorCode::ReadDevice);

    GifReader reader;
    reader.GetFrameInfo(1);
    EXPECT_EQ(reader.GetErrorCode(), ErrorCode::NotLoaded);
    std::vector<uint8_t> notGif(64, 'x');
    EXPECT_FALSE(reader.LoadGif(std::nullopt, notGif));
    EXPECT_EQ(reader.GetErrorCode(), ErrorCode::NotGif);
    EXPECT_EQ(reader.GetError(), "不是GIF图片数据");
    EXPECT_EQ(reader.GetErrorText(Language::English), "Not GIF data");
}

}  // namespace
}  // namespace gif::testing
