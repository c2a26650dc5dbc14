// Comments are held as UTF-8 but limited as the code page 936 (GBK) counts bytes: an ASCII
// character is one byte, any other character two. Cuts never split a character.
#pragma once

#include <cstddef>
#include <string_view>

namespace gif {

// The UTF-8 byte length of the longest prefix of `text` that counts at most `limit` bytes.
// A byte that does not start a valid UTF-8 sequence counts as one character of one byte.
size_t CommentPrefixBytes(std::string_view text, size_t limit);

}  // namespace gif
