// Key repeat. SDL 1.2 over SDL2 leaves repeating to the window system, which
// stops repeating a held arrow as soon as Shift goes down; classic SDL 1.2 keeps
// it going. The runtime repeats keys itself, the classic way, so that the game
// feels the same on both: the last key pressed that is not a modifier or lock
// key repeats while it is held, first after the delay, then every interval, at
// most once per look.
#include <SDL_keysym.h>

#include "runtime/input/input.h"

namespace rt {
namespace {

struct Repeat {
    uint32_t delay = 0, interval = 0;  // 0: off
    bool armed = false;                // a key is down and may repeat
    bool waiting_for_delay = true;
    uint32_t since = 0;                // tick of the press or of the last repeat
    int32_t symbol = 0;
    uint32_t unicode = 0;
};
Repeat repeat;

bool repeats(int32_t symbol) {
    switch (symbol) {
        case SDLK_UNKNOWN: case SDLK_NUMLOCK: case SDLK_CAPSLOCK:
        case SDLK_LCTRL: case SDLK_RCTRL: case SDLK_LSHIFT: case SDLK_RSHIFT:
        case SDLK_LALT: case SDLK_RALT: case SDLK_LMETA: case SDLK_RMETA: case SDLK_MODE:
            return false;
        default:
            return true;
    }
}

}  // namespace

void set_key_repeat(uint32_t delay, uint32_t interval) {
    repeat.delay = delay;
    repeat.interval = interval;
    repeat.armed = false;  // a change of setting forgets the key, as SDL does
}

void key_repeat_down(int32_t symbol, uint32_t unicode, uint32_t now) {
    if (repeat.delay == 0 || !repeats(symbol)) return;
    repeat.armed = true;
    repeat.waiting_for_delay = true;
    repeat.since = now;
    repeat.symbol = symbol;
    repeat.unicode = unicode;
}

void key_repeat_up(int32_t symbol) {
    if (repeat.armed && repeat.symbol == symbol) repeat.armed = false;
}

bool key_repeat_due(uint32_t now, int32_t& symbol, uint32_t& unicode) {
    if (!repeat.armed) return false;
    const uint32_t elapsed = now - repeat.since;
    if (repeat.waiting_for_delay) {
        // Past the delay the schedule starts; the first repeat follows one interval later.
        if (elapsed > repeat.delay) {
            repeat.since = now;
            repeat.waiting_for_delay = false;
        }
        return false;
    }
    if (elapsed <= repeat.interval) return false;
    repeat.since = now;
    symbol = repeat.symbol;
    unicode = repeat.unicode;
    return true;
}

}  // namespace rt
