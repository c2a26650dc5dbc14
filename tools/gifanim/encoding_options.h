// The choices of colour, quality, scale and size that `make` and `optimize` share.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "gif/gif_maker.h"

namespace gifanim {

struct EncodingChoices {
    gif::MakerOptions options;
    bool dither = false;              // --colours dither: every frame dithered
    bool reencode = false;            // a choice that changes the pictures was given
    std::optional<uint64_t> maxSize;  // bytes
};

// Takes the option at args[i] (and its value, advancing i) when it is one of these.
// Nothing when it is not; an error text when it is, but wrong.
enum class Taken { No, Yes, Wrong };
Taken TakeEncodingOption(const std::vector<std::string>& args, size_t& i, EncodingChoices& choices,
                         std::string& error);

// "10M", "500K", "2MiB", "123456": bytes; nothing when not a size.
std::optional<uint64_t> ParseSize(const std::string& text);

void PrintEncodingHelp(std::ostream& out);

// Writes `gif` to `path`, first fitted to the size limit when there is one; says what a fit
// traded on standard output. Returns the exit status.
int WriteFitted(const std::string& command, const std::string& path, std::span<const uint8_t> gif,
                const EncodingChoices& choices);

}  // namespace gifanim
