#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include "runtime/platform/window.h"

namespace rt::platform {

bool window_inside_size(int32_t& width, int32_t& height) {
    if (!SDL_GetVideoSurface()) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11 || !info.info.x11.display) return false;
    // The managed window: SDL 1.2 draws in a child it sizes itself.
    const Window window = info.info.x11.wmwindow ? info.info.x11.wmwindow : info.info.x11.window;
    if (info.info.x11.lock_func) info.info.x11.lock_func();
    XWindowAttributes attributes;
    const bool known = XGetWindowAttributes(info.info.x11.display, window, &attributes) != 0;
    if (info.info.x11.unlock_func) info.info.x11.unlock_func();
    if (!known) return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

}  // namespace rt::platform
