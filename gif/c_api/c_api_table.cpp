// The numbered command table of the C interface, in command order.
#include "gif/c_api/c_api.h"

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
    {6, "GifReader", "Create", "创建", Entry(gif_ReaderCreate)},
    {7, "GifReader", "Clear", "清空", Entry(gif_Clear)},
    {8, "GifReader", "LoadGif", "载入动画", Entry(gif_ReaderLoadGif)},
    {9, "GifReader", "GetError", "取最后错误", Entry(gif_ReaderGetError)},
    {10, "GifReader", "GetGifInfo", "取动画信息", Entry(gif_ReaderGetGifInfo)},
    {11, "GifReader", "SetGifInfo", "置动画信息", Entry(gif_ReaderSetGifInfo)},
    {12, "GifReader", "GetFrameInfo", "取帧信息", Entry(gif_ReaderGetFrameInfo)},
    {13, "GifReader", "SetFrameInfo", "置帧信息", Entry(gif_ReaderSetFrameInfo)},
    {14, "GifReader", "GetPalette", "取调色板颜色", Entry(gif_ReaderGetPalette)},
    {15, "GifReader", "SetPalette", "置调色板颜色", Entry(gif_ReaderSetPalette)},
    {16, "GifReader", "GetGifData", "取帧图片数据", Entry(gif_ReaderGetGifData)},
    {17, "GifReader", "SaveGif", "保存GIF图片", Entry(gif_ReaderSaveGif)},
};

}  // namespace

extern "C" const GifCommand* gif_CommandTable(size_t* count) {
    if (count) *count = sizeof kCommands / sizeof kCommands[0];
    return kCommands;
}
