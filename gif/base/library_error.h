// The failure that carries a coded message from deep inside an operation to the one handler at
// the operation's boundary, and the last-error record the maker and the reader keep. Texts live
// in fixed buffers, so raising and recording an error never allocates.
#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>

#include "gif/base/error_code.h"

namespace gif {

// Error texts are cut to this many characters (UTF-8 code points).
inline constexpr size_t kMaxErrorCharacters = 255;
inline constexpr size_t kMaxErrorTextBytes = kMaxErrorCharacters * 4 + 1;

// The byte length of the longest prefix of `text` that holds at most `characters` UTF-8
// characters and does not split one.
size_t Utf8PrefixBytes(std::string_view text, size_t characters);

class LibraryError : public std::exception {
  public:
    LibraryError() noexcept : LibraryError(ErrorCode::Unknown) {}
    explicit LibraryError(ErrorCode code, std::string_view detail = {}) noexcept;
    // A text from elsewhere: the code whose Chinese text it is, or Other carrying it.
    explicit LibraryError(std::string_view text) noexcept;

    ErrorCode Code() const noexcept { return code_; }
    std::string_view Detail() const noexcept { return detail_; }
    // The Chinese text.
    const char* what() const noexcept override { return text_; }

  private:
    ErrorCode code_;
    char detail_[kMaxErrorTextBytes];
    char text_[kMaxErrorTextBytes];
};

// A failed file operation: `code` (one of the file codes) with "<path>: <the system's
// description of errorNumber>" as its detail.
LibraryError FileError(ErrorCode code, std::string_view path, int errorNumber) noexcept;

// What GetError reports. Its strings keep room for the longest text from the start, so that
// recording a failure, which may be running out of memory, never needs memory.
class LastError {
  public:
    LastError();
    void Set(const LibraryError& error) noexcept;
    void Set(ErrorCode code, std::string_view detail = {}) noexcept;
    void Clear() noexcept;

    ErrorCode Code() const noexcept { return code_; }
    const std::string& Text() const noexcept { return text_; }  // the Chinese text
    std::string TextIn(Language language) const;

  private:
    ErrorCode code_ = ErrorCode::NoError;
    std::string detail_;
    std::string text_;
};

}  // namespace gif
