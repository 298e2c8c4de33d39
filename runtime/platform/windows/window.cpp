#include <windows.h>

#include <SDL.h>
#include <SDL_syswm.h>

#include "runtime/platform/window.h"

namespace rt::platform {

bool window_inside_size(int32_t& width, int32_t& height) {
    if (!SDL_GetVideoSurface()) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    RECT inside;
    if (SDL_GetWMInfo(&info) != 1 || !info.window || !GetClientRect(info.window, &inside)) return false;
    width = inside.right - inside.left;
    height = inside.bottom - inside.top;
    return true;
}

}  // namespace rt::platform
