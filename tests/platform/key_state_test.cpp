#include "x11_fixture.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace platform::testing {
namespace {

class KeyStateTest : public X11Test {
  protected:
    void SetUp() override {
        X11Test::SetUp();
        if (HasFatalFailure()) return;
        int event = 0, error = 0, major = 0, minor = 0;
        ASSERT_TRUE(XTestQueryExtension(display_, &event, &error, &major, &minor));
    }
    void TearDown() override {
        for (KeyCode code : pressed_) XTestFakeKeyEvent(display_, code, False, CurrentTime);
        if (display_) XSync(display_, False);
        X11Test::TearDown();
    }
    void Key(KeySym sym, bool down) {
        KeyCode code = XKeysymToKeycode(display_, sym);
        ASSERT_NE(code, 0) << "no key for " << XKeysymToString(sym);
        XTestFakeKeyEvent(display_, code, down, CurrentTime);
        XSync(display_, False);
        if (down) pressed_.push_back(code);
    }
    std::vector<KeyCode> pressed_;
};

TEST_F(KeyStateTest, F2IsSeenDownThenUpWhateverHasTheFocus) {
    // The focus on some other program's window must not hide the key from us.
    Window elsewhere = MakeTopLevel(10, 10, 50, 50, 0x777777);
    XSetInputFocus(display_, elsewhere, RevertToParent, CurrentTime);
    XSync(display_, False);

    EXPECT_FALSE(desktop_->IsKeyDown(key::kF2));
    Key(XK_F2, true);
    EXPECT_TRUE(desktop_->IsKeyDown(key::kF2));
    EXPECT_TRUE(desktop_->IsKeyDown(113));
    EXPECT_FALSE(desktop_->IsKeyDown(key::kF1));
    EXPECT_FALSE(desktop_->IsKeyDown(key::kControl));
    Key(XK_F2, false);
    EXPECT_FALSE(desktop_->IsKeyDown(key::kF2));
}

TEST_F(KeyStateTest, ModifiersStandForEitherSide) {
    Key(XK_Shift_R, true);
    EXPECT_TRUE(desktop_->IsKeyDown(key::kShift));
    EXPECT_TRUE(desktop_->IsKeyDown(0xA1));   // right shift
    EXPECT_FALSE(desktop_->IsKeyDown(0xA0));  // left shift
    Key(XK_Shift_R, false);
    EXPECT_FALSE(desktop_->IsKeyDown(key::kShift));

    Key(XK_Control_L, true);
    Key(XK_Alt_L, true);
    EXPECT_TRUE(desktop_->IsKeyDown(key::kControl));
    EXPECT_TRUE(desktop_->IsKeyDown(key::kAlt));
    EXPECT_FALSE(desktop_->IsKeyDown(key::kShift));
    Key(XK_Control_L, false);
    Key(XK_Alt_L, false);
    EXPECT_FALSE(desktop_->IsKeyDown(key::kControl));
    EXPECT_FALSE(desktop_->IsKeyDown(key::kAlt));
}

TEST_F(KeyStateTest, LettersDigitsAndUnknownCodes) {
    Key(XK_a, true);
    Key(XK_7, true);
    EXPECT_TRUE(desktop_->IsKeyDown('A'));
    EXPECT_TRUE(desktop_->IsKeyDown('7'));
    EXPECT_FALSE(desktop_->IsKeyDown('B'));
    Key(XK_a, false);
    Key(XK_7, false);
    EXPECT_FALSE(desktop_->IsKeyDown('A'));
    EXPECT_FALSE(desktop_->IsKeyDown(0xFF));  // no such key
    EXPECT_FALSE(desktop_->IsKeyDown(-1));
}

TEST_F(KeyStateTest, MouseButtonsHaveKeyCodesToo) {
    EXPECT_FALSE(desktop_->IsKeyDown(0x01));
    XTestFakeButtonEvent(display_, 1, True, CurrentTime);
    XSync(display_, False);
    EXPECT_TRUE(desktop_->IsKeyDown(0x01));
    EXPECT_FALSE(desktop_->IsKeyDown(0x02));
    XTestFakeButtonEvent(display_, 1, False, CurrentTime);
    XSync(display_, False);
    EXPECT_FALSE(desktop_->IsKeyDown(0x01));
}

}  // namespace
}  // namespace platform::testing
