// The GifReader commands of the C interface: thin wrappers that translate records and slots.
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <span>
#include <string_view>

#include "gif/c_api/c_api.h"
#include "gif/c_api/c_api_object.h"
#include "gif/gif_reader.h"

namespace {

struct ReaderObject final : GifObject {
    gif::GifReader reader;
};

// The reader in the slot, or null for an empty slot or one that holds another kind of object.
gif::GifReader* ReaderIn(GifObject** slot) {
    if (!slot || !*slot) return nullptr;
    auto* object = dynamic_cast<ReaderObject*>(*slot);
    return object ? &object->reader : nullptr;
}

char* CopyText(std::string_view text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (!copy) return nullptr;
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

// A zeroed record followed by room for its text, as one allocation.
template <typename Record>
Record* NewRecord(std::string_view text) {
    const size_t size = sizeof(Record) + text.size() + 1;
    auto* block = static_cast<unsigned char*>(std::calloc(1, size));
    if (!block) return nullptr;
    auto* record = reinterpret_cast<Record*>(block);
    if (!text.empty()) {
        char* copy = reinterpret_cast<char*>(block + sizeof(Record));
        std::memcpy(copy, text.data(), text.size());
        record->exposition = copy;
    }
    return record;
}

uint32_t FrameNumber(int32_t frameIndex) {
    return static_cast<uint32_t>(frameIndex);
}

}  // namespace

extern "C" {

int gif_ReaderCreate(GifObject** slot) {
    if (!slot) return 0;
    if (*slot && !ReaderIn(slot)) return 0;
    try {
        auto* fresh = new ReaderObject;
        delete *slot;
        *slot = fresh;
        return 1;
    } catch (...) {
        return 0;
    }
}

int gif_ReaderLoadGif(GifObject** slot, const char* gifPath, const uint8_t* gifData,
                      size_t gifSize) {
    gif::GifReader* reader = ReaderIn(slot);
    if (!reader) return 0;
    std::optional<std::string_view> path;
    if (gifPath) path = gifPath;
    std::optional<std::span<const uint8_t>> data;
    if (gifData) data = std::span<const uint8_t>(gifData, gifSize);
    return reader->LoadGif(path, data) ? 1 : 0;
}

char* gif_ReaderGetError(GifObject** slot) {
    const gif::GifReader* reader = ReaderIn(slot);
    return CopyText(reader ? std::string_view(reader->GetError())
                           : gif::ErrorInfo(gif::ErrorCode::NoObject).chinese);
}

GifAnimationInfo* gif_ReaderGetGifInfo(GifObject** slot) {
    gif::GifReader* reader = ReaderIn(slot);
    if (!reader) return NewRecord<GifAnimationInfo>({});
    try {
        const gif::AnimationInfo info = reader->GetGifInfo();
        auto* record = NewRecord<GifAnimationInfo>(info.exposition);
        if (!record) return nullptr;
        record->Width = info.Width;
        record->Depth = info.Depth;
        record->LOOP = info.LOOP ? 1 : 0;
        record->LoopCount = info.LoopCount;
        record->BgColorIndex = info.BgColorIndex;
        record->FrameCount = static_cast<int32_t>(info.FrameCount);
        record->ColorNum = info.ColorNum;
        record->Interlace = info.Interlace ? 1 : 0;
        return record;
    } catch (...) {
        return nullptr;
    }
}

int gif_ReaderSetGifInfo(GifObject** slot, const GifAnimationInfo* info) {
    gif::GifReader* reader = ReaderIn(slot);
    if (!reader || !info) return 0;
    gif::AnimationInfo settings;
    settings.Width = static_cast<uint16_t>(info->Width);
    settings.Depth = static_cast<uint16_t>(info->Depth);
    settings.LOOP = info->LOOP != 0;
    settings.LoopCount = static_cast<uint16_t>(info->LoopCount);
    settings.BgColorIndex = static_cast<uint8_t>(info->BgColorIndex);
    return reader->SetGifInfo(settings) ? 1 : 0;
}

GifFrameInfo* gif_ReaderGetFrameInfo(GifObject** slot, int32_t frameIndex) {
    gif::GifReader* reader = ReaderIn(slot);
    if (!reader) return NewRecord<GifFrameInfo>({});
    try {
        const gif::FrameInfo info = reader->GetFrameInfo(FrameNumber(frameIndex));
        auto* record = NewRecord<GifFrameInfo>(info.exposition);
        if (!record) return nullptr;
        record->DelayTime = info.DelayTime;
        record->Left = info.Left;
        record->Top = info.Top;
        record->DisposalMethod = info.DisposalMethod;
        record->Transparency = info.Transparency ? 1 : 0;
        record->TransparencyIndex = info.TransparencyIndex;
        record->Width = info.Width;
        record->Depth = info.Depth;
        record->ColorNum = info.ColorNum;
        record->Dither = info.Dither ? 1 : 0;
        return record;
    } catch (...) {
        return nullptr;
    }
}

int gif_ReaderSetFrameInfo(GifObject** slot, const GifFrameInfo* info, int32_t frameIndex) {
    gif::GifReader* reader = ReaderIn(slot);
    if (!reader || !info) return 0;
    gif::FrameInfo settings;
    settings.DelayTime = static_cast<uint16_t>(info->DelayTime);
    settings.Left = static_cast<uint16_t>(info->Left);
    settings.Top = static_cast<uint16_t>(info->Top);
    settings.DisposalMethod = static_cast<uint8_t>(info->DisposalMethod);
    settings.Transparency = info->Transparency != 0;
    return reader->SetFrameInfo(settings, FrameNumber(frameIndex)) ? 1 : 0;
}

int32_t gif_ReaderGetPalette(GifObject** slot, int32_t frameIndex, uint8_t paletteIndex) {
    gif::GifReader* reader = ReaderIn(slot);
    if (!reader) return -1;
    return reader->GetPalette(FrameNumber(frameIndex), paletteIndex);
}

int gif_ReaderSetPalette(GifObject** slot, int32_t frameIndex, uint8_t paletteIndex,
                         int32_t colorValue) {
    gif::GifReader* reader = ReaderIn(slot);
    if (!reader) return 0;
    return reader->SetPalette(FrameNumber(frameIndex), paletteIndex,
                              static_cast<uint32_t>(colorValue))
               ? 1
               : 0;
}

GifBytes gif_ReaderGetGifData(GifObject** slot, int32_t frameIndex) {
    GifBytes result{nullptr, 0};
    gif::GifReader* reader = ReaderIn(slot);
    if (!reader) return result;
    const std::vector<uint8_t> bytes = reader->GetGifData(FrameNumber(frameIndex));
    if (bytes.empty()) return result;
    result.data = static_cast<uint8_t*>(std::malloc(bytes.size()));
    if (!result.data) return result;
    std::memcpy(result.data, bytes.data(), bytes.size());
    result.size = bytes.size();
    return result;
}

int gif_ReaderSaveGif(GifObject** slot, const char* gifPath) {
    gif::GifReader* reader = ReaderIn(slot);
    if (!reader) return 0;
    return reader->SaveGif(gifPath ? gifPath : "") ? 1 : 0;
}

}  // extern "C"
