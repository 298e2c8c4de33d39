// Keyboard internals shared by the input sources and their tests.
#pragma once

#include <cstdint>

namespace rt {

// Columns of key_table.
enum : int {
    key_col_base = 0,
    key_col_scan = 1,
    key_col_normal = 2,
    key_col_shift = 3,
    key_col_ctrl = 4,
    key_col_alt = 5,
    key_col_pad = 6,
    key_col_pad_shift = 9,
};

// Key codes of keys named by their SDL symbol, and the keypad ranges.
constexpr int32_t symbol_base = 100000;
constexpr int32_t code_pause = symbol_base + 19;
constexpr int32_t code_num_lock = symbol_base + 300;
constexpr int32_t code_caps_lock = symbol_base + 301;
constexpr int32_t code_scroll_lock = symbol_base + 302;
constexpr int32_t code_right_shift = symbol_base + 303;
constexpr int32_t code_left_shift = symbol_base + 304;
constexpr int32_t code_right_ctrl = symbol_base + 305;
constexpr int32_t code_left_ctrl = symbol_base + 306;
constexpr int32_t code_right_alt = symbol_base + 307;
constexpr int32_t code_left_alt = symbol_base + 308;
constexpr int32_t code_break = symbol_base + 318;
constexpr int32_t code_ctrl_break = symbol_base + 296;  // F15 on some keyboards
constexpr int32_t code_pad_typing = symbol_base + 256;  // + keypad key 0..15
constexpr int32_t code_pad_navigation = 200000;         // + keypad key 0..10
constexpr int32_t code_scroll_lock_on = 200011;
constexpr int32_t code_insert_on = 200012;
constexpr int32_t code_zero = 200013;                   // code 0 in the held-key list
constexpr int32_t code_unicode_flag = 0x40000000;

// Held-list entries that no key event produced (lock toggles read from the
// system, keys pressed by code) carry this symbol, so no key-up releases them.
constexpr int32_t no_symbol = -1;

// key_press with the symbol that produced the code and whether it came with a
// Unicode value (the AltGr rule needs to know).
void press_key(int32_t code, int32_t symbol, bool with_unicode);

// Forgets a half-typed Alt keypad entry (part of input_init).
void reset_translation();

// True when `code` is in the held-key list.
bool key_held(int32_t code);

// The key-hit ring: a press stores its value, a release the negation.
struct KeyHit {
    int32_t code = 0;
    bool keypad = false;
};
constexpr uint32_t key_hit_size = 8192;
bool take_key_hit(KeyHit& hit);

// The scan-code queue of the emulated keyboard port.
constexpr uint32_t scan_queue_size = 256;
bool take_scan_code(uint8_t& scan);

}  // namespace rt
