// Extensions that a rewrite of a GIF carries over unchanged: application extensions other than
// the NETSCAPE2.0 looping one (colour profiles, XMP, notes of other programs), comments and
// plain text. Each is kept as its raw bytes with the frame it stood before, so any rewrite
// that numbers its output frames can put it back in the same place.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace gif {

struct RawExtension {
    // The frame it stood before, counting from 0; the number of frames for one after the last.
    uint32_t frame = 0;
    // It stood between that frame's graphic control extension and its image, rather than
    // before the control extension.
    bool afterControl = false;
    // From the 0x21 introducer to the zero-size terminator, sub-blocks byte for byte.
    std::vector<uint8_t> bytes;
};

// The kept extensions of a GIF whose header checks have passed, in file order. Frames are
// numbered as GifReader counts them (one per image descriptor); an extension that the data
// cut short is left out, and the walk ends where the reader's indexing would end. Throws
// std::bad_alloc.
std::vector<RawExtension> KeptExtensions(std::span<const uint8_t> gif);

}  // namespace gif
