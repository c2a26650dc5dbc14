#include "app/core/watermark_intake.h"

#include "app/core/texts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "bitmap/picture_codec.h"

namespace app {

namespace {

bool HasAcceptedExtension(std::string_view path) {
    if (path.size() < 3) return false;
    std::string_view last = path.substr(path.size() - 3);
    return last == "bmp" || last == "jpg" || last == "png" || last == "gif";
}

// The file's bytes, or nothing when it cannot be read, is no plain file (a FIFO or a device
// would hold the UI thread) or is implausibly large for a watermark.
std::vector<uint8_t> ReadSmallFile(std::string_view path) {
    const int fd = ::open(std::string(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    std::vector<uint8_t> bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
        static_cast<uint64_t>(info.st_size) <= kMaxWatermarkFileBytes) {
        bytes.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            done += static_cast<size_t>(got);
        }
        // A file that shrank while being read is not taken half.
        if (done != bytes.size()) bytes.clear();
    }
    ::close(fd);
    return bytes;
}

}  // namespace

WatermarkIntake LoadWatermarkFromFile(std::string_view path, const WatermarkTrial& trial) {
    WatermarkIntake intake;
    if (!HasAcceptedExtension(path)) {
        intake.verdict = WatermarkVerdict::UnsupportedType;
        return intake;
    }
    // A file that does not read as a picture counts as 0 × 0 and fails the trial below. The
    // decoders check the size in the file's header against these limits before they allocate,
    // so a small file that claims a huge picture costs nothing.
    const bitmap::DecodeLimits limits{kMaxWatermarkSide - 1, bitmap::kMaxImageBytes};
    bitmap::Image24 image;
    std::vector<uint8_t> bytes = ReadSmallFile(path);
    bitmap::DecodeStatus status = bytes.empty() ? bitmap::DecodeStatus::NotAPicture
                                                : bitmap::DecodePicture(bytes, image, limits);
    if (status == bitmap::DecodeStatus::Ok) {
        intake.width = static_cast<int>(image.width);
        intake.height = static_cast<int>(image.height);
    }
    if (status == bitmap::DecodeStatus::TooLarge || intake.width >= kMaxWatermarkSide ||
        intake.height >= kMaxWatermarkSide) {
        intake.verdict = WatermarkVerdict::TooLarge;
        return intake;
    }
    // The stamp works on 24-bit BMPs only, so every accepted format is brought to that form
    // first; otherwise no PNG, JPEG or GIF could ever pass.
    std::vector<uint8_t> normalised;
    if (status == bitmap::DecodeStatus::Ok) normalised = bitmap::EncodeBmp24(image);
    if (normalised.empty() || !trial || !trial(normalised)) {
        intake.verdict = WatermarkVerdict::Unusable;
        return intake;
    }
    intake.verdict = WatermarkVerdict::Accepted;
    intake.picture = std::move(normalised);
    return intake;
}

std::string WatermarkIntakeMessage(WatermarkVerdict verdict) {
    switch (verdict) {
        case WatermarkVerdict::UnsupportedType:
            return Translated("WatermarkIntake",
                              "不支持的图片类型, 请拖入 bmp、jpg、png 或 gif 图片");
        case WatermarkVerdict::TooLarge:
            return Translated("WatermarkIntake", "图片太大, 水印须小于 200×200 像素");
        case WatermarkVerdict::Unusable:
            return Translated("WatermarkIntake", "这张图片无法用作水印");
        case WatermarkVerdict::Accepted:
            return Translated("WatermarkIntake", "水印图片已设置");
    }
    return {};
}

}  // namespace app
