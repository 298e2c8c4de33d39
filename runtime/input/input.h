// Keyboard input: key codes, translation of SDL key events, the held-key list
// behind key_down and the typed-key buffer behind inkey.
//
// key_press, key_release, release_by_symbol and the translation run on the
// display thread; key_down and inkey on the program thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

union SDL_Event;

namespace rt {

struct StrVal;

// Key codes the game tests.
constexpr int32_t key_left = 0x4B00;    // 19200
constexpr int32_t key_right = 0x4D00;   // 19712

// 528 rows of 10: base, scan code, normal, Shift, Ctrl, Alt, keypad digit, 0, 0,
// keypad digit with Shift.
extern const std::array<std::array<int32_t, 10>, 528> key_table;
// Unicode code point of each code page 437 byte.
extern const std::array<uint16_t, 256> cp437_to_unicode;
// The code page 437 byte of a code point, or -1.
int32_t unicode_to_cp437(uint32_t code_point);

void input_init();

// -1 when held, 0 when not (error 5 for a code of 0 or below).
int32_t key_down(int32_t code);
// Takes one typed key: a temporary of length 0, 1 or 2.
StrVal* inkey();
// Takes the oldest entry of the typed-key buffer; false when it is empty.
bool take_typed_key(uint8_t& character, uint8_t& scan);

// A key goes down or up by its key code (display thread).
void key_press(int32_t code);
void key_release(int32_t code);
// Releases every held code that the key with this SDL symbol produced.
void release_by_symbol(int32_t symbol);

// Translation of one SDL key event (symbol, Unicode value).
void translate_key_down(int32_t symbol, uint32_t unicode);
void translate_key_up(int32_t symbol);
// Brings the held lock-key codes in line with the system's toggles and
// (at start-up) the held modifiers.
void sync_lock_keys(bool with_modifiers);

// Key repeat, done here rather than by SDL so that it is the same over every
// SDL 1.2 (display thread). The last key pressed, unless a modifier or lock key,
// repeats while held: after `delay` ms, then every `interval` ms, at most once
// per call of key_repeat_due. A delay of 0 turns repeat off.
void set_key_repeat(uint32_t delay, uint32_t interval);
void key_repeat_down(int32_t symbol, uint32_t unicode, uint32_t now);
void key_repeat_up(int32_t symbol);
// True when the held key repeats now: its symbol and Unicode value as pressed.
bool key_repeat_due(uint32_t now, int32_t& symbol, uint32_t& unicode);

// Alt+Enter presses not yet served by the display update, which takes them.
extern std::atomic<int32_t> mode_toggle_count;

// The window's events (display thread): start_key_events once SDL is up;
// take_window_events takes every event waiting, false when the window was
// closed: on the display loop's regular pass, and as soon as the window system
// has input (a pass that finds no event then does nothing).
enum class EventPass { regular, on_input };
void start_key_events();
bool take_window_events(EventPass pass);

// The size a resizable window was given by the player or the window manager,
// as width << 16 | height, until the display update takes it (0: none).
extern std::atomic<uint32_t> window_resize_request;

// A gamepad as keys (display thread): the first joystick, opened at start;
// gamepad_key_events turns one of its events into the key events of the keys
// it stands for (at most four; 0 for an event that is no such key).
void open_gamepad();
int32_t gamepad_key_events(const SDL_Event& e, SDL_Event out[4]);

// Codes in the held-key list (lock toggles included).
int32_t held_key_count();

// Entries waiting in the typed-key buffer (0..15).
int32_t typed_key_count();
// Returns once an entry waits in the typed-key buffer, or after `ms`
// milliseconds: the sleep of a loop that waits for a key (program thread).
void wait_for_typed_key(uint32_t ms);

}  // namespace rt
