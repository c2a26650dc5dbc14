// The small bounded queue between the grabbing and the encoding thread. A push never waits:
// when the queue is full, the two oldest waiting pictures are merged (the later one goes, so
// the earlier one is shown until the next), which keeps the timing true and the memory flat.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "app/core/frame_timing.h"
#include "app/core/settings.h"

namespace app {

struct QueuedPicture {
    enum class Kind { Picture, Pause, End };
    Kind kind = Kind::Picture;
    RecordingTime at{};
    std::vector<uint8_t> bytes;  // for a picture
    CaptureSettings settings;    // as they were at the grab
};

class PictureQueue {
  public:
    explicit PictureQueue(size_t capacity) : capacity_(capacity) {}

    // A storage to grab into: a recycled one when there is one.
    std::vector<uint8_t> TakeBuffer();
    void Recycle(std::vector<uint8_t> buffer);

    void Push(QueuedPicture item);
    // Waits for the next item; none once Close has been called and all are taken.
    std::optional<QueuedPicture> Pop();
    void Close();

    // Pictures merged away because encoding fell behind.
    size_t Merged() const;
    // Picture storages made so far: what the queue's memory comes to.
    size_t BuffersMade() const;

  private:
    void MergeOldest();  // with the lock held

    const size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<QueuedPicture> items_;
    std::vector<std::vector<uint8_t>> spare_;
    size_t pictures_ = 0;
    size_t merged_ = 0;
    size_t made_ = 0;
    bool closed_ = false;
};

}  // namespace app
