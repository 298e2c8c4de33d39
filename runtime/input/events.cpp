// The window's events, taken by the display thread: key events translated into
// held and typed keys, key repeat turned on and off with the window's focus, the
// lock keys kept in line with the system's, and the held keys made good again
// after a flood of events.
#include <SDL.h>

#include <algorithm>
#include <vector>

#include "runtime/input/input.h"
#include "runtime/platform/clock.h"

namespace rt {
namespace {

bool key_repeat_on = false;

void turn_key_repeat(bool on) {
    if (on == key_repeat_on) return;
    key_repeat_on = on;
    set_key_repeat(on ? 500 : 0, on ? 30 : 0);
}

// Keys that went down through key events and have not come up yet.
std::vector<int32_t> keys_down;

// A pass that takes this many events may have met a full event queue, which
// drops what comes after, key-ups included (SDL 1.2 keeps 127).
constexpr int32_t events_near_full_queue = 64;

// After a flood of events, every key that SDL no longer sees down is released,
// so that no key stays held for a lost key-up.
void release_keys_no_longer_down() {
    int count = 0;
    const Uint8* state = SDL_GetKeyState(&count);
    std::erase_if(keys_down, [&](int32_t symbol) {
        if (symbol >= 0 && symbol < count && state[symbol]) return false;
        translate_key_up(symbol);
        key_repeat_up(symbol);
        return true;
    });
}

void press(int32_t symbol, uint32_t unicode) {
    translate_key_down(symbol, unicode);
    key_repeat_down(symbol, unicode, platform::ticks_ms());
}

void release(int32_t symbol) {
    translate_key_up(symbol);
    key_repeat_up(symbol);
}

}  // namespace

std::atomic<uint32_t> window_resize_request{0};

void start_key_events() {
    // The runtime repeats keys itself (repeat.cpp); SDL's own repeat stays off.
    SDL_EnableKeyRepeat(0, 0);
    set_key_repeat(500, 30);
    key_repeat_on = true;
    SDL_EnableUNICODE(1);
}

bool take_window_events(EventPass pass) {
    if (pass == EventPass::on_input) {
        // Input that brings no event (the X server's repeat of a held key, which
        // SDL drops) costs no more: the focus and lock-key checks ask the X
        // server, and wait for the regular pass.
        SDL_PumpEvents();
        SDL_Event e;
        if (SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_ALLEVENTS) <= 0) return true;
    }
    Uint8 app = SDL_GetAppState();
    turn_key_repeat((app & SDL_APPINPUTFOCUS) && (app & SDL_APPACTIVE));
    sync_lock_keys(false);
    SDL_Event e;
    int32_t taken = 0;
    while (SDL_PollEvent(&e)) {
        ++taken;
        const bool key_event = e.type == SDL_KEYDOWN || e.type == SDL_KEYUP;
        const int32_t symbol = key_event ? int32_t(e.key.keysym.sym) : 0;
        switch (e.type) {
            case SDL_KEYDOWN:
                press(symbol, e.key.keysym.unicode);
                if (std::find(keys_down.begin(), keys_down.end(), symbol) == keys_down.end())
                    keys_down.push_back(symbol);
                break;
            case SDL_KEYUP:
                release(symbol);
                std::erase(keys_down, symbol);
                break;
            case SDL_VIDEORESIZE:
                if (e.resize.w > 0 && e.resize.h > 0 && e.resize.w < 0x10000 && e.resize.h < 0x10000)
                    window_resize_request.store(uint32_t(e.resize.w) << 16 | uint32_t(e.resize.h));
                break;
            case SDL_QUIT:
                return false;
            default: {
                // The pad's keys are not SDL's: a flood's re-sync leaves them be.
                SDL_Event keys[4];
                for (int32_t i = 0, n = gamepad_key_events(e, keys); i < n; ++i) {
                    if (keys[i].type == SDL_KEYDOWN) press(keys[i].key.keysym.sym, keys[i].key.keysym.unicode);
                    else release(keys[i].key.keysym.sym);
                }
                break;
            }
        }
    }
    if (taken >= events_near_full_queue) release_keys_no_longer_down();
    int32_t symbol = 0;
    uint32_t unicode = 0;
    if (key_repeat_due(platform::ticks_ms(), symbol, unicode)) translate_key_down(symbol, unicode);
    return true;
}

}  // namespace rt
