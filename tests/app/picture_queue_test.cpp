#include "app/core/picture_queue.h"

#include <gtest/gtest.h>

namespace app {
namespace {

using namespace std::chrono_literals;
using Kind = QueuedPicture::Kind;

QueuedPicture Picture(PictureQueue& queue, int ms) {
    QueuedPicture item{Kind::Picture, RecordingTime(ms * 1000), queue.TakeBuffer(), {}};
    item.bytes.assign(4, uint8_t(ms));
    return item;
}

// What is left in the queue, as grab times in ms, a pause as -1 and the end as -2.
std::vector<int> Drain(PictureQueue& queue) {
    queue.Close();
    std::vector<int> left;
    while (auto item = queue.Pop()) {
        left.push_back(item->kind == Kind::Picture ? int(item->at.count() / 1000)
                       : item->kind == Kind::Pause ? -1
                                                   : -2);
    }
    return left;
}

TEST(PictureQueueTest, AFullQueueMergesTheOldestPairAndNeverAPauseOrTheEnd) {
    struct Case {
        const char* name;
        std::vector<int> pushed;  // ms, -1 a pause, -2 the end
        std::vector<int> left;
        size_t merged;
    };
    const std::vector<Case> cases = {
        {"under capacity", {0, 100, 200}, {0, 100, 200}, 0},
        {"one over", {0, 100, 200, 300}, {0, 200, 300}, 1},
        {"the first stays, the rest move on", {0, 100, 200, 300, 400, 500}, {0, 400, 500}, 3},
        {"pictures beside a pause", {0, -1, 100, 200, 300}, {0, -1, 100, 300}, 1},
        {"pauses between every two",
         {0, -1, 100, -1, 200, -1, 300},
         {-1, 100, -1, 200, -1, 300},
         1},
        {"the end is kept", {0, 100, 200, -2}, {0, 100, 200, -2}, 0},
    };
    for (const Case& c : cases) {
        PictureQueue queue(3);
        for (int at : c.pushed) {
            if (at >= 0) {
                queue.Push(Picture(queue, at));
            } else {
                queue.Push({at == -1 ? Kind::Pause : Kind::End, {}, {}, {}});
            }
        }
        EXPECT_EQ(Drain(queue), c.left) << c.name;
        EXPECT_EQ(queue.Merged(), c.merged) << c.name;
    }
}

TEST(PictureQueueTest, MergedPicturesGiveTheirStorageBack) {
    PictureQueue queue(2);
    for (int i = 0; i < 100; ++i) queue.Push(Picture(queue, i));
    EXPECT_EQ(queue.Merged(), 98u);
    EXPECT_LE(queue.BuffersMade(), 4u);  // not one per picture
}

}  // namespace
}  // namespace app
