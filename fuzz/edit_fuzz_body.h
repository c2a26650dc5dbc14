// One fuzz input through the streaming edits: indexed, played frame by frame, then trimmed,
// cut and sped up into memory. Whatever the input, each step ends in a result or a library
// error, and every edit that succeeds is a GIF with exactly the frames it kept.
// Shared by the libFuzzer target and the regression test that replays found inputs.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "gif/gif_edit.h"
#include "gif/gif_stream.h"
#include "gif/io/byte_sink.h"

namespace gif::fuzzing {

inline void RequireEdit(bool condition) {
    if (!condition) std::abort();
}

// The input as a file the stream can open.
class MemoryFile {
  public:
    MemoryFile(const uint8_t* data, size_t size) : descriptor_(memfd_create("gif", MFD_CLOEXEC)) {
        RequireEdit(descriptor_ >= 0 && write(descriptor_, data, size) == ssize_t(size));
    }
    ~MemoryFile() { close(descriptor_); }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(descriptor_); }

  private:
    int descriptor_;
};

inline uint32_t FramesOf(const std::vector<uint8_t>& gif) {
    MemoryFile file(gif.data(), gif.size());
    GifStream stream;
    stream.Open(file.Path());
    return stream.IndexAll();
}

inline void FuzzEdit(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    GifStream stream;
    uint32_t count = 0;
    try {
        stream.Open(file.Path());
        count = stream.IndexAll();
        // Large screens are legal but slow to composite; the ceiling keeps the fuzzer fast.
        if (count == 0 || uint64_t{stream.Width()} * stream.Height() > (uint64_t{1} << 20)) return;
        StreamPlayer player(stream);
        for (uint32_t i = 0; i < count; ++i) player.Seek(i);
    } catch (const LibraryError&) {
        return;
    }
    const uint32_t middle = count / 2;
    for (const std::optional<EditPlan>& plan :
         {TrimPlan(count, middle, count - 1), CutPlan(count, middle, middle),
          std::optional<EditPlan>(SpeedPlan(count, 1.5))}) {
        if (!plan) continue;
        uint32_t kept = 0;
        for (const FrameRange& range : plan->kept) kept += range.last - range.first + 1;
        MemorySink sink;
        try {
            WriteEdited(stream, *plan, {}, sink);
        } catch (const LibraryError&) {
            continue;
        } catch (const std::bad_alloc&) {
            continue;
        }
        RequireEdit(sink.bytes.size() > 13 && sink.bytes.back() == 0x3B);
        RequireEdit(FramesOf(sink.bytes) == kept);
    }
}

}  // namespace gif::fuzzing
