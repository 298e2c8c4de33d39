// Linux key indicators: SDL's modifier state, and Scroll Lock, which has no SDL
// modifier bit, from the X server's keyboard indicators.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <SDL.h>

#include <cstdlib>
#include <mutex>

#include "runtime/platform/keys.h"

namespace rt::platform {

namespace {

std::mutex indicator_lock;
Display* indicator_display = nullptr;
bool indicator_tried = false;
Atom scroll_lock_atom = None;

bool scroll_lock_on() {
    std::lock_guard<std::mutex> guard(indicator_lock);
    if (!indicator_tried) {
        indicator_tried = true;
        if (std::getenv("DISPLAY")) indicator_display = XOpenDisplay(nullptr);
        if (indicator_display) scroll_lock_atom = XInternAtom(indicator_display, "Scroll Lock", False);
    }
    if (!indicator_display || scroll_lock_atom == None) return false;
    Bool on = False;
    if (!XkbGetNamedIndicator(indicator_display, scroll_lock_atom, nullptr, &on, nullptr, nullptr))
        return false;
    return on == True;
}

}  // namespace

KeyState read_key_state() {
    KeyState k;
    SDLMod mod = SDL_GetModState();
    k.caps_lock = (mod & KMOD_CAPS) != 0;
    k.num_lock = (mod & KMOD_NUM) != 0;
    k.left_shift = (mod & KMOD_LSHIFT) != 0;
    k.right_shift = (mod & KMOD_RSHIFT) != 0;
    k.left_ctrl = (mod & KMOD_LCTRL) != 0;
    k.right_ctrl = (mod & KMOD_RCTRL) != 0;
    k.left_alt = (mod & KMOD_LALT) != 0;
    k.right_alt = (mod & KMOD_RALT) != 0;
    k.scroll_lock = scroll_lock_on();
    return k;
}

}  // namespace rt::platform
