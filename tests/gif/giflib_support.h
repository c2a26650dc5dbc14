// An independent decoder for the tests: giflib reads a GIF from memory into plain structures
// (indices de-interlaced, extensions kept in file order), so tests can compare what a GIF
// holds with what was meant to be written.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace gif::testing {

struct GiflibExtension {
    int function = 0;            // 0xF9, 0xFE, 0xFF, ...
    std::vector<uint8_t> bytes;  // all data sub-blocks joined
    int subBlocks = 0;           // how many data sub-blocks it had
};

struct GiflibFrame {
    // Extensions that precede the image, in file order.
    std::vector<GiflibExtension> extensions;
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    std::vector<uint8_t> localPalette;  // red, green, blue per entry; empty without a local table
    std::vector<uint8_t> indices;       // width * height, top row first, de-interlaced

    // From the graphic control extension before the image, if any.
    bool hasControl = false;
    int disposal = 0;
    int delay = 0;
    int transparentIndex = -1;  // -1: no transparent colour
    bool userInput = false;

    // Texts of the comment extensions before the image.
    std::vector<std::string> comments;
};

struct GiflibGif {
    bool ok = false;
    std::string error;    // giflib's description when !ok
    std::string version;  // "GIF89a"
    int width = 0, height = 0;
    int colorResolution = 0;
    int background = 0;
    int aspect = 0;
    std::vector<uint8_t> globalPalette;  // red, green, blue per entry; empty without one
    std::vector<GiflibFrame> frames;
    std::vector<GiflibExtension> trailingExtensions;  // after the last image
    std::vector<std::string> trailingComments;

    // The NETSCAPE2.0 looping extension, wherever it was.
    bool hasLoop = false;
    int loopCount = 0;
};

GiflibGif DecodeWithGiflib(std::span<const uint8_t> bytes);

}  // namespace gif::testing
