#include "app/core/key_watch_list.h"

#include <gtest/gtest.h>

#include <set>

namespace app {
namespace {

TEST(KeyWatchListTest, AHeldKeyRepeatsAtMostOncePerInterval) {
    KeyWatchList list;
    list.Watch(500, {113});
    auto down = [](int key) { return key == 113; };
    auto first = list.Tick(10, down);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->keyCode, 113);
    EXPECT_FALSE(list.Tick(15, down));
    EXPECT_FALSE(list.Tick(509, down));
    EXPECT_TRUE(list.Tick(510, down));
    EXPECT_FALSE(list.Tick(600, [](int) { return false; }));
}

TEST(KeyWatchListTest, OneReportPerTickInListOrder) {
    KeyWatchList list;
    list.Watch(500, {4, 81, 113});
    std::set<int> held{113, 81};
    auto down = [&](int key) { return held.count(key) != 0; };
    EXPECT_EQ(list.Tick(0, down)->keyCode, 81);
    EXPECT_EQ(list.Tick(5, down)->keyCode, 113);
    EXPECT_FALSE(list.Tick(10, down));
}

TEST(KeyWatchListTest, ModifiersAreReportedAndAClearedListReportsNothing) {
    KeyWatchList list;
    list.Watch(500, {113});
    std::set<int> held{113, 17, 18};
    auto down = [&](int key) { return held.count(key) != 0; };
    EXPECT_EQ(list.Tick(0, down)->modifiers, kModifierCtrl | kModifierAlt);
    list.Clear();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_FALSE(list.Tick(1000, down));
    list.Watch(500, {113});  // a fresh entry reports at once
    EXPECT_TRUE(list.Tick(1001, down));
}

TEST(KeyWatchListTest, AKeyHeldWhenTheListIsFilledWaitsForItsInterval) {
    KeyWatchList list;
    auto down = [](int key) { return key == 113; };
    list.Watch(500, {4, 113}, 1000, down);
    EXPECT_FALSE(list.Tick(1005, down));
    EXPECT_TRUE(list.Tick(1500, down));
    KeyWatchList released;
    released.Watch(500, {113}, 1000, [](int) { return false; });
    EXPECT_TRUE(released.Tick(1005, down));
}

}  // namespace
}  // namespace app
