// Windows key indicators: the lock keys' toggles and the held modifiers as the
// system's keyboard state has them, Scroll Lock included.
#include <windows.h>

#include "runtime/platform/keys.h"

namespace rt::platform {

namespace {

bool toggled(int key) { return (GetKeyState(key) & 1) != 0; }
bool held(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

KeyState read_key_state() {
    KeyState k;
    k.caps_lock = toggled(VK_CAPITAL);
    k.num_lock = toggled(VK_NUMLOCK);
    k.scroll_lock = toggled(VK_SCROLL);
    k.left_shift = held(VK_LSHIFT);
    k.right_shift = held(VK_RSHIFT);
    k.left_ctrl = held(VK_LCONTROL);
    k.right_ctrl = held(VK_RCONTROL);
    k.left_alt = held(VK_LMENU);
    k.right_alt = held(VK_RMENU);
    return k;
}

}  // namespace rt::platform
