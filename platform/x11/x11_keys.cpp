// Global key state from the server's key bitmap (QueryKeymap), which shows a key held down
// whichever window has the focus and takes the key from no one. Polled every few
// milliseconds, it sees any tap longer than the polling period.
#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <chrono>

#include "platform/x11/x11_support.h"

namespace platform::x11 {

namespace {

// The key symbols a virtual key code stands for; either of them down means the key is down.
std::vector<KeySym> KeySymsFor(int vk) {
    if (vk >= '0' && vk <= '9') return {KeySym(XK_0 + (vk - '0'))};
    if (vk >= 'A' && vk <= 'Z') return {KeySym(XK_a + (vk - 'A'))};
    if (vk >= 0x60 && vk <= 0x69) return {KeySym(XK_KP_0 + (vk - 0x60))};
    if (vk >= 0x70 && vk <= 0x87) return {KeySym(XK_F1 + (vk - 0x70))};
    switch (vk) {
        case 0x08:
            return {XK_BackSpace};
        case 0x09:
            return {XK_Tab};
        case 0x0D:
            return {XK_Return, XK_KP_Enter};
        case 0x10:
            return {XK_Shift_L, XK_Shift_R};
        case 0x11:
            return {XK_Control_L, XK_Control_R};
        case 0x12:
            return {XK_Alt_L, XK_Alt_R, XK_ISO_Level3_Shift};
        case 0x13:
            return {XK_Pause};
        case 0x14:
            return {XK_Caps_Lock};
        case 0x1B:
            return {XK_Escape};
        case 0x20:
            return {XK_space};
        case 0x21:
            return {XK_Prior};
        case 0x22:
            return {XK_Next};
        case 0x23:
            return {XK_End};
        case 0x24:
            return {XK_Home};
        case 0x25:
            return {XK_Left};
        case 0x26:
            return {XK_Up};
        case 0x27:
            return {XK_Right};
        case 0x28:
            return {XK_Down};
        case 0x2C:
            return {XK_Print};
        case 0x2D:
            return {XK_Insert};
        case 0x2E:
            return {XK_Delete};
        case 0x5B:
            return {XK_Super_L};
        case 0x5C:
            return {XK_Super_R};
        case 0x5D:
            return {XK_Menu};
        case 0x6A:
            return {XK_KP_Multiply};
        case 0x6B:
            return {XK_KP_Add};
        case 0x6D:
            return {XK_KP_Subtract};
        case 0x6E:
            return {XK_KP_Decimal};
        case 0x6F:
            return {XK_KP_Divide};
        case 0x90:
            return {XK_Num_Lock};
        case 0x91:
            return {XK_Scroll_Lock};
        case 0xA0:
            return {XK_Shift_L};
        case 0xA1:
            return {XK_Shift_R};
        case 0xA2:
            return {XK_Control_L};
        case 0xA3:
            return {XK_Control_R};
        case 0xA4:
            return {XK_Alt_L};
        case 0xA5:
            return {XK_Alt_R, XK_ISO_Level3_Shift};
        default:
            return {};
    }
}

// Mouse buttons have virtual key codes too; the server reports them with the pointer.
unsigned ButtonMaskFor(int vk) {
    switch (vk) {
        case 0x01:
            return Button1Mask;  // left
        case 0x02:
            return Button3Mask;  // right
        case 0x04:
            return Button2Mask;  // middle
        default:
            return 0;
    }
}

}  // namespace

const std::vector<KeyCode>& KeyMap::KeycodesFor(Display* display, int virtualKey) {
    // The keyboard layout can change while we run (a new keyboard, setxkbmap); we read no
    // events that would tell us, so the table is rebuilt now and then.
    auto now = std::chrono::steady_clock::now();
    if (now - loaded_ > std::chrono::seconds(2)) {
        cache_.clear();
        loaded_ = now;
    }
    auto found = cache_.find(virtualKey);
    if (found != cache_.end()) return found->second;

    std::vector<KeyCode> codes;
    std::vector<KeySym> wanted = KeySymsFor(virtualKey);
    if (!wanted.empty()) {
        int minCode = 0, maxCode = 0;
        XDisplayKeycodes(display, &minCode, &maxCode);
        int perCode = 0;
        int count = maxCode - minCode + 1;
        XFreePtr<KeySym> map(XGetKeyboardMapping(display, KeyCode(minCode), count, &perCode));
        for (int i = 0; map && i < count; ++i) {
            for (int level = 0; level < perCode; ++level) {
                KeySym sym = map.get()[i * perCode + level];
                if (sym != NoSymbol &&
                    std::find(wanted.begin(), wanted.end(), sym) != wanted.end()) {
                    codes.push_back(KeyCode(minCode + i));
                    break;
                }
            }
        }
    }
    return cache_.emplace(virtualKey, std::move(codes)).first->second;
}

bool X11Desktop::IsKeyDown(int virtualKey) {
    Display* dpy = impl_->Dpy();
    if (unsigned buttonMask = ButtonMaskFor(virtualKey)) {
        Window rootReturn = 0, child = 0;
        int rootX = 0, rootY = 0, winX = 0, winY = 0;
        unsigned mask = 0;
        XQueryPointer(dpy, impl_->root, &rootReturn, &child, &rootX, &rootY, &winX, &winY, &mask);
        return (mask & buttonMask) != 0;
    }
    const std::vector<KeyCode>& codes = impl_->keyMap.KeycodesFor(dpy, virtualKey);
    if (codes.empty()) return false;
    std::array<char, 32> keys{};
    XQueryKeymap(dpy, keys.data());
    for (KeyCode code : codes) {
        if (static_cast<unsigned char>(keys[code / 8]) & (1u << (code % 8))) return true;
    }
    return false;
}

}  // namespace platform::x11
