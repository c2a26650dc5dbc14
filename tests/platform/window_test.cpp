#include "x11_fixture.h"

#include <X11/extensions/shape.h>

#include <atomic>
#include <thread>

namespace platform::testing {
namespace {

using WindowTest = X11Test;

TEST_F(WindowTest, DeepestVisibleWindowUnderAPoint) {
    Window top = MakeTopLevel(300, 300, 400, 300, 0x202020);
    Window panel = MakeWindow(top, 10, 10, 200, 100, 0x404040, 2);
    Window button = MakeWindow(panel, 5, 5, 50, 50, 0x606060);
    Window hidden = MakeWindow(panel, 100, 5, 50, 50, 0x808080);
    XUnmapWindow(display_, hidden);
    XSync(display_, False);

    // The panel's border is 2 wide, so its inside starts at 300 + 10 + 2.
    EXPECT_EQ(desktop_->WindowAt({312 + 5, 312 + 5}), button);
    EXPECT_EQ(desktop_->WindowAt({312 + 54, 312 + 54}), button);
    EXPECT_EQ(desktop_->WindowAt({312 + 55, 312 + 5}), panel);
    EXPECT_EQ(desktop_->WindowAt({312 + 120, 312 + 20}), panel);  // where the unmapped one is
    EXPECT_EQ(desktop_->WindowAt({311, 311}), panel);             // on the panel's border
    EXPECT_EQ(desktop_->WindowAt({650, 550}), top);
    EXPECT_EQ(desktop_->WindowAt({299, 300}), kNoWindow);  // the bare desktop
}

TEST_F(WindowTest, SmallerLowerSiblingWinsAmongChildren) {
    Window top = MakeTopLevel(100, 500, 300, 300, 0x101010);
    // Created bottom to top: `small` and `smallest` lie under `cover`, `large` under them all.
    Window large = MakeWindow(top, 0, 0, 290, 290, 0x303030);
    Window smallest = MakeWindow(top, 20, 20, 30, 30, 0x505050);
    Window small = MakeWindow(top, 10, 10, 80, 80, 0x707070);
    Window hiddenTiny = MakeWindow(top, 20, 20, 5, 5, 0x909090);
    XUnmapWindow(display_, hiddenTiny);
    Window cover = MakeWindow(top, 0, 0, 200, 200, 0xB0B0B0);
    XSync(display_, False);

    // Under `cover`: `small` replaces it, then the even smaller `smallest`; the hidden one and
    // the larger `large` do not.
    EXPECT_EQ(desktop_->WindowAt({100 + 22, 500 + 22}), smallest);
    EXPECT_EQ(desktop_->WindowAt({100 + 60, 500 + 60}), small);
    EXPECT_EQ(desktop_->WindowAt({100 + 150, 500 + 150}), cover);
    EXPECT_EQ(desktop_->WindowAt({100 + 250, 500 + 250}), large);
}

TEST_F(WindowTest, TopLevelWindowsAreNotReplacedBySmallerOnesBelow) {
    Window lower = MakeTopLevel(800, 100, 50, 50, 0x112233);
    Window upper = MakeTopLevel(780, 80, 200, 200, 0x445566);
    EXPECT_EQ(desktop_->WindowAt({810, 110}), upper);
    XLowerWindow(display_, upper);
    XSync(display_, False);
    EXPECT_EQ(desktop_->WindowAt({810, 110}), lower);
}

TEST_F(WindowTest, ClickThroughWindowsAreLookedThrough) {
    Window below = MakeTopLevel(1000, 100, 100, 100, 0x336699);
    Window overlay = MakeTopLevel(1000, 100, 100, 100, 0xFF00FF);
    ASSERT_EQ(desktop_->WindowAt({1050, 150}), overlay);
    XShapeCombineRectangles(display_, overlay, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
    XSync(display_, False);
    EXPECT_EQ(desktop_->WindowAt({1050, 150}), below);

    // A shaped frame is hit on its outline only.
    Window frame = MakeTopLevel(1000, 100, 100, 100, 0xFF0000);
    XRectangle outline[] = {{0, 0, 100, 2}, {0, 98, 100, 2}, {0, 0, 2, 100}, {98, 0, 2, 100}};
    XShapeCombineRectangles(display_, frame, ShapeBounding, 0, 0, outline, 4, ShapeSet, Unsorted);
    XSync(display_, False);
    EXPECT_EQ(desktop_->WindowAt({1001, 150}), frame);
    EXPECT_EQ(desktop_->WindowAt({1050, 150}), below);
}

TEST_F(WindowTest, TitleBarOfAManagedWindowStandsForTheWholeFrame) {
    // What a reparenting window manager builds: a frame holding a title bar and the program's
    // window, which it marks with WM_STATE.
    Window frame = MakeTopLevel(1200, 400, 200, 150, 0x202020);
    Window titleBar = MakeWindow(frame, 0, 0, 200, 20, 0x0000A0);
    ASSERT_EQ(desktop_->WindowAt({1250, 405}), titleBar);  // until the client is marked
    Window client = MakeWindow(frame, 0, 20, 200, 130, 0xC0C0C0);
    Window button = MakeWindow(client, 10, 10, 40, 20, 0x808080);
    Atom wmState = XInternAtom(display_, "WM_STATE", False);
    long state[2] = {1, 0};  // NormalState, no icon
    XChangeProperty(display_, client, wmState, wmState, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(state), 2);
    XSync(display_, False);

    EXPECT_EQ(desktop_->WindowAt({1250, 405}), frame);
    EXPECT_EQ(desktop_->WindowAt({1215, 435}), button);
    EXPECT_EQ(desktop_->WindowAt({1300, 500}), client);
    EXPECT_EQ(desktop_->RootWindow(button), frame);
    EXPECT_EQ(desktop_->WindowBounds(frame), (Rect{1200, 400, 1400, 550}));
}

TEST_F(WindowTest, WindowUnderCursorFollowsThePointer) {
    Window top = MakeTopLevel(400, 700, 100, 100, 0x222222);
    Window child = MakeWindow(top, 10, 10, 20, 20, 0x444444);
    XWarpPointer(display_, None, root_, 0, 0, 0, 0, 415, 715);
    XSync(display_, False);
    EXPECT_EQ(desktop_->PointerPosition(), (Point{415, 715}));
    EXPECT_EQ(desktop_->WindowUnderCursor(), child);
    XWarpPointer(display_, None, root_, 0, 0, 0, 0, 399, 715);
    XSync(display_, False);
    EXPECT_EQ(desktop_->WindowUnderCursor(), kNoWindow);
}

TEST_F(WindowTest, RootWindowIsTheTopLevelAncestor) {
    Window top = MakeTopLevel(50, 50, 100, 100, 0x222222);
    Window child = MakeWindow(top, 10, 10, 50, 50, 0x444444);
    Window grandchild = MakeWindow(child, 1, 1, 5, 5, 0x666666);
    EXPECT_EQ(desktop_->RootWindow(grandchild), top);
    EXPECT_EQ(desktop_->RootWindow(child), top);
    EXPECT_EQ(desktop_->RootWindow(top), top);
    EXPECT_EQ(desktop_->RootWindow(root_), kNoWindow);
    EXPECT_EQ(desktop_->RootWindow(kNoWindow), kNoWindow);
}

TEST_F(WindowTest, BoundsAreOuterRectanglesOnTheScreen) {
    Window top = MakeTopLevel(-20, 30, 300, 200, 0x222222, 3);
    Window child = MakeWindow(top, 10, 20, 50, 40, 0x444444, 1);
    // The top level's inside starts at (-17, 33); the child's outer corner 10, 20 further.
    EXPECT_EQ(desktop_->WindowBounds(top), (Rect{-20, 30, -20 + 306, 30 + 206}));
    EXPECT_EQ(desktop_->WindowBounds(child), (Rect{-7, 53, -7 + 52, 53 + 42}));
    EXPECT_EQ(desktop_->WindowBounds(kNoWindow), std::nullopt);
}

TEST_F(WindowTest, VanishedWindowsGiveNothingInsteadOfEndingTheProcess) {
    Window gone = MakeTopLevel(10, 10, 10, 10, 0);
    XDestroyWindow(display_, gone);
    windows_.pop_back();
    XSync(display_, False);
    EXPECT_EQ(desktop_->WindowBounds(gone), std::nullopt);
    EXPECT_EQ(desktop_->RootWindow(gone), kNoWindow);
    desktop_->FlashWindowFrame(gone, 0x0000FF, std::chrono::milliseconds(0));
    desktop_->XorFrame({0, 0, 0, 0}, 0x0000FF);
    EXPECT_EQ(desktop_->RootWindow(0x7FFFFFF0), kNoWindow);  // never a window
}

TEST_F(WindowTest, ErrorsOnOneThreadDoNotLeakIntoAnother) {
    MakePatternWindow(700, 700, 4, 4);
    auto other = desktop_->OpenAnother();
    ASSERT_NE(other, nullptr);
    std::atomic<int> badBounds{0};
    std::thread failing([&] {
        for (int i = 0; i < 200; ++i)
            if (other->WindowBounds(0x7FFFFFF0 - i)) ++badBounds;
    });
    int badGrabs = 0;
    for (int i = 0; i < 200; ++i) {
        std::vector<uint8_t> bmp = desktop_->FrameGrabber(700, 700, 4, 4);
        if (bmp.size() != 54 + 64 || BmpPixel(bmp, 3, 3) != Pattern(3, 3)) ++badGrabs;
    }
    failing.join();
    EXPECT_EQ(badBounds.load(), 0);
    EXPECT_EQ(badGrabs, 0);
}

class XorFrameTest : public X11Test {
  protected:
    uint32_t PixelAt(int x, int y) {
        std::vector<uint8_t> bmp = desktop_->FrameGrabber(x, y, 1, 1);
        EXPECT_EQ(bmp.size(), 58u);
        return bmp.size() == 58 ? BmpPixel(bmp, 0, 0) : 0xDEADBEEF;
    }
};

TEST_F(XorFrameTest, FrameInvertsTheEdgesOverWindowsAndASecondOneRestoresThem) {
    MakeTopLevel(500, 500, 100, 80, 0x336699);
    const Rect rect{500, 500, 600, 580};
    std::vector<uint8_t> before = desktop_->FrameGrabber(490, 490, 120, 100);

    desktop_->XorFrame(rect, 0x0000FF);  // red as red + green * 256 + blue * 65536
    // NOT(pixel XOR red): 0x336699 ^ 0xFF0000 = 0xCC6699, inverted 0x339966.
    EXPECT_EQ(PixelAt(500, 540), 0x339966u);
    EXPECT_EQ(PixelAt(599, 540), 0x339966u);
    EXPECT_EQ(PixelAt(550, 500), 0x339966u);
    EXPECT_EQ(PixelAt(550, 579), 0x339966u);
    EXPECT_EQ(PixelAt(550, 540), 0x336699u);  // the inside is left alone

    desktop_->XorFrame(rect, 0x0000FF);
    EXPECT_EQ(desktop_->FrameGrabber(490, 490, 120, 100), before);
}

TEST_F(XorFrameTest, FlashLeavesTheScreenAsItWas) {
    Window target = MakeTopLevel(-30, 600, 200, 100, 0x446688);
    std::vector<uint8_t> before = desktop_->FrameGrabber(0, 590, 200, 120);
    desktop_->FlashWindowFrame(target, 0x0000FF, std::chrono::milliseconds(1));
    EXPECT_EQ(desktop_->FrameGrabber(0, 590, 200, 120), before);
}

}  // namespace
}  // namespace platform::testing
