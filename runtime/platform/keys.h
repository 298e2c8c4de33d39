// Key indicators: the lock-key toggles and held modifier keys as the system
// sees them, for the key state at start-up and its re-sync.
#pragma once

namespace rt::platform {

struct KeyState {
    bool caps_lock = false, num_lock = false, scroll_lock = false;
    bool left_shift = false, right_shift = false;
    bool left_ctrl = false, right_ctrl = false;
    bool left_alt = false, right_alt = false;
};
KeyState read_key_state();

}  // namespace rt::platform
