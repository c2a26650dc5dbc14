#include "gif/base/library_error.h"

#include <cstdio>
#include <cstring>

namespace gif {
namespace {

// Copies at most `capacity` - 1 bytes of `text` and a zero, ending on a whole character.
size_t CopyText(char* out, size_t capacity, std::string_view text) noexcept {
    size_t length = Utf8PrefixBytes(text, kMaxErrorCharacters);
    if (length > capacity - 1) length = capacity - 1;
    if (length > 0) std::memcpy(out, text.data(), length);  // an empty view may hold no pointer
    out[length] = '\0';
    return length;
}

}  // namespace

size_t Utf8PrefixBytes(std::string_view text, size_t characters) {
    size_t bytes = 0;
    for (size_t count = 0; count < characters && bytes < text.size(); ++count) {
        ++bytes;
        while (bytes < text.size() && (uint8_t(text[bytes]) & 0xC0) == 0x80) ++bytes;
    }
    return bytes;
}

LibraryError::LibraryError(ErrorCode code, std::string_view detail) noexcept : code_(code) {
    CopyText(detail_, sizeof detail_, detail);
    ComposeErrorText(text_, sizeof text_, code_, detail_, Language::Chinese);
}

LibraryError::LibraryError(std::string_view text) noexcept
    : LibraryError(ErrorCodeOfText(text),
                   ErrorCodeOfText(text) == ErrorCode::Other ? text : std::string_view()) {}

LibraryError FileError(ErrorCode code, std::string_view path, int errorNumber) noexcept {
    char description[256];
    // The GNU strerror_r returns its text, which need not be in the buffer.
    const char* reason = strerror_r(errorNumber, description, sizeof description);
    char detail[kMaxErrorTextBytes];
    std::snprintf(detail, sizeof detail, "%.*s: %s", int(path.size()), path.data(), reason);
    return LibraryError(code, detail);
}

LastError::LastError() {
    detail_.reserve(kMaxErrorTextBytes);
    text_.reserve(kMaxErrorTextBytes);
}

void LastError::Set(const LibraryError& error) noexcept {
    code_ = error.Code();
    // Both fit the reserved room, so assign does not allocate.
    detail_.assign(error.Detail());
    text_.assign(error.what());
}

void LastError::Set(ErrorCode code, std::string_view detail) noexcept {
    Set(LibraryError(code, detail));
}

void LastError::Clear() noexcept {
    code_ = ErrorCode::NoError;
    detail_.clear();
    text_.clear();
}

std::string LastError::TextIn(Language language) const {
    return language == Language::Chinese ? text_ : ErrorText(code_, detail_, language);
}

}  // namespace gif
