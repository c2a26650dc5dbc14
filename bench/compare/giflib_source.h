// The images of a GIF file as giflib decodes them, one at a time, so that a long recording
// never sits decoded in memory.
#pragma once

#include <gif_lib.h>

#include <string>

#include "bench/compare/timeline.h"

namespace gifcompare {

class GiflibSource : public ImageSource {
  public:
    explicit GiflibSource(const std::string& path);
    ~GiflibSource() override;
    GiflibSource(const GiflibSource&) = delete;
    GiflibSource& operator=(const GiflibSource&) = delete;

    bool ok() const { return file_ != nullptr; }
    int width() const { return file_ ? file_->SWidth : 0; }
    int height() const { return file_ ? file_->SHeight : 0; }
    bool Next(Image& image) override;

  private:
    bool Fail(const std::string& what);
    bool ReadExtension(GraphicsControlBlock& control, bool& haveControl);
    bool ReadRaster(Image& image, const ColorMapObject& colours, int transparent);

    GifFileType* file_ = nullptr;
    std::vector<GifByteType> line_;
};

}  // namespace gifcompare
