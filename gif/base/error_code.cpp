#include "gif/base/error_code.h"

#include <array>
#include <cstring>

#include "gif/base/library_error.h"

namespace gif {
namespace {

using enum ErrorCode;

constexpr std::array kEntries = {
    ErrorEntry{NoError, "NoError", "", ""},
    ErrorEntry{NoObject, "NoObject", "对象还未创建", "The object has not been created"},
    ErrorEntry{NoFrames, "NoFrames", "还没有加入任何图片", "No picture has been added yet"},
    ErrorEntry{NoPicture, "NoPicture", "没有指定载入文件路径和图片数据",
               "Neither a file path nor picture data was given"},
    ErrorEntry{BadPictureData, "BadPictureData", "不是有效的图片数据", "Not valid picture data"},
    ErrorEntry{Undecodable, "Undecodable", "读入图片文件失败", "The picture could not be read"},
    ErrorEntry{NoBitmapMemory, "NoBitmapMemory", "为位图分配内存失败",
               "Out of memory for the bitmap"},
    ErrorEntry{NoSettingsMemory, "NoSettingsMemory", "为帧图片信息分配内存时出错",
               "Out of memory for the frame settings"},
    ErrorEntry{PictureTooLarge, "PictureTooLarge", "图片尺寸超出GIF格式范围",
               "The picture is larger than a GIF can be"},
    ErrorEntry{NoDecodeMemory, "NoDecodeMemory", "为解码图片分配内存失败",
               "Out of memory decoding the picture"},
    ErrorEntry{NoEncodeMemory, "NoEncodeMemory", "为GIF编码分配内存失败",
               "Out of memory encoding the GIF"},
    ErrorEntry{NoFileMemory, "NoFileMemory", "为读取文件分配内存失败",
               "Out of memory reading the file"},
    ErrorEntry{PictureFileTooLarge, "PictureFileTooLarge", "图片文件太大",
               "The picture file is too large"},
    ErrorEntry{NoGifMemory, "NoGifMemory", "内存不足，无法保存GIF数据",
               "Out of memory holding the GIF data"},
    ErrorEntry{NotLoaded, "NotLoaded", "还未载入GIF动画", "No GIF has been loaded"},
    ErrorEntry{TooShort, "TooShort", "不是有效的GIF图片数据", "Not valid GIF data"},
    ErrorEntry{NotGif, "NotGif", "不是GIF图片数据", "Not GIF data"},
    ErrorEntry{BadVersion, "BadVersion", "GIF图片版本号不正确",
               "The GIF version is neither 87a nor 89a"},
    ErrorEntry{Damaged, "Damaged", "GIF图片文件已经损坏", "The GIF file is damaged"},
    ErrorEntry{FrameOutOfRange, "FrameOutOfRange", "帧序号超出范围",
               "The frame number is out of range"},
    ErrorEntry{FrameDamaged, "FrameDamaged", "当前帧已经损坏", "The frame is damaged"},
    ErrorEntry{NoLocalTable, "NoLocalTable", "没有局部调色板",
               "The frame has no local colour table"},
    ErrorEntry{NoGlobalTable, "NoGlobalTable", "没有全局调色板",
               "The GIF has no global colour table"},
    ErrorEntry{PaletteOutOfRange, "PaletteOutOfRange", "调色板序号超出范围",
               "The colour table entry is out of range"},
    ErrorEntry{GifTooLarge, "GifTooLarge", "GIF图片数据太大", "The GIF data is too large"},
    ErrorEntry{FrameTooLarge, "FrameTooLarge", "当前帧图片太大，无法转换为位图",
               "The frame is too large to convert to a bitmap"},
    ErrorEntry{OpenFailed, "OpenFailed", "打开文件失败: %s", "Could not open %s"},
    ErrorEntry{ReadFailed, "ReadFailed", "读取文件失败: %s", "Could not read %s"},
    ErrorEntry{LengthFailed, "LengthFailed", "读取文件长度失败: %s",
               "Could not read the length of %s"},
    ErrorEntry{ReadDevice, "ReadDevice", "读取文件失败: %s: 是设备，不是文件",
               "Could not read %s: it is a device, not a file"},
    ErrorEntry{CreateFailed, "CreateFailed", "创建文件失败: %s", "Could not create %s"},
    ErrorEntry{WriteFailed, "WriteFailed", "写入文件失败: %s", "Could not write %s"},
    ErrorEntry{CloseFailed, "CloseFailed", "关闭文件失败: %s", "Could not close %s"},
    ErrorEntry{ReplaceFailed, "ReplaceFailed", "替换文件失败: %s", "Could not replace %s"},
    ErrorEntry{StoreCreateFailed, "StoreCreateFailed", "创建帧缓存文件失败: %s",
               "Could not create the frame cache file %s"},
    ErrorEntry{StoreWriteFailed, "StoreWriteFailed", "写入帧缓存文件失败: %s",
               "Could not write the frame cache file %s"},
    ErrorEntry{StoreReadFailed, "StoreReadFailed", "读取帧缓存文件失败: %s",
               "Could not read the frame cache file %s"},
    ErrorEntry{NotAStore, "NotAStore", "不是帧缓存文件", "Not a frame cache file"},
    ErrorEntry{StoreDamaged, "StoreDamaged", "帧缓存数据已损坏", "The frame cache is damaged"},
    ErrorEntry{FrameDataDamaged, "FrameDataDamaged", "帧数据已损坏", "The frame data is damaged"},
    ErrorEntry{NoImages, "NoImages", "GIF中没有图像", "The GIF holds no image"},
    ErrorEntry{NeedsDisposal, "NeedsDisposal", "有的画面只能靠帧的处置方式显示",
               "Some pictures can only be shown through a frame's disposal"},
    ErrorEntry{BackgroundLost, "BackgroundLost", "颜色表已满，无法保留背景色",
               "The colour table is full and cannot keep the background colour"},
    ErrorEntry{GifFileTooLarge, "GifFileTooLarge", "GIF文件太大", "The GIF file is too large"},
    ErrorEntry{OutOfMemory, "OutOfMemory", "内存不足", "Out of memory"},
    ErrorEntry{Unknown, "Unknown", "未知错误", "Unknown error"},
    ErrorEntry{Other, "Other", "%s", "%s"},
};

// The table is in the enumeration's order, so a code is its own index.
constexpr bool InOrder() {
    for (size_t i = 0; i < kEntries.size(); ++i) {
        if (size_t(kEntries[i].code) != i) return false;
    }
    return true;
}
static_assert(InOrder(), "kEntries must list the codes in their order");
static_assert(size_t(Other) + 1 == kEntries.size(), "every code needs an entry");

}  // namespace

const ErrorEntry& ErrorInfo(ErrorCode code) noexcept {
    const size_t index = size_t(code);
    return index < kEntries.size() ? kEntries[index] : kEntries[size_t(Unknown)];
}

ErrorCode ErrorCodeOfText(std::string_view text) noexcept {
    for (const ErrorEntry& entry : kEntries) {
        if (entry.code != NoError && std::strchr(entry.chinese, '%') == nullptr &&
            text == entry.chinese)
            return entry.code;
    }
    return Other;
}

size_t ComposeErrorText(char* out, size_t capacity, ErrorCode code, std::string_view detail,
                        Language language) noexcept {
    if (capacity == 0) return 0;
    const ErrorEntry& entry = ErrorInfo(code);
    const std::string_view format = language == Language::English ? entry.english : entry.chinese;
    size_t length = 0;
    auto append = [&](std::string_view piece) {
        const size_t room = capacity - 1 - length;
        const size_t n = piece.size() < room ? piece.size() : room;
        std::memcpy(out + length, piece.data(), n);
        length += n;
    };
    const size_t hole = format.find("%s");
    if (hole == std::string_view::npos) {
        append(format);
    } else {
        append(format.substr(0, hole));
        append(detail);
        append(format.substr(hole + 2));
    }
    length = Utf8PrefixBytes(std::string_view(out, length), kMaxErrorCharacters);
    out[length] = '\0';
    return length;
}

std::string ErrorText(ErrorCode code, std::string_view detail, Language language) {
    char text[kMaxErrorTextBytes];
    const size_t length = ComposeErrorText(text, sizeof text, code, detail, language);
    return std::string(text, length);
}

}  // namespace gif
