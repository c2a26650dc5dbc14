// The numbered command table of the C interface, in command order.
#include "gif/c_api.h"

namespace {

template <typename Function>
GifCommandEntry Entry(Function* function) {
    return reinterpret_cast<GifCommandEntry>(function);
}

const GifCommand kCommands[] = {
    {0, "GifMaker", "Create", "创建", Entry(gif_MakerCreate)},
    {1, "GifMaker", "Clear", "清空", Entry(gif_Clear)},
    {2, "GifMaker", "Reset", "重置", Entry(gif_MakerReset)},
    {3, "GifMaker", "AddFrame", "加入帧图片", Entry(gif_MakerAddFrame)},
    {4, "GifMaker", "SaveGif", "保存GIF图片", Entry(gif_MakerSaveGif)},
    {5, "GifMaker", "GetError", "取最后错误", Entry(gif_MakerGetError)},
};

}  // namespace

extern "C" const GifCommand* gif_CommandTable(size_t* count) {
    if (count) *count = sizeof kCommands / sizeof kCommands[0];
    return kCommands;
}
