/* The GIF library's C interface: numbered commands reached through one command table.
 *
 * Every command takes the caller's object slot first: a GifObject* variable that is NULL while
 * no object exists. Records are blocks of slots, one per element in element order; numbers are
 * 32-bit slots of which 16- and 8-bit elements use the low bits, booleans are nonzero for true,
 * texts are zero-terminated byte strings (NULL is the empty text). Texts and byte arrays that a
 * command returns belong to the caller, who releases them with gif_Free. No command throws. */
#ifndef GIFREC_GIF_C_API_H
#define GIFREC_GIF_C_API_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct GifObject GifObject; /* a GifMaker or a GifReader */

typedef struct GifAnimationInfo {
    int32_t Width;
    int32_t Depth;
    int32_t LOOP;
    int32_t LoopCount;
    int32_t BgColorIndex;
    const char* exposition;
    int32_t FrameCount;
    int32_t ColorNum;
    int32_t Interlace;
} GifAnimationInfo;

typedef struct GifFrameInfo {
    int32_t DelayTime;
    int32_t Left;
    int32_t Top;
    int32_t DisposalMethod;
    int32_t Transparency;
    int32_t TransparencyIndex;
    int32_t Width;
    int32_t Depth;
    const char* exposition;
    int32_t ColorNum;
    int32_t Dither;
} GifFrameInfo;

/* A byte array result; data is NULL when size is 0. */
typedef struct GifBytes {
    uint8_t* data;
    size_t size;
} GifBytes;

/* Records at their defaults (LOOP true, DelayTime 60, everything else zero or empty). */
void gif_InitAnimationInfo(GifAnimationInfo* info);
void gif_InitFrameInfo(GifFrameInfo* info);

/* Releases a text or byte array that a command returned. */
void gif_Free(void* memory);

/* 0-5: GifMaker. Optional arguments are omitted by passing NULL; an empty path ("") or empty
 * data (a non-NULL pointer with size 0) counts as given. */
int gif_MakerCreate(GifObject** slot, const GifAnimationInfo* info);
void gif_Clear(GifObject** slot); /* 1 and 7: destroys either kind of object */
void gif_MakerReset(GifObject** slot);
int gif_MakerAddFrame(GifObject** slot, const GifFrameInfo* info, const char* picturePath,
                      const uint8_t* pictureData, size_t pictureSize);
int gif_MakerSaveGif(GifObject** slot, const char* gifPath);
char* gif_MakerGetError(GifObject** slot);

/* 6-17: GifReader. FrameIndex counts frames from 1, 0 standing for the global colour table or
 * the whole file where a command allows it; it is compared as unsigned, so a negative number is
 * out of range. Colours are red + 256 * green + 65536 * blue. Commands on a slot without a reader
 * return their empty result (0, -1, an all-zero record, empty bytes) and set no error text.
 * Records are returned in one block with their text: one gif_Free releases both. */
int gif_ReaderCreate(GifObject** slot); /* a slot holding a maker is left alone: 0 */
/* 7 is gif_Clear. */
int gif_ReaderLoadGif(GifObject** slot, const char* gifPath, const uint8_t* gifData,
                      size_t gifSize);
char* gif_ReaderGetError(GifObject** slot);
GifAnimationInfo* gif_ReaderGetGifInfo(GifObject** slot);
int gif_ReaderSetGifInfo(GifObject** slot, const GifAnimationInfo* info);
GifFrameInfo* gif_ReaderGetFrameInfo(GifObject** slot, int32_t frameIndex);
int gif_ReaderSetFrameInfo(GifObject** slot, const GifFrameInfo* info, int32_t frameIndex);
int32_t gif_ReaderGetPalette(GifObject** slot, int32_t frameIndex, uint8_t paletteIndex);
int gif_ReaderSetPalette(GifObject** slot, int32_t frameIndex, uint8_t paletteIndex,
                         int32_t colorValue);
GifBytes gif_ReaderGetGifData(GifObject** slot, int32_t frameIndex);
int gif_ReaderSaveGif(GifObject** slot, const char* gifPath);

/* One entry of the command table. `entry` is the command's function, cast to a common type;
 * cast it back to the command's own prototype above before calling. */
typedef void (*GifCommandEntry)(void);
typedef struct GifCommand {
    int number;
    const char* object;    /* "GifMaker" or "GifReader" */
    const char* name;      /* e.g. "AddFrame" */
    const char* localName; /* e.g. "加入帧图片" */
    GifCommandEntry entry;
} GifCommand;

/* The command table in command order; *count receives its length. */
const GifCommand* gif_CommandTable(size_t* count);

#ifdef __cplusplus
}
#endif

#endif
