// Every failure the GIF library reports has a code. One table gives each code the library's own
// Chinese text (what GetError returns) and an English text; a text with "%s" takes a detail (a
// path and the system's reason) in its place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gif {

enum class ErrorCode : uint16_t {
    NoError = 0,
    NoObject,
    // The maker.
    NoFrames,
    NoPicture,
    BadPictureData,
    Undecodable,
    NoBitmapMemory,
    NoSettingsMemory,
    PictureTooLarge,
    NoDecodeMemory,
    NoEncodeMemory,
    NoFileMemory,
    PictureFileTooLarge,
    NoGifMemory,
    // The reader.
    NotLoaded,
    TooShort,
    NotGif,
    BadVersion,
    Damaged,
    FrameOutOfRange,
    FrameDamaged,
    NoLocalTable,
    NoGlobalTable,
    PaletteOutOfRange,
    GifTooLarge,
    FrameTooLarge,
    // Files; the detail is "<path>: <the system's reason>", or the path alone for ReadDevice.
    OpenFailed,
    ReadFailed,
    LengthFailed,
    ReadDevice,
    CreateFailed,
    WriteFailed,
    CloseFailed,
    ReplaceFailed,
    // The maker's frame store; the detail of the file codes is as above.
    StoreCreateFailed,
    StoreWriteFailed,
    StoreReadFailed,
    NotAStore,
    StoreDamaged,
    // Playing and rewriting a GIF.
    FrameDataDamaged,
    NoImages,
    NeedsDisposal,
    BackgroundLost,
    GifFileTooLarge,
    OutOfMemory,
    Unknown,
    // A text without an entry of its own; the detail is that text, in every language.
    Other,
};

enum class Language { Chinese, English };

struct ErrorEntry {
    ErrorCode code;
    const char* name;     // the enumerator's name, for logs and tests
    const char* chinese;  // the library's own text
    const char* english;
};

// The entry of `code`; the Unknown entry for a value outside the enumeration.
const ErrorEntry& ErrorInfo(ErrorCode code) noexcept;

// The code whose Chinese text is exactly `text` (no detail), or Other.
ErrorCode ErrorCodeOfText(std::string_view text) noexcept;

// The text of `code` in `language`, with `detail` in place of "%s", cut to
// kMaxErrorCharacters characters. Writes into `out` (at most `capacity` - 1 bytes and a zero)
// and returns the length; never allocates.
size_t ComposeErrorText(char* out, size_t capacity, ErrorCode code, std::string_view detail,
                        Language language) noexcept;
std::string ErrorText(ErrorCode code, std::string_view detail, Language language);

}  // namespace gif
