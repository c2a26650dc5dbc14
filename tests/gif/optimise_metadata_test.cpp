// gifanim optimize keeps what viewers use besides the pixels: the background colour, and the
// extensions of other programs (colour profiles, XMP, notes, comments, plain text), each where
// it stood. --strip drops those extensions. Everything is read back with giflib.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <tuple>

#include "giflib_support.h"
#include "giflib_timeline_support.h"
#include "giflib_writer_support.h"
#include "maker_support.h"
#include "tool_run_support.h"

namespace gif::testing {
namespace {

#ifdef GIFANIM_PATH

std::vector<uint8_t> Text(std::string_view text) {
    return {text.begin(), text.end()};
}

// An extension as a file holds it, from 0x21 to its terminator.
std::vector<uint8_t> Raw(uint8_t label, const std::vector<std::vector<uint8_t>>& blocks) {
    return RawGif("").Extension(label, blocks).bytes;
}

const std::vector<uint8_t> kIcc =
    Raw(0xFF, {Text("ICCRGBG1012"), std::vector<uint8_t>(255, 0x42), {0, 0, 2, 0x30}});
const std::vector<uint8_t> kXmp =
    Raw(0xFF, {Text("XMP DataXMP"), Text("<x:xmpmeta xmlns:x='adobe:ns:meta/'/>")});
const std::vector<uint8_t> kGamma = Raw(0xFF, {Text("ImageMagick"), Text("gamma=1")});
const std::vector<uint8_t> kBetween = Raw(0xFE, {Text("between frames")});
const std::vector<uint8_t> kInside = Raw(0xFE, {Text("inside "), Text("frame 3")});
const std::vector<uint8_t> kPlainText =
    Raw(0x01, {{0, 0, 0, 0, 2, 0, 1, 0, 1, 1, 1, 0}, Text("Hi")});
const std::vector<uint8_t> kAtEnd = Raw(0xFE, {Text("at the end")});

// A frame through the global table (minimum code size 2), after its control extension.
RawGif& Frame(RawGif& gif, uint16_t left, uint16_t top, uint16_t width, uint16_t height,
              const std::vector<uint8_t>& indices) {
    return gif.Image(left, top, width, height, 0x00, {}, 2, EncodeLzw(indices, 2));
}

// Four colours in a 256-entry table, so that the optimised file, with its smaller table, is
// smaller and not written back unchanged.
std::vector<uint8_t> FourColours() {
    std::vector<uint8_t> table = {17, 0, 255, 0, 0, 255, 200, 10, 10, 255, 255, 255};
    table.resize(768);
    return table;
}

// Looping, ICC and XMP before the first frame; a comment and a gamma note before the second;
// the third shows nothing new but has a comment and plain text after its control extension;
// a comment after the last frame.
std::vector<uint8_t> Annotated() {
    RawGif gif;
    gif.Screen(2, 1, 0x87).Bytes(FourColours()).Looping(3).Bytes(kIcc).Bytes(kXmp);
    Frame(gif.Control(4, 10), 0, 0, 2, 1, {2, 3});
    gif.Bytes(kBetween).Bytes(kGamma);
    Frame(gif.Control(4, 20), 0, 0, 1, 1, {0});
    gif.Control(4, 30).Bytes(kInside).Bytes(kPlainText);
    Frame(gif, 0, 0, 1, 1, {0});
    return gif.Bytes(kAtEnd).Trailer().bytes;
}

// A 2 x 2 screen whose two 1 x 1 frames leave two pixels to the background.
std::vector<uint8_t> Uncovered(uint8_t background) {
    RawGif gif;
    gif.Screen(2, 2, 0x87, background).Bytes(FourColours());
    Frame(gif.Control(4, 10), 0, 0, 1, 1, {2});
    Frame(gif.Control(4, 10), 1, 1, 1, 1, {3});
    return gif.Trailer().bytes;
}

// A first frame of 256 colours (its own table) beside an uncovered column: the optimised
// global table has no room for the background colour.
std::vector<uint8_t> FullTable() {
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i) all[size_t(i)] = uint8_t(i);
    RawGif gif;
    gif.Screen(17, 16, 0x80, 1).Bytes({1, 2, 3, 9, 9, 9}).Control(4, 10);
    gif.Image(0, 0, 16, 16, 0x87, RampPalette(256), 8, EncodeLzw(all, 8));
    return gif.Trailer().bytes;
}

// The colour the background index names, or none past the table.
std::optional<std::tuple<int, int, int>> BackgroundColour(const GiflibGif& gif) {
    const size_t at = size_t(gif.background) * 3;
    if (at + 3 > gif.globalPalette.size()) return std::nullopt;
    return std::tuple{gif.globalPalette[at], gif.globalPalette[at + 1], gif.globalPalette[at + 2]};
}

// Every extension but the looping one, with its frame (the count for one after the last),
// where the control extensions stood marked by an empty entry.
using Placed = std::tuple<size_t, int, std::vector<uint8_t>, int>;
std::vector<Placed> Extensions(const GiflibGif& gif) {
    std::vector<Placed> placed;
    auto add = [&](size_t frame, const std::vector<GiflibExtension>& extensions) {
        for (const GiflibExtension& e : extensions) {
            if (e.function == 0xFF && e.bytes.size() >= 11 &&
                std::memcmp(e.bytes.data(), "NETSCAPE2.0", 11) == 0)
                continue;
            placed.emplace_back(frame, e.function,
                                e.function == 0xF9 ? std::vector<uint8_t>{} : e.bytes,
                                e.function == 0xF9 ? 0 : e.subBlocks);
        }
    };
    for (size_t i = 0; i < gif.frames.size(); ++i) add(i, gif.frames[i].extensions);
    add(gif.frames.size(), gif.trailingExtensions);
    return placed;
}

bool Holds(const std::vector<uint8_t>& file, const std::vector<uint8_t>& piece) {
    return std::search(file.begin(), file.end(), piece.begin(), piece.end()) != file.end();
}

TEST(GifanimOptimizeKeeps, BackgroundAndExtensionsWhereTheyStood) {
    const std::vector<std::vector<uint8_t>> kAll = {kIcc,    kXmp,       kGamma, kBetween,
                                                    kInside, kPlainText, kAtEnd};
    struct Case {
        const char* name;
        std::vector<uint8_t> gif;
        bool strip = false;
        bool unchanged = false;  // written back as it was
    };
    const Case cases[] = {
        {"background colour over an uncovered area", Uncovered(1)},
        {"background index past the table", Uncovered(7)},
        {"extensions before, between, inside and after frames", Annotated()},
        {"--strip", Annotated(), true},
        {"no room for the background colour", FullTable(), false, true},
    };
    const std::string folder = TemporaryFolder();
    const std::string in = folder + "/in.gif", out = folder + "/out.gif";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(in, c.gif);
        std::vector<std::string> args = {"optimize", in, "-o", out};
        if (c.strip) args.push_back("--strip");
        const ToolRun run = RunTool(GIFANIM_PATH, args, folder);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::vector<uint8_t> written = ReadFileBytes(out);
        if (c.unchanged) {
            EXPECT_EQ(written, c.gif);
            EXPECT_NE(run.out.find("background"), std::string::npos) << run.out;
            continue;
        }
        EXPECT_NE(written, c.gif);
        const GiflibGif before = DecodeWithGiflib(c.gif), after = DecodeWithGiflib(written);
        ASSERT_TRUE(after.ok) << after.error;
        EXPECT_EQ(TimelineDifference(PlayWithGiflib(c.gif), PlayWithGiflib(written)), "");
        EXPECT_EQ(BackgroundColour(after), BackgroundColour(before));
        EXPECT_EQ(after.hasLoop, before.hasLoop);
        EXPECT_EQ(after.loopCount, before.loopCount);
        const std::vector<Placed> kept = Extensions(after);
        if (c.strip)  // control extensions alone; frames that then change nothing merge
            EXPECT_TRUE(std::all_of(kept.begin(), kept.end(),
                                    [](const Placed& e) { return std::get<1>(e) == 0xF9; }));
        else
            EXPECT_EQ(kept, Extensions(before));
        for (const std::vector<uint8_t>& extension : kAll)
            EXPECT_EQ(Holds(written, extension), Holds(c.gif, extension) && !c.strip);
    }
}

#endif

}  // namespace
}  // namespace gif::testing
