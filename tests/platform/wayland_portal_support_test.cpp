#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>

#include "platform/wayland/portal_support.h"

namespace platform::wayland {
namespace {

TEST(PortalSupportTest, CursorIsEmbeddedWhenOfferedElseHidden) {
    EXPECT_EQ(ChooseCursorMode(kCursorHidden | kCursorEmbedded | kCursorMetadata), kCursorEmbedded);
    EXPECT_EQ(ChooseCursorMode(kCursorEmbedded), kCursorEmbedded);
    EXPECT_EQ(ChooseCursorMode(kCursorHidden | kCursorMetadata), kCursorHidden);
    EXPECT_EQ(ChooseCursorMode(kCursorMetadata), 0u);
    EXPECT_EQ(ChooseCursorMode(0), 0u);
}

TEST(PortalSupportTest, MonitorPermissionIsKeptButAWindowIsChosenEveryTime) {
    SourceSelection monitor = ChooseSelection(kSourceMonitor, 4, kCursorEmbedded);
    EXPECT_EQ(monitor.types, kSourceMonitor);
    EXPECT_EQ(monitor.cursorMode, kCursorEmbedded);
    EXPECT_TRUE(monitor.persist);

    SourceSelection window = ChooseSelection(kSourceWindow, 5, kCursorHidden | kCursorEmbedded);
    EXPECT_EQ(window.types, kSourceWindow);
    EXPECT_EQ(window.cursorMode, kCursorEmbedded);
    EXPECT_FALSE(window.persist);

    // Before version 4 nothing is remembered; before version 2 there is no cursor option.
    EXPECT_FALSE(ChooseSelection(kSourceMonitor, 3, kCursorEmbedded).persist);
    EXPECT_EQ(ChooseSelection(kSourceMonitor, 1, kCursorEmbedded).cursorMode, 0u);
    EXPECT_EQ(ChooseSelection(kSourceWindow, 1, kCursorEmbedded).types, kSourceWindow);
}

TEST(PortalSupportTest, HandleTokensAreFreshAndFitAnObjectPath) {
    const std::string first = NewHandleToken();
    const std::string second = NewHandleToken();
    EXPECT_NE(first, second);
    for (const std::string& token : {first, second}) {
        ASSERT_FALSE(token.empty());
        for (char c : token) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '_');
    }
}

TEST(PortalSupportTest, RequestPathFollowsTheCallersUniqueName) {
    EXPECT_EQ(RequestPath(":1.42", "gifrec7_1"),
              "/org/freedesktop/portal/desktop/request/1_42/gifrec7_1");
    EXPECT_EQ(RequestPath(":1.2.3", "t"), "/org/freedesktop/portal/desktop/request/1_2_3/t");
}

TEST(PortalSupportTest, ResponseCodes) {
    EXPECT_EQ(ProblemOfResponse(0), CaptureProblem::NoProblem);
    EXPECT_EQ(ProblemOfResponse(1), CaptureProblem::Refused);
    EXPECT_EQ(ProblemOfResponse(2), CaptureProblem::PortalFailed);
    EXPECT_EQ(ProblemOfResponse(77), CaptureProblem::PortalFailed);
}

TEST(PortalSupportTest, FirstStreamWithANodeIsChosen) {
    EXPECT_FALSE(ChooseStream({}));
    EXPECT_FALSE(ChooseStream({StreamInfo{0, {}, {1920, 1080}, kSourceMonitor}}));
    auto chosen = ChooseStream({StreamInfo{0, {}, {}, 0}, StreamInfo{44, {0, 0}, {800, 600}, 1},
                                StreamInfo{45, {}, {}, 1}});
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->node, 44u);
    EXPECT_EQ(chosen->size, (Size{800, 600}));
}

TEST(PortalSupportTest, TokenPathPrefersTheStateHomeAndNeedsAbsolutePaths) {
    EXPECT_EQ(RestoreTokenPath("/s", "/h"), std::filesystem::path("/s/gifrec/screencast-token"));
    EXPECT_EQ(RestoreTokenPath(nullptr, "/h"),
              std::filesystem::path("/h/.local/state/gifrec/screencast-token"));
    EXPECT_EQ(RestoreTokenPath("relative", "/h"),
              std::filesystem::path("/h/.local/state/gifrec/screencast-token"));
    EXPECT_TRUE(RestoreTokenPath(nullptr, nullptr).empty());
    EXPECT_TRUE(RestoreTokenPath("", "rel").empty());
}

class TokenFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("gifrec-token-test-" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder_);
        path_ = folder_ / "gifrec" / "screencast-token";
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::filesystem::path folder_, path_;
};

TEST_F(TokenFileTest, WrittenTokenIsReadBackAndOnlyTheOwnerMayReadIt) {
    EXPECT_FALSE(ReadRestoreToken(path_));
    ASSERT_TRUE(WriteRestoreToken(path_, "5d3f1c2e-aaaa-bbbb"));
    EXPECT_EQ(ReadRestoreToken(path_), "5d3f1c2e-aaaa-bbbb");
    struct stat info {};
    ASSERT_EQ(::stat(path_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_TRUE(WriteRestoreToken(path_, "second"));
    EXPECT_EQ(ReadRestoreToken(path_), "second");
    EXPECT_FALSE(std::filesystem::exists(path_.string() + ".new"));
}

TEST_F(TokenFileTest, UnusableTokensAreNeitherWrittenNorRead) {
    EXPECT_FALSE(WriteRestoreToken(path_, ""));
    EXPECT_FALSE(WriteRestoreToken(path_, "two words"));
    EXPECT_FALSE(WriteRestoreToken(path_, std::string(600, 'a')));
    EXPECT_FALSE(WriteRestoreToken({}, "token"));
    EXPECT_FALSE(std::filesystem::exists(path_));

    std::filesystem::create_directories(path_.parent_path());
    for (const std::string& content :
         {std::string("bad\x01token"), std::string(2000, 'x'), std::string("line one\nline two")}) {
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << content;
        EXPECT_FALSE(ReadRestoreToken(path_)) << content.substr(0, 20);
    }
    // A folder or a FIFO in the token's place is passed over, without blocking.
    std::filesystem::remove(path_);
    std::filesystem::create_directory(path_);
    EXPECT_FALSE(ReadRestoreToken(path_));
    std::filesystem::remove(path_);
    ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
    EXPECT_FALSE(ReadRestoreToken(path_));
}

}  // namespace
}  // namespace platform::wayland
