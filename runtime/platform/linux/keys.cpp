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

// Scroll Lock's light, kept up to date by the X server's notices of its
// changes on a connection of its own: asking for it at every look would cost
// the display thread a wait for the server's answer on each of its passes.
std::mutex indicator_lock;
Display* indicator_display = nullptr;
bool indicator_tried = false;
int xkb_event_base = 0;
unsigned scroll_lock_bit = 0;
bool scroll_lock = false;

void watch_scroll_lock() {
    if (!std::getenv("DISPLAY") || !(indicator_display = XOpenDisplay(nullptr))) return;
    int opcode, error_base, major = XkbMajorVersion, minor = XkbMinorVersion;
    const Atom name = XInternAtom(indicator_display, "Scroll Lock", False);
    int index = -1;
    Bool on = False;
    if (!XkbQueryExtension(indicator_display, &opcode, &xkb_event_base, &error_base, &major, &minor) ||
        name == None || !XkbGetNamedIndicator(indicator_display, name, &index, &on, nullptr, nullptr) ||
        index < 0 || index >= 32) {
        XCloseDisplay(indicator_display);
        indicator_display = nullptr;
        return;
    }
    scroll_lock_bit = 1u << index;
    scroll_lock = on == True;
    XkbSelectEventDetails(indicator_display, XkbUseCoreKbd, XkbIndicatorStateNotify, scroll_lock_bit,
                          scroll_lock_bit);
    XFlush(indicator_display);
}

bool scroll_lock_on() {
    std::lock_guard<std::mutex> guard(indicator_lock);
    if (!indicator_tried) {
        indicator_tried = true;
        watch_scroll_lock();
    }
    if (!indicator_display) return false;
    // Reads only what has come: never waits for the server.
    while (XPending(indicator_display) > 0) {
        XEvent event;
        XNextEvent(indicator_display, &event);
        const auto& xkb = reinterpret_cast<const XkbEvent&>(event);
        if (event.type == xkb_event_base && xkb.any.xkb_type == XkbIndicatorStateNotify &&
            (xkb.indicators.changed & scroll_lock_bit))
            scroll_lock = (xkb.indicators.state & scroll_lock_bit) != 0;
    }
    return scroll_lock;
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
