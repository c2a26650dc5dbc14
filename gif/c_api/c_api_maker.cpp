// The GifMaker commands of the C interface: thin wrappers that translate records and slots.
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>

#include "gif/c_api/c_api.h"
#include "gif/c_api/c_api_object.h"
#include "gif/gif_maker.h"

namespace {

struct MakerObject final : GifObject {
    gif::GifMaker maker;
};

// The maker in the slot, or null for an empty slot or one that holds another kind of object.
gif::GifMaker* MakerIn(GifObject** slot) {
    if (!slot || !*slot) return nullptr;
    auto* object = dynamic_cast<MakerObject*>(*slot);
    return object ? &object->maker : nullptr;
}

const char* TextOrEmpty(const char* text) {
    return text ? text : "";
}

char* CopyText(const char* text) {
    size_t length = std::strlen(text);
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy) std::memcpy(copy, text, length + 1);
    return copy;
}

}  // namespace

extern "C" {

void gif_InitAnimationInfo(GifAnimationInfo* info) {
    if (!info) return;
    std::memset(info, 0, sizeof *info);
    info->LOOP = 1;
}

void gif_InitFrameInfo(GifFrameInfo* info) {
    if (!info) return;
    std::memset(info, 0, sizeof *info);
    info->DelayTime = 60;
}

void gif_Free(void* memory) {
    std::free(memory);
}

void gif_Clear(GifObject** slot) {
    if (!slot || !*slot) return;
    delete *slot;
    *slot = nullptr;
}

int gif_MakerCreate(GifObject** slot, const GifAnimationInfo* info) {
    if (!slot) return 0;
    // A slot that holds a reader keeps it: replacing it would lose the caller's object.
    if (*slot && !MakerIn(slot)) return 0;
    try {
        gif::AnimationInfo settings;
        if (info) {
            settings.Width = uint16_t(info->Width);
            settings.Depth = uint16_t(info->Depth);
            settings.LOOP = info->LOOP != 0;
            settings.LoopCount = uint16_t(info->LoopCount);
            settings.exposition = TextOrEmpty(info->exposition);
            settings.Interlace = uint8_t(info->Interlace) != 0;
        }
        if (!*slot) *slot = new MakerObject;
        return MakerIn(slot)->Create(settings) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

void gif_MakerReset(GifObject** slot) {
    if (gif::GifMaker* maker = MakerIn(slot)) maker->Reset();
}

int gif_MakerAddFrame(GifObject** slot, const GifFrameInfo* info, const char* picturePath,
                      const uint8_t* pictureData, size_t pictureSize) {
    gif::GifMaker* maker = MakerIn(slot);
    if (!maker) return 0;
    try {
        gif::FrameInfo settings;
        if (info) {
            settings.DelayTime = uint16_t(info->DelayTime);
            settings.Left = uint16_t(info->Left);
            settings.Top = uint16_t(info->Top);
            settings.DisposalMethod = uint8_t(info->DisposalMethod);
            settings.Transparency = info->Transparency != 0;
            settings.exposition = TextOrEmpty(info->exposition);
            settings.Dither = info->Dither != 0;
        }
        std::optional<std::string_view> path;
        if (picturePath) path = picturePath;
        std::optional<std::span<const uint8_t>> data;
        if (pictureData) data = std::span<const uint8_t>(pictureData, pictureSize);
        return maker->AddFrame(settings, path, data) ? 1 : 0;
    } catch (...) {
        // Only copying the comment can fail here.
        return 0;
    }
}

int gif_MakerSaveGif(GifObject** slot, const char* gifPath) {
    gif::GifMaker* maker = MakerIn(slot);
    if (!maker) return 0;
    return maker->SaveGif(std::string_view(TextOrEmpty(gifPath))) ? 1 : 0;
}

char* gif_MakerGetError(GifObject** slot) {
    gif::GifMaker* maker = MakerIn(slot);
    return CopyText(maker ? maker->GetError().c_str()
                          : gif::ErrorInfo(gif::ErrorCode::NoObject).chinese);
}

}  // extern "C"
