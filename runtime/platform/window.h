// The window as the window system has it, which a tiling window manager may
// have sized without telling SDL 1.2 (its resize event can be lost while the
// window is being mapped).
#pragma once

#include <cstdint>

namespace rt::platform {

// The inside size of SDL's window; false when there is no window or it cannot
// be asked (no window system: SDL's dummy driver).
bool window_inside_size(int32_t& width, int32_t& height);

}  // namespace rt::platform
