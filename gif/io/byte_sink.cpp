#include "gif/io/byte_sink.h"

#include <new>

namespace gif {

bool MemorySink::Write(std::span<const uint8_t> data, LibraryError& error) {
    try {
        bytes.insert(bytes.end(), data.begin(), data.end());
        return true;
    } catch (const std::bad_alloc&) {
        error = LibraryError(ErrorCode::NoGifMemory);
        return false;
    }
}

}  // namespace gif
