#include "gif/gif_maker.h"

#include <atomic>

#include "app/core/encoder.h"
#include "app/core/texts.h"

namespace app {
namespace {

// The maker lives in an object slot that Clear empties and Create fills.
class GifMakerEncoder final : public Encoder {
  public:
    void Reset() override {
        if (slot_) slot_->Reset();
    }
    void Clear() override { gif::Clear(slot_); }
    bool Create(const gif::AnimationInfo& info) override {
        const bool created = gif::Create(slot_, info);
        bytes_.store(0, std::memory_order_relaxed);
        if (slot_) {
            slot_->SetSaveProgress(progress_);
            slot_->SetOptions(options_);
        }
        return created;
    }
    bool AddFrame(const gif::FrameInfo& info, std::span<const uint8_t> picture) override {
        const bool added = slot_ && slot_->AddFrame(info, std::nullopt, picture);
        if (slot_) bytes_.store(slot_->StoredBytes(), std::memory_order_relaxed);
        return added;
    }
    uint64_t BytesSoFar() const override { return bytes_.load(std::memory_order_relaxed); }
    bool SaveGif(const std::string& path) override { return slot_ && slot_->SaveGif(path); }
    std::string GetError() override {
        return slot_ ? slot_->GetErrorText(LibraryLanguage())
                     : Translated("GifMakerEncoder", "没有可保存的动画");
    }
    void KeepFramesIn(std::unique_ptr<gif::FrameStore> store) override {
        if (slot_) slot_->SetFrameStore(std::move(store));
    }
    void SetSaveProgress(std::function<void(size_t, size_t)> progress) override {
        progress_ = std::move(progress);
        if (slot_) slot_->SetSaveProgress(progress_);
    }
    bool HasFrames() override { return slot_ && slot_->FrameCount() > 0; }
    void SetOptions(const gif::MakerOptions& options) override { options_ = options; }

  private:
    std::unique_ptr<gif::GifMaker> slot_;
    std::function<void(size_t, size_t)> progress_;
    gif::MakerOptions options_;
    std::atomic<uint64_t> bytes_{0};  // written by the capture worker, read by the window
};

}  // namespace

std::unique_ptr<Encoder> MakeGifMakerEncoder() {
    return std::make_unique<GifMakerEncoder>();
}

}  // namespace app
