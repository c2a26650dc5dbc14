#include "gif/library_error.h"

#include <cstdio>
#include <cstring>

namespace gif {

size_t Utf8PrefixBytes(std::string_view text, size_t characters) {
    size_t bytes = 0;
    for (size_t count = 0; count < characters && bytes < text.size(); ++count) {
        ++bytes;
        while (bytes < text.size() && (uint8_t(text[bytes]) & 0xC0) == 0x80) ++bytes;
    }
    return bytes;
}

LibraryError::LibraryError(std::string_view text) noexcept {
    size_t length = Utf8PrefixBytes(text, kMaxErrorCharacters);
    if (length > sizeof text_ - 1) length = sizeof text_ - 1;
    std::memcpy(text_, text.data(), length);
    text_[length] = '\0';
}

LibraryError FileError(std::string_view operation, std::string_view path,
                       int errorNumber) noexcept {
    char description[256];
    // The GNU strerror_r returns its text, which need not be in the buffer.
    const char* reason = strerror_r(errorNumber, description, sizeof description);
    char text[kMaxErrorCharacters * 4 + 1];
    std::snprintf(text, sizeof text, "%.*s: %.*s: %s", int(operation.size()), operation.data(),
                  int(path.size()), path.data(), reason);
    return LibraryError(text);
}

}  // namespace gif
