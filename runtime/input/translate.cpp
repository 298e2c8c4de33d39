// Translation of SDL key events into key codes, Alt keypad entry, and the lock
// keys mirrored from the system. Runs on the thread that takes the events.
#include <SDL_keysym.h>

#include "runtime/input/input.h"
#include "runtime/input/input_internal.h"
#include "runtime/platform/keys.h"

namespace rt {
namespace {

bool is_keypad_symbol(int32_t k) { return k >= SDLK_KP0 && k <= SDLK_KP_ENTER; }
bool is_alt_symbol(int32_t k) { return k == SDLK_LALT || k == SDLK_RALT; }

bool ctrl_held() { return key_held(code_left_ctrl) || key_held(code_right_ctrl); }
bool alt_held() { return key_held(code_left_alt) || key_held(code_right_alt); }

// A letter types upper case when Caps Lock and Shift do not cancel out.
bool upper_case() {
    const bool shift = key_held(code_left_shift) || key_held(code_right_shift);
    return key_held(code_caps_lock) != shift;
}

// Alt held while keypad digits are typed: the digits build a character code,
// typed when the Alt key goes up.
struct AltEntry {
    bool active = false;
    uint32_t value = 0;  // unsigned: a long run of digits wraps, only the low byte counts
    int32_t digits = 0;
};
AltEntry alt_entry;

void follow_alt_entry(int32_t k) {
    if (is_alt_symbol(k)) {
        if (!alt_held()) alt_entry = {true, 0, 0};
        return;
    }
    if (!alt_entry.active) return;
    if (k >= SDLK_KP0 && k <= SDLK_KP9) {
        alt_entry.value = alt_entry.value * 10 + uint32_t(k - SDLK_KP0);
        ++alt_entry.digits;
    } else {
        alt_entry.active = false;
    }
}

// The key a Ctrl combination with a Unicode value stands for, or 0.
int32_t ctrl_character(int32_t k, uint32_t u) {
    struct Combination {
        uint32_t u;
        int32_t k;
    };
    constexpr Combination keys[] = {{10, 13}, {27, 27}, {32, 32}, {30, 54}, {27, 91}, {28, 92}, {29, 93}};
    for (const Combination& c : keys)
        if (c.u == u && c.k == k) return k;
    // Backspace, Tab and Enter type control characters of their own: they stay
    // themselves instead of passing for Ctrl+H, Ctrl+I or Ctrl+M.
    if (k == SDLK_BACKSPACE || k == SDLK_TAB || k == SDLK_RETURN) return k;
    if (u >= 1 && u <= 26) return int32_t(u) + (upper_case() ? 64 : 96);
    return 0;
}

// The key code of a typed Unicode character.
int32_t character_code(uint32_t u) {
    if (u < 128) return int32_t(u);
    if (const int32_t c = unicode_to_cp437(u); c >= 0) return c;
    if (u >= 0xFF01 && u <= 0xFF5E) return int32_t(u - 65248);  // full-width forms
    if (u == 0x3000) return 32;                                  // ideographic space
    return int32_t(u) | code_unicode_flag;
}

// The key code of a key event without a Unicode value, or 0 for none.
int32_t symbol_code(int32_t k) {
    if (k == 0) return 0;
    if (k >= SDLK_KP0 && k <= SDLK_KP_PERIOD) return code_pad_navigation + k - SDLK_KP0;
    if (k >= SDLK_KP_DIVIDE && k <= SDLK_KP_ENTER) return symbol_base + k;
    if (k >= SDLK_F1 && k <= SDLK_F10) return (k - 223) * 256;
    if (k == SDLK_F11 || k == SDLK_F12) return (k - 159) * 256;
    switch (k) {
        case SDLK_HOME: return 0x4700;
        case SDLK_UP: return 0x4800;
        case SDLK_PAGEUP: return 0x4900;
        case SDLK_LEFT: return key_left;
        case SDLK_RIGHT: return key_right;
        case SDLK_END: return 0x4F00;
        case SDLK_DOWN: return 0x5000;
        case SDLK_PAGEDOWN: return 0x5100;
        case SDLK_INSERT: return 0x5200;
        case SDLK_DELETE: return 0x5300;
        default: break;
    }
    if (ctrl_held() && ((k >= 32 && k <= 96) || k == 8 || k == 9 || k == 13 || k == 27)) return k;
    if (k >= 'a' && k <= 'z') return upper_case() ? k - 32 : k;
    if (k >= 32 && k <= 127) return 0;
    return symbol_base + k;
}

// Makes the held state of a lock toggle match the system's.
void match_toggle(bool on, int32_t code, int32_t symbol) {
    if (on == key_held(code)) return;
    if (on)
        press_key(code, symbol, false);
    else
        key_release(code);
}

}  // namespace

void reset_translation() { alt_entry = {}; }

void translate_key_down(int32_t symbol, uint32_t unicode) {
    follow_alt_entry(symbol);
    if (unicode == 127 && symbol == SDLK_BACKSPACE) unicode = 8;
    if (unicode == 127 && symbol == SDLK_DELETE) unicode = 0;

    if (unicode != 0 && !is_keypad_symbol(symbol)) {
        int32_t code = ctrl_held() ? ctrl_character(symbol, unicode) : 0;
        if (code == 0) code = character_code(unicode);
        press_key(code, symbol, true);
        if (symbol == 0) key_release(code);  // no key-up will name it
        return;
    }
    if (unicode != 0) {
        press_key(symbol_base + symbol, symbol, false);  // keypad typing its character
        return;
    }
    int32_t code = symbol_code(symbol);
    // X11 reports the Break key (Ctrl+Pause) as Pause with Ctrl held.
    if (code == code_pause && ctrl_held()) code = code_break;
    if (code != 0) press_key(code, symbol, false);
}

void translate_key_up(int32_t symbol) {
    release_by_symbol(symbol);
    if (!is_alt_symbol(symbol) || !alt_entry.active) return;
    alt_entry.active = false;
    if (alt_entry.digits == 0) return;
    const int32_t code = int32_t(alt_entry.value & 255);
    press_key(code, no_symbol, false);
    key_release(code);
}

void sync_lock_keys(bool with_modifiers) {
    const platform::KeyState s = platform::read_key_state();
    match_toggle(s.caps_lock, code_caps_lock, SDLK_CAPSLOCK);
    match_toggle(s.num_lock, code_num_lock, SDLK_NUMLOCK);
    match_toggle(s.scroll_lock, code_scroll_lock_on, no_symbol);
    if (!with_modifiers) return;
    // Modifiers held at start-up go up with their key like any other press.
    const struct {
        bool held;
        int32_t symbol;
    } modifiers[] = {{s.right_shift, SDLK_RSHIFT}, {s.left_shift, SDLK_LSHIFT}, {s.right_ctrl, SDLK_RCTRL},
                     {s.left_ctrl, SDLK_LCTRL},    {s.right_alt, SDLK_RALT},    {s.left_alt, SDLK_LALT}};
    for (const auto& m : modifiers)
        if (m.held && !key_held(symbol_base + m.symbol)) press_key(symbol_base + m.symbol, m.symbol, false);
}

}  // namespace rt
