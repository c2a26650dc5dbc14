// A recording far larger than memory: 2000 full-HD frames under an address-space cap of 1 GiB,
// where keeping the pixels of every frame would take 4 GiB. The maker keeps them encoded and
// spills them to a file, and the file it saves is the one an all-in-memory store gives.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "gif/store/frame_store.h"
#include "maker_support.h"

namespace gif::testing {
namespace {

constexpr uint32_t kWidth = 1920, kHeight = 1080;
constexpr int kFrames = 2000;

// A changing screen: a few screen-like pictures, each drawn on a little more every frame.
class ChangingScreen {
  public:
    ChangingScreen() {
        for (uint32_t seed = 1; seed <= 3; ++seed)
            screens_.push_back(Bmp32(ScreenLike(kWidth, kHeight, seed)));
    }
    const std::vector<uint8_t>& Next(int frame) {
        std::vector<uint8_t>& bmp = screens_[size_t(frame / 40) % screens_.size()];
        const uint32_t left = uint32_t(frame * 37) % (kWidth - 48);
        const uint32_t top = uint32_t(frame * 53) % (kHeight - 16);
        const uint8_t shade = uint8_t(frame * 7);
        for (uint32_t y = top; y < top + 16; ++y)
            for (uint32_t x = left; x < left + 48; ++x) {
                uint8_t* pixel = bmp.data() + 54 + 4 * (size_t(y) * kWidth + x);
                pixel[0] = shade;
                pixel[1] = uint8_t(255 - shade);
                pixel[2] = uint8_t(x ^ y);
            }
        return bmp;
    }

  private:
    std::vector<std::vector<uint8_t>> screens_;
};

// Keeps only a digest of what is written.
class DigestSink final : public ByteSink {
  public:
    bool Write(std::span<const uint8_t> bytes, LibraryError&) override {
        for (uint8_t b : bytes) digest = (digest ^ b) * 0x100000001B3u;
        size += bytes.size();
        return true;
    }
    uint64_t digest = 0xCBF29CE484222325u;
    uint64_t size = 0;
};

bool Record(GifMaker& maker) {
    ChangingScreen screen;
    FrameInfo info;
    info.DelayTime = 10;
    for (int i = 0; i < kFrames; ++i)
        if (!maker.AddFrame(info, std::nullopt, screen.Next(i))) return false;
    return true;
}

// The sanitizers reserve terabytes of address space for their shadow memory.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer) || __has_feature(thread_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

TEST(MakerLongRecording, TwoThousandFullHdFramesFitUnderOneGibibyte) {
    if (kSanitized) GTEST_SKIP() << "an address-space cap cannot hold a sanitizer's shadow memory";
    const std::string path = TemporaryFolder() + "/long.gif";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit cap{rlim_t{1} << 30, rlim_t{1} << 30};
        if (setrlimit(RLIMIT_AS, &cap) != 0) _exit(3);
        GifMaker maker;
        maker.Create({});
        if (!Record(maker)) {
            std::fprintf(stderr, "AddFrame: %s\n", maker.GetError().c_str());
            _exit(1);
        }
        if (!maker.SaveGif(path)) {
            std::fprintf(stderr, "SaveGif: %s\n", maker.GetError().c_str());
            _exit(2);
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status))
        << "the capped recording was killed by signal " << WTERMSIG(status);
    ASSERT_EQ(WEXITSTATUS(status), 0) << "1: AddFrame failed, 2: SaveGif failed, 3: no cap";

    GifMaker reference;
    reference.Create({});
    reference.SetFrameStore(std::make_unique<MemoryFrameStore>());
    ASSERT_TRUE(Record(reference)) << reference.GetError();
    DigestSink expected;
    ASSERT_TRUE(reference.SaveGif(expected)) << reference.GetError();

    DigestSink saved;
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chunk(1 << 20);
    LibraryError ignored;
    while (in.read(chunk.data(), std::streamsize(chunk.size())) || in.gcount() > 0)
        saved.Write({reinterpret_cast<const uint8_t*>(chunk.data()), size_t(in.gcount())}, ignored);
    EXPECT_EQ(saved.size, expected.size);
    EXPECT_EQ(saved.digest, expected.digest);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace gif::testing
