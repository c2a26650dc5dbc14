// The failure that carries a message from deep inside an operation to the one handler at the
// operation's boundary. Its text lives in a fixed buffer, so raising it never allocates.
#pragma once

#include <cstddef>
#include <exception>
#include <string_view>

namespace gif {

// Error texts are cut to this many characters (UTF-8 code points).
inline constexpr size_t kMaxErrorCharacters = 255;

// The byte length of the longest prefix of `text` that holds at most `characters` UTF-8
// characters and does not split one.
size_t Utf8PrefixBytes(std::string_view text, size_t characters);

class LibraryError : public std::exception {
  public:
    explicit LibraryError(std::string_view text) noexcept;
    const char* what() const noexcept override { return text_; }

  private:
    char text_[kMaxErrorCharacters * 4 + 1];
};

// A failed file operation: "<operation>: <path>: <the system's description of errorNumber>".
LibraryError FileError(std::string_view operation, std::string_view path, int errorNumber) noexcept;

}  // namespace gif
