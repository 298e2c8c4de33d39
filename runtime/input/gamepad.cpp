// A gamepad played as the keyboard: its events become the key events of the
// keys it stands for, so the game, and a replay of it, cannot tell them apart.
// The hat or the left stick holds the arrows, button A is Space, Start is P and
// Back holds Q.
#include <SDL.h>

#include <array>
#include <cstdlib>
#include <cstring>

#include "runtime/input/input.h"

namespace rt {

namespace {

SDL_Joystick* pad = nullptr;

// A stick counts as pushed beyond a third of its travel.
constexpr int32_t stick_threshold = 32767 / 3;

// Button numbers. SDL 1.2 over SDL2 with its game-controller mapping numbers
// every pad alike (A, B, X, Y, Back, Guide, Start); classic SDL 1.2 gives the
// driver's own order, which for the common pads is A, B, X, Y, LB, RB, Back, Start.
struct Buttons {
    int32_t a = 0, back = 6, start = 7;
};
Buttons buttons;

enum Arrow { left, right, up, down, arrow_count };
constexpr std::array<int32_t, arrow_count> arrow_symbols{SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN};
// What holds each arrow down: bit 0 the hat, bit 1 the stick.
constexpr uint8_t by_hat = 1, by_stick = 2;
std::array<uint8_t, arrow_count> arrow_held{};

SDL_Event key_event(bool down, int32_t symbol, uint16_t unicode) {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = SDLKey(symbol);
    e.key.keysym.unicode = down ? unicode : 0;
    return e;
}

// Sets what `source` holds of `arrows` (a bit per arrow) and writes the key
// events of the arrows that went down or came up.
int32_t hold_arrows(uint8_t source, uint8_t arrows, uint8_t mask, SDL_Event* out) {
    int32_t n = 0;
    for (int32_t a = 0; a < arrow_count; ++a) {
        if (!(mask & (1 << a))) continue;
        const bool was = arrow_held[size_t(a)] != 0;
        arrow_held[size_t(a)] = (arrows & (1 << a)) ? arrow_held[size_t(a)] | source : arrow_held[size_t(a)] & ~source;
        const bool is = arrow_held[size_t(a)] != 0;
        if (was != is) out[n++] = key_event(is, arrow_symbols[size_t(a)], 0);
    }
    return n;
}

}  // namespace

void open_gamepad() {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0 || SDL_NumJoysticks() < 1) return;
    pad = SDL_JoystickOpen(0);
    if (!pad) return;
    SDL_JoystickEventState(SDL_ENABLE);
    const SDL_version* linked = SDL_Linked_Version();
    const char* mapped = std::getenv("SDL12COMPAT_USE_GAME_CONTROLLERS");
    if (linked && linked->patch >= 50 && mapped && std::atoi(mapped) != 0) buttons = {0, 4, 6};
}

int32_t gamepad_key_events(const SDL_Event& e, SDL_Event out[4]) {
    switch (e.type) {
    case SDL_JOYHATMOTION: {
        if (e.jhat.which != 0 || e.jhat.hat != 0) return 0;
        const uint8_t v = e.jhat.value;
        const uint8_t arrows = ((v & SDL_HAT_LEFT) ? 1 << left : 0) | ((v & SDL_HAT_RIGHT) ? 1 << right : 0) |
                               ((v & SDL_HAT_UP) ? 1 << up : 0) | ((v & SDL_HAT_DOWN) ? 1 << down : 0);
        return hold_arrows(by_hat, arrows, 0xF, out);
    }
    case SDL_JOYAXISMOTION: {
        if (e.jaxis.which != 0 || e.jaxis.axis > 1) return 0;
        const int32_t v = e.jaxis.value;
        const Arrow less = e.jaxis.axis == 0 ? left : up, more = e.jaxis.axis == 0 ? right : down;
        const uint8_t arrows = (v < -stick_threshold ? 1 << less : 0) | (v > stick_threshold ? 1 << more : 0);
        return hold_arrows(by_stick, arrows, uint8_t(1 << less | 1 << more), out);
    }
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP: {
        if (e.jbutton.which != 0) return 0;
        const bool pressed = e.type == SDL_JOYBUTTONDOWN;
        const int32_t b = e.jbutton.button;
        if (b == buttons.a) out[0] = key_event(pressed, SDLK_SPACE, ' ');
        else if (b == buttons.start) out[0] = key_event(pressed, SDLK_p, 'p');
        else if (b == buttons.back) out[0] = key_event(pressed, SDLK_q, 'q');
        else return 0;
        return 1;
    }
    default:
        return 0;
    }
}

}  // namespace rt
