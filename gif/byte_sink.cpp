#include "gif/byte_sink.h"

#include <new>

namespace gif {

bool MemorySink::Write(std::span<const uint8_t> data, std::string& error) {
    try {
        bytes.insert(bytes.end(), data.begin(), data.end());
        return true;
    } catch (const std::bad_alloc&) {
        error = "内存不足，无法保存GIF数据";
        return false;
    }
}

}  // namespace gif
