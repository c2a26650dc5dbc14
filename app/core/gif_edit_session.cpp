#include "app/core/gif_edit_session.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "app/core/texts.h"
#include "app/core/trash.h"

namespace app {

std::string ErrorTextOf(const gif::LibraryError& error) {
    return gif::ErrorText(error.Code(), error.Detail(), LibraryLanguage());
}

bool GifEditSession::Open(const std::string& path, std::string& error) {
    try {
        auto stream = std::make_unique<gif::GifStream>();
        stream->Open(path);
        if (stream->IndexUpTo(1) == 0) throw gif::LibraryError(gif::ErrorCode::NoImages);
        player_ = std::make_unique<gif::StreamPlayer>(*stream);
        stream_ = std::move(stream);
        state_ = State{};
        state_.end = UINT32_MAX;  // the last frame, as far as it is known
        undo_.clear();
        return true;
    } catch (const gif::LibraryError& failure) {
        error = ErrorTextOf(failure);
    } catch (const std::bad_alloc&) {
        error = ErrorTextOf(gif::LibraryError(gif::ErrorCode::OutOfMemory));
    }
    return false;
}

bool GifEditSession::IndexMore(uint32_t frames) {
    if (!stream_) return true;
    stream_->IndexUpTo(stream_->FrameCount() + frames);
    return stream_->Indexed();
}

const std::vector<uint32_t>& GifEditSession::Picture(uint32_t frame) {
    player_->Seek(frame);
    return player_->Screen();
}

uint32_t GifEditSession::ShownDelay(uint32_t frame) const {
    const uint16_t delay = stream_->Frame(frame).delay;
    return uint32_t((delay < 2 ? 10 : delay) / state_.speed + 0.5);
}

uint32_t GifEditSession::TimeBefore(uint32_t frame) const {
    // As the saved file will have them: rounded with the remainder carried.
    gif::DelayScaler scaler(state_.speed);
    uint64_t total = 0;
    for (uint32_t i = 0; i < std::min(frame, FrameCount()); ++i) {
        if (!Kept(i)) continue;
        const uint16_t delay = stream_->Frame(i).delay;
        total += state_.speed == 1.0 ? delay : scaler.Next(delay);
    }
    return uint32_t(std::min<uint64_t>(total, UINT32_MAX));
}

bool GifEditSession::KeptIn(const State& state, uint32_t frame) const {
    if (frame < state.start || frame > state.end) return false;
    for (const gif::FrameRange& range : state.deleted)
        if (frame >= range.first && frame <= range.last) return false;
    return true;
}

bool GifEditSession::Kept(uint32_t frame) const {
    return KeptIn(state_, frame);
}

bool GifEditSession::Apply(const State& next) {
    bool any = false;
    for (uint32_t i = 0; i < FrameCount() && !any; ++i) any = KeptIn(next, i);
    if (!any) return false;
    undo_.push_back(state_);
    state_ = next;
    return true;
}

bool GifEditSession::SetStart(uint32_t frame) {
    State next = state_;
    next.start = frame;
    if (next.end < frame) next.end = UINT32_MAX;
    return Apply(next);
}

bool GifEditSession::SetEnd(uint32_t frame) {
    State next = state_;
    next.end = frame;
    if (next.start > frame) next.start = 0;
    return Apply(next);
}

bool GifEditSession::Delete(uint32_t first, uint32_t last) {
    State next = state_;
    next.deleted.push_back({std::min(first, last), std::max(first, last)});
    return Apply(next);
}

bool GifEditSession::SetSpeed(double speed) {
    if (speed == state_.speed || !(speed > 0)) return false;
    State next = state_;
    next.speed = speed;
    return Apply(next);
}

bool GifEditSession::Undo() {
    if (undo_.empty()) return false;
    state_ = undo_.back();
    undo_.pop_back();
    return true;
}

bool GifEditSession::Edited() const {
    const gif::EditPlan plan = Plan();
    return plan.speed != 1.0 || plan.kept.size() != 1 || plan.kept[0].first != 0 ||
           plan.kept[0].last + 1 != FrameCount();
}

uint32_t GifEditSession::NextKept(uint32_t frame) const {
    for (uint32_t i = frame + 1; i < FrameCount(); ++i)
        if (Kept(i)) return i;
    return frame;
}

uint32_t GifEditSession::PreviousKept(uint32_t frame) const {
    for (uint32_t i = frame; i-- > 0;)
        if (Kept(i)) return i;
    return frame;
}

gif::EditPlan GifEditSession::Plan() const {
    gif::EditPlan plan;
    plan.speed = state_.speed;
    for (uint32_t i = 0; i < FrameCount(); ++i) {
        if (!Kept(i)) continue;
        if (!plan.kept.empty() && plan.kept.back().last + 1 == i)
            plan.kept.back().last = i;
        else
            plan.kept.push_back({i, i});
    }
    return plan;
}

EditSaveResult SaveEditedGif(const std::filesystem::path& path, const gif::EditPlan& plan,
                             const gif::MakerOptions& options, const gif::SaveProgress& progress) {
    namespace fs = std::filesystem;
    using Outcome = EditSaveResult::Outcome;
    EditSaveResult result{Outcome::Saved, {}, false, {}};
    std::string hidden = ".";
    hidden += path.filename().string();
    hidden += ".edited";
    const fs::path edited = path.parent_path() / hidden;
    gif::LibraryError error;
    if (!gif::EditGifFile(path.string(), edited.string(), plan, options, error, progress)) {
        result.outcome = Outcome::WriteFailed;
        result.detail = ErrorTextOf(error);
        return result;
    }
    std::error_code failed;
    const TrashResult trashed = MoveToTrash(path);
    if (trashed.moved) {
        result.trashed = true;
    } else {
        // No trash: the original stays beside, under a name of its own.
        const std::string stem = path.stem().string();
        for (int n = 1; n < 100 && result.keptBeside.empty(); ++n) {
            std::string name = stem;
            name += "-原始";
            if (n > 1) {
                name += '-';
                name += std::to_string(n);
            }
            name += ".gif";
            const fs::path beside = path.parent_path() / name;
            if (!fs::exists(beside, failed) && ::rename(path.c_str(), beside.c_str()) == 0)
                result.keptBeside = beside;
        }
        if (result.keptBeside.empty()) {
            fs::remove(edited, failed);
            result.outcome = Outcome::OriginalStuck;
            result.detail = trashed.error;
            return result;
        }
    }
    if (::rename(edited.c_str(), path.c_str()) != 0) {
        result.outcome = Outcome::ReplaceFailed;
        result.detail =
            path.string() + ": " + std::error_code(errno, std::generic_category()).message();
        if (result.trashed)
            RestoreFromTrash(trashed, path);
        else
            ::rename(result.keptBeside.c_str(), path.c_str());
        fs::remove(edited, failed);
    }
    return result;
}

}  // namespace app
