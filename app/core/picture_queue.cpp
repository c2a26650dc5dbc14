#include "app/core/picture_queue.h"

namespace app {

std::vector<uint8_t> PictureQueue::TakeBuffer() {
    std::lock_guard lock(mutex_);
    if (spare_.empty()) {
        ++made_;
        return {};
    }
    std::vector<uint8_t> buffer = std::move(spare_.back());
    spare_.pop_back();
    buffer.clear();
    return buffer;
}

void PictureQueue::Recycle(std::vector<uint8_t> buffer) {
    std::lock_guard lock(mutex_);
    // Each storage made comes back here once; more are never kept than were made.
    if (spare_.size() < made_) spare_.push_back(std::move(buffer));
}

void PictureQueue::Push(QueuedPicture item) {
    {
        std::lock_guard lock(mutex_);
        if (item.kind == QueuedPicture::Kind::Picture) {
            if (pictures_ >= capacity_) MergeOldest();
            ++pictures_;
        }
        items_.push_back(std::move(item));
    }
    ready_.notify_one();
}

void PictureQueue::MergeOldest() {
    using Kind = QueuedPicture::Kind;
    for (size_t i = 0; i + 1 < items_.size(); ++i) {
        if (items_[i].kind != Kind::Picture || items_[i + 1].kind != Kind::Picture) continue;
        spare_.push_back(std::move(items_[i + 1].bytes));
        items_.erase(items_.begin() + std::ptrdiff_t(i) + 1);
        --pictures_;
        ++merged_;
        return;
    }
    // Pauses between every two: the oldest picture goes, its time taken by the one before it.
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].kind != Kind::Picture) continue;
        spare_.push_back(std::move(items_[i].bytes));
        items_.erase(items_.begin() + std::ptrdiff_t(i));
        --pictures_;
        ++merged_;
        return;
    }
}

std::optional<QueuedPicture> PictureQueue::Pop() {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return !items_.empty() || closed_; });
    if (items_.empty()) return std::nullopt;
    QueuedPicture item = std::move(items_.front());
    items_.pop_front();
    if (item.kind == QueuedPicture::Kind::Picture) --pictures_;
    return item;
}

void PictureQueue::Close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    ready_.notify_all();
}

size_t PictureQueue::Merged() const {
    std::lock_guard lock(mutex_);
    return merged_;
}

size_t PictureQueue::BuffersMade() const {
    std::lock_guard lock(mutex_);
    return made_;
}

}  // namespace app
