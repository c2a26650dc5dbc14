#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/core/watermark_intake.h"
#include "bitmap/picture_codec.h"
#include "common/allocation_probe.h"

namespace app {
namespace {

namespace fs = std::filesystem;

class WatermarkIntakeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("gifrec_intake_" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        fs::path path = folder / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    std::string WriteBmp(const std::string& name, uint32_t width, uint32_t height) {
        bitmap::Image24 image;
        image.width = width;
        image.height = height;
        image.pixels.assign(image.Stride() * height, 0x80);
        return Write(name, bitmap::EncodeBmp24(image));
    }
    static std::string TestPicture(const std::string& name) {
        return std::string(GIFREC_TESTDATA) + "/pictures/" + name;
    }

    // Accepts what a 24-bit stamp accepts and counts the calls.
    WatermarkTrial Trial() {
        return [this](const std::vector<uint8_t>& mark) {
            ++trials;
            return mark.size() > 30 && mark[0] == 'B' && mark[1] == 'M' && mark[28] == 24;
        };
    }

    fs::path folder;
    int trials = 0;
};

TEST_F(WatermarkIntakeTest, OnlyLowerCaseExtensionsOfTheFourTypesPass) {
    std::string upper = WriteBmp("mark.PNG", 10, 10);
    EXPECT_EQ(LoadWatermarkFromFile(upper, Trial()).verdict, WatermarkVerdict::UnsupportedType);
    std::string text = Write("notes.txt", {'h', 'i'});
    EXPECT_EQ(LoadWatermarkFromFile(text, Trial()).verdict, WatermarkVerdict::UnsupportedType);
    EXPECT_EQ(LoadWatermarkFromFile("", Trial()).verdict, WatermarkVerdict::UnsupportedType);
    EXPECT_EQ(LoadWatermarkFromFile("gi", Trial()).verdict, WatermarkVerdict::UnsupportedType);
    EXPECT_EQ(trials, 0);
}

TEST_F(WatermarkIntakeTest, SizeLimitIsBelowTwoHundred) {
    WatermarkIntake fits = LoadWatermarkFromFile(WriteBmp("fits.bmp", 199, 199), Trial());
    EXPECT_EQ(fits.verdict, WatermarkVerdict::Accepted);
    EXPECT_EQ(fits.width, 199);
    EXPECT_EQ(fits.height, 199);
    EXPECT_EQ(LoadWatermarkFromFile(WriteBmp("wide.bmp", 200, 10), Trial()).verdict,
              WatermarkVerdict::TooLarge);
    EXPECT_EQ(LoadWatermarkFromFile(WriteBmp("tall.bmp", 10, 200), Trial()).verdict,
              WatermarkVerdict::TooLarge);
}

// A 1 KB file can claim a picture of hundreds of megabytes; the claim is refused by the header.
TEST_F(WatermarkIntakeTest, AHugeClaimIsRefusedBeforeItIsDecoded) {
    std::vector<uint8_t> rle(14 + 40 + 1024 + 2, 0);  // RLE8, 16000 x 16000, one end code
    auto put32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) rle[at + i] = uint8_t(value >> (8 * i));
    };
    rle[0] = 'B', rle[1] = 'M';
    put32(2, uint32_t(rle.size()));
    put32(10, 14 + 40 + 1024);
    put32(14, 40);
    put32(18, 16000);
    put32(22, 16000);
    rle[26] = 1, rle[28] = 8, rle[30] = 1;
    rle[rle.size() - 1] = 1;
    std::vector<uint8_t> gif = {'G', 'I', 'F', '8',  '9', 'a',  0x80, 0x3E, 0x80, 0x3E,
                                0,   0,   0,   0x2C, 0,   0,    0,    0,    1,    0,
                                1,   0,   0,   2,    2,   0x4C, 1,    0,    0x3B};
    for (const auto& [name, bytes] : {std::pair{"claim.bmp", rle}, std::pair{"claim.gif", gif}}) {
        const std::string path = Write(name, bytes);
        testsupport::AllocationProbe probe;
        EXPECT_EQ(LoadWatermarkFromFile(path, Trial()).verdict, WatermarkVerdict::TooLarge) << name;
        EXPECT_LT(probe.Largest(), size_t{1} << 20) << name;
    }
    EXPECT_EQ(trials, 0);
}

TEST_F(WatermarkIntakeTest, EveryDecodableTypeBecomesA24BitBmp) {
    for (const char* name : {"png-rgba.png", "jpg-baseline.jpg", "gif-transparent.gif",
                             "bmp8-palette.bmp", "bmp24-v3.bmp"}) {
        WatermarkIntake intake = LoadWatermarkFromFile(TestPicture(name), Trial());
        ASSERT_EQ(intake.verdict, WatermarkVerdict::Accepted) << name;
        EXPECT_EQ(intake.width, 37) << name;
        EXPECT_EQ(intake.height, 23) << name;
        bitmap::Image24 decoded;
        ASSERT_EQ(bitmap::DecodePicture(intake.picture, decoded), bitmap::DecodeStatus::Ok);
        EXPECT_EQ(intake.picture[28], 24) << name;
        EXPECT_EQ(decoded.width, 37u);
    }
}

TEST_F(WatermarkIntakeTest, NonPictureAndFileListsAreUnusable) {
    std::string fake = Write("fake.gif", std::vector<uint8_t>(64, 'x'));
    WatermarkIntake intake = LoadWatermarkFromFile(fake, Trial());
    EXPECT_EQ(intake.verdict, WatermarkVerdict::Unusable);
    EXPECT_EQ(intake.width, 0);
    EXPECT_TRUE(intake.picture.empty());

    std::string list = WriteBmp("a.bmp", 8, 8) + "\r\n" + WriteBmp("b.png", 8, 8);
    EXPECT_EQ(LoadWatermarkFromFile(list, Trial()).verdict, WatermarkVerdict::Unusable);
    EXPECT_EQ(LoadWatermarkFromFile((folder / "missing.png").string(), Trial()).verdict,
              WatermarkVerdict::Unusable);
    EXPECT_EQ(LoadWatermarkFromFile(Write("empty.png", {}), Trial()).verdict,
              WatermarkVerdict::Unusable);
}

TEST_F(WatermarkIntakeTest, FifoAndFolderAreRefusedWithoutBlocking) {
    // No writer ever opens the FIFO: reading it as a file would wait for ever.
    const std::string fifo = (folder / "pipe.png").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    WatermarkIntake intake = LoadWatermarkFromFile(fifo, Trial());
    EXPECT_EQ(intake.verdict, WatermarkVerdict::Unusable);
    EXPECT_TRUE(intake.picture.empty());

    fs::create_directories(folder / "dir.bmp");
    EXPECT_EQ(LoadWatermarkFromFile((folder / "dir.bmp").string(), Trial()).verdict,
              WatermarkVerdict::Unusable);
}

TEST_F(WatermarkIntakeTest, TrialDecidesLast) {
    std::string good = WriteBmp("good.bmp", 20, 20);
    WatermarkIntake refused =
        LoadWatermarkFromFile(good, [](const std::vector<uint8_t>&) { return false; });
    EXPECT_EQ(refused.verdict, WatermarkVerdict::Unusable);
    EXPECT_TRUE(refused.picture.empty());
    EXPECT_EQ(LoadWatermarkFromFile(good, WatermarkTrial{}).verdict, WatermarkVerdict::Unusable);
}

TEST_F(WatermarkIntakeTest, EachVerdictHasItsOwnMessage) {
    std::vector<std::string> messages;
    for (WatermarkVerdict v : {WatermarkVerdict::UnsupportedType, WatermarkVerdict::TooLarge,
                               WatermarkVerdict::Unusable, WatermarkVerdict::Accepted}) {
        std::string message = WatermarkIntakeMessage(v);
        EXPECT_FALSE(message.empty());
        for (const std::string& other : messages) EXPECT_NE(message, other);
        messages.push_back(message);
    }
}

}  // namespace
}  // namespace app
