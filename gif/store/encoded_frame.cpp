#include "gif/store/encoded_frame.h"

namespace gif {

void RecordOf(const EncodedFrame& frame, std::vector<uint8_t>& record) {
    BeginFrameRecord(frame.header, frame.comment, frame.colourTable, record);
    record.insert(record.end(), frame.imageData.begin(), frame.imageData.end());
    FinishFrameRecord(record);
}

EncodedFrame EncodedFrameOf(const FrameView& view) {
    return {view.header, std::string(view.comment),
            std::vector<uint8_t>(view.colourTable.begin(), view.colourTable.end()),
            std::vector<uint8_t>(view.imageData.begin(), view.imageData.end())};
}

}  // namespace gif
