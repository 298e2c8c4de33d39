// The key state: the held-key list behind key_down, the typed-key buffer behind
// inkey, and the key-hit ring and scan-code queue kept for other services.
//
// The display thread presses and releases keys; the program thread asks. The
// typed-key buffer is a single-producer, single-consumer ring published through
// its head and tail offsets; the held-key list may move when it grows, so its
// changes and searches take `held_lock`, which also guards the two rings that
// only key changes write.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <mutex>
#include <vector>

#include "runtime/core/core.h"
#include "runtime/input/input.h"
#include "runtime/input/input_internal.h"
#include "runtime/platform/wait.h"
#include "runtime/values/values.h"

namespace rt {

std::atomic<int32_t> mode_toggle_count{0};

namespace {

struct HeldKey {
    int32_t code;
    int32_t symbol;
};

std::mutex held_lock;
std::vector<HeldKey> held;

std::array<KeyHit, key_hit_size> key_hits;
uint32_t key_hit_write = 0, key_hit_read = 0;

std::array<uint8_t, scan_queue_size> scan_queue;
uint32_t scan_write = 0, scan_read = 0;
int32_t last_scan = -1;

// The 64-byte keyboard data area. Head and tail hold byte offsets into the area
// (30..60); the display thread owns the tail, the program thread the head.
struct KeyboardArea {
    uint8_t reserved[26];
    std::atomic<uint16_t> head;
    std::atomic<uint16_t> tail;
    uint8_t ring[32];
    uint8_t reserved_end[2];
};
static_assert(offsetof(KeyboardArea, head) == 26 && offsetof(KeyboardArea, tail) == 28);
static_assert(offsetof(KeyboardArea, ring) == 30 && sizeof(KeyboardArea) == 64);
static_assert(std::atomic<uint16_t>::is_always_lock_free);

constexpr uint16_t ring_first = 30, ring_end = 62;
KeyboardArea area{{}, {ring_first}, {ring_first}, {}, {}};
// Counts the entries put in the buffer, for a program thread that sleeps until one comes.
std::atomic<int32_t> typed_key_signal{0};

uint16_t next_offset(uint16_t offset) {
    return offset + 2 == ring_end ? ring_first : uint16_t(offset + 2);
}

// Display thread: false when the buffer is full and the key is dropped.
bool put_typed_key(uint8_t character, uint8_t scan) {
    const uint16_t tail = area.tail.load(std::memory_order_relaxed);
    const uint16_t next = next_offset(tail);
    if (next == area.head.load(std::memory_order_acquire)) return false;
    area.ring[tail - ring_first] = character;
    area.ring[tail - ring_first + 1] = scan;
    area.tail.store(next, std::memory_order_release);
    typed_key_signal.fetch_add(1, std::memory_order_release);
    platform::wake_word_waiters(typed_key_signal);
    return true;
}

// The modifier keys held now, from the held-key list.
struct Modifiers {
    bool left_shift = false, right_shift = false;
    bool left_ctrl = false, right_ctrl = false;
    bool left_alt = false, right_alt = false;
    bool shift() const { return left_shift || right_shift; }
    bool ctrl() const { return left_ctrl || right_ctrl; }
    bool alt() const { return left_alt || right_alt; }
};

// The following helpers run with held_lock taken.
std::vector<HeldKey>::iterator find_held(int32_t code) {
    return std::find_if(held.begin(), held.end(), [code](const HeldKey& k) { return k.code == code; });
}

bool is_held(int32_t code) { return find_held(code) != held.end(); }

Modifiers held_modifiers() {
    Modifiers m;
    m.left_shift = is_held(code_left_shift);
    m.right_shift = is_held(code_right_shift);
    m.left_ctrl = is_held(code_left_ctrl);
    m.right_ctrl = is_held(code_right_ctrl);
    m.left_alt = is_held(code_left_alt);
    m.right_alt = is_held(code_right_alt);
    return m;
}

void store_key_hit(int32_t code, bool keypad) {
    key_hits[key_hit_write] = {code, keypad};
    key_hit_write = (key_hit_write + 1) % key_hit_size;
    if (key_hit_write == key_hit_read) key_hit_read = (key_hit_read + 1) % key_hit_size;
}

void queue_scan_code(uint8_t scan) {
    if (scan == last_scan) return;
    last_scan = scan;
    scan_queue[scan_write] = scan;
    scan_write = (scan_write + 1) % scan_queue_size;
    if (scan_write == scan_read) scan_read = (scan_read + 1) % scan_queue_size;
}

// Keypad key 0..15 of a keypad code, or -1.
int32_t keypad_key(int32_t code) {
    if (code >= code_pad_typing && code <= code_pad_typing + 15) return code - code_pad_typing;
    if (code >= code_pad_navigation && code <= code_pad_navigation + 10) return code - code_pad_navigation;
    return -1;
}

// The table row that types `code`, or -1 for codes that type nothing.
int32_t table_row(int32_t code) {
    if (code == code_zero) return 0;
    if (code >= 0 && code <= 0xFF) return code;
    if (code >= 0x100 && code <= 0xFFFF) return 256 + code / 256;
    const int32_t k = keypad_key(code);
    return k < 0 ? -1 : 512 + k;
}

// Hardware scan code of a key, 0 when it has none.
uint8_t scan_code_of(int32_t code) {
    const int32_t row = table_row(code);
    if (row >= 0) return uint8_t(key_table[row][key_col_scan]);
    switch (code) {
        case code_right_shift: return 0x36;
        case code_left_shift: return 0x2A;
        case code_right_ctrl:
        case code_left_ctrl: return 0x1D;
        case code_right_alt:
        case code_left_alt: return 0x38;
        case code_num_lock: return 0x45;
        case code_caps_lock: return 0x3A;
        case code_scroll_lock: return 0x46;
        default: return 0;
    }
}

// What the key-hit ring stores for a press: keypad codes as the character or
// navigation code they stand for.
KeyHit key_hit_value(int32_t code) {
    constexpr int32_t pad_symbols[6] = {'.', '/', '*', '-', '+', 13};
    constexpr int32_t pad_navigation[11] = {0x5200, 0x4F00, 0x5000, 0x5100, 0x4B00, 0x4C00,
                                            0x4D00, 0x4700, 0x4800, 0x4900, 0x5300};
    if (code >= code_pad_typing && code <= code_pad_typing + 9) return {'0' + code - code_pad_typing, true};
    if (code >= code_pad_typing + 10 && code <= code_pad_typing + 15)
        return {pad_symbols[code - code_pad_typing - 10], true};
    if (code >= code_pad_navigation && code <= code_pad_navigation + 10)
        return {pad_navigation[code - code_pad_navigation], true};
    return {code, false};
}

// A table word as a typed entry: a high byte names an extended key, 0 types nothing.
void type_word(int32_t word, int32_t scan) {
    if (word == 0) return;
    if (word > 0xFF)
        put_typed_key(0, uint8_t(word / 256));
    else
        put_typed_key(uint8_t(word), uint8_t(scan));
}

void type_key(int32_t code, const Modifiers& m, bool with_unicode) {
    const int32_t row_index = table_row(code);
    if (row_index < 0) return;  // modifiers, lock keys and other keys type nothing
    const auto& row = key_table[row_index];
    const int32_t scan = row[key_col_scan];
    int32_t column;
    if (row_index < 256) {
        if (scan == 0) {
            put_typed_key(uint8_t(row_index), 0);
            return;
        }
        // AltGr arrives as left Ctrl + right Alt and types the plain character.
        const bool alt_gr = with_unicode && m.left_ctrl && m.right_alt && !m.left_alt && !m.right_ctrl;
        column = alt_gr      ? key_col_normal
                 : m.alt()   ? key_col_alt
                 : m.ctrl()  ? key_col_ctrl
                 : m.shift() ? key_col_shift
                             : key_col_normal;
    } else {
        if (row_index < 512 && row[key_col_normal] == 0) {
            put_typed_key(0, uint8_t(code / 256));
            return;
        }
        const bool pad_digit = code >= code_pad_typing && code <= code_pad_typing + 10;
        column = m.alt()     ? key_col_alt
                 : m.ctrl()  ? key_col_ctrl
                 : pad_digit ? (m.shift() ? key_col_pad_shift : key_col_pad)
                 : m.shift() ? key_col_shift
                             : key_col_normal;
    }
    type_word(row[column], scan);
}

// The one equivalent a code has: the keypad key typing the same character, or
// the keypad key acting as the same navigation key.
int32_t key_equivalent(int32_t code) {
    switch (code) {
        case 13: return code_pad_typing + 15;
        case 42: return code_pad_typing + 12;
        case 43: return code_pad_typing + 14;
        case 45: return code_pad_typing + 13;
        case 46: return code_pad_typing + 10;
        case 47: return code_pad_typing + 11;
        case 0x4700: return code_pad_navigation + 7;
        case 0x4800: return code_pad_navigation + 8;
        case 0x4900: return code_pad_navigation + 9;
        case 0x4B00: return code_pad_navigation + 4;
        case 0x4C00: return code_pad_navigation + 5;
        case 0x4D00: return code_pad_navigation + 6;
        case 0x4F00: return code_pad_navigation + 1;
        case 0x5000: return code_pad_navigation + 2;
        case 0x5100: return code_pad_navigation + 3;
        case 0x5200: return code_pad_navigation + 0;
        case 0x5300: return code_pad_navigation + 10;
        default: return code >= '0' && code <= '9' ? code_pad_typing + code - '0' : 0;
    }
}

}  // namespace

void input_init() {
    reset_translation();
    std::lock_guard lock(held_lock);
    held.clear();
    held.reserve(16);
    key_hit_write = key_hit_read = 0;
    scan_write = scan_read = 0;
    last_scan = -1;
    area.head.store(ring_first, std::memory_order_release);
    area.tail.store(ring_first, std::memory_order_release);
}

void press_key(int32_t code, int32_t symbol, bool with_unicode) {
    if (code == 0) code = code_zero;
    Modifiers m;
    {
        std::lock_guard lock(held_lock);
        // A repeated press of a held key leaves the list alone but still types.
        if (!is_held(code)) held.push_back({code, symbol});
        if (const uint8_t scan = scan_code_of(code)) queue_scan_code(scan);
        m = held_modifiers();
    }

    // Requests: a key that makes or ends one types nothing.
    if (code == code_break || (m.ctrl() && (code == code_scroll_lock || code == code_ctrl_break))) {
        end_request.store(1, std::memory_order_release);
        return;
    }
    if (code == code_pause || (m.ctrl() && code == code_num_lock)) {
        pause_bits.fetch_or(paused_by_key, std::memory_order_acq_rel);
        attention_flag.store(1, std::memory_order_release);
        return;
    }
    if (pause_bits.load(std::memory_order_acquire) & paused_by_key) {
        pause_bits.fetch_and(uint8_t(~paused_by_key), std::memory_order_acq_rel);
        return;
    }
    if (m.alt() && code == 13) {
        mode_toggle_count.fetch_add(1, std::memory_order_acq_rel);
        return;
    }

    {
        const KeyHit hit = key_hit_value(code);
        std::lock_guard lock(held_lock);
        store_key_hit(hit.code, hit.keypad);
    }
    type_key(code, m, with_unicode);
}

void key_press(int32_t code) { press_key(code, no_symbol, false); }

void key_release(int32_t code) {
    if (code == 0) code = code_zero;
    std::lock_guard lock(held_lock);
    if (auto it = find_held(code); it != held.end()) held.erase(it);
    const KeyHit hit = key_hit_value(code);
    store_key_hit(-hit.code, hit.keypad);
    if (const uint8_t scan = scan_code_of(code)) queue_scan_code(uint8_t(scan + 128));
}

void release_by_symbol(int32_t symbol) {
    // Every code the key produced goes up with it, so no code stays stuck.
    for (;;) {
        int32_t code;
        {
            std::lock_guard lock(held_lock);
            auto it = std::find_if(held.begin(), held.end(), [symbol](const HeldKey& k) { return k.symbol == symbol; });
            if (it == held.end()) return;
            code = it->code;
        }
        key_release(code);
    }
}

bool key_held(int32_t code) {
    std::lock_guard lock(held_lock);
    return is_held(code);
}

int32_t held_key_count() {
    std::lock_guard lock(held_lock);
    return int32_t(held.size());
}

int32_t key_down(int32_t code) {
    if (error_pending()) return 0;
    if (code <= 0) {
        raise_error(5);
        return 0;
    }
    const int32_t equivalent = key_equivalent(code);
    std::lock_guard lock(held_lock);
    return is_held(code) || (equivalent != 0 && is_held(equivalent)) ? -1 : 0;
}

bool take_typed_key(uint8_t& character, uint8_t& scan) {
    const uint16_t head = area.head.load(std::memory_order_relaxed);
    if (head == area.tail.load(std::memory_order_acquire)) return false;
    character = area.ring[head - ring_first];
    scan = area.ring[head - ring_first + 1];
    area.head.store(next_offset(head), std::memory_order_release);
    return true;
}

StrVal* inkey() {
    if (error_pending()) return new_string(0, true);
    platform::poll_wait(0);
    uint8_t character, scan;
    if (!take_typed_key(character, scan)) return new_string(0, true);
    const bool extended = character == 0 && scan != 0;
    StrVal* key = new_string(extended ? 2 : 1, true);
    key->text[0] = character;
    if (extended) key->text[1] = scan;
    return key;
}

void wait_for_typed_key(uint32_t ms) {
    const int32_t seen = typed_key_signal.load(std::memory_order_acquire);
    if (typed_key_count() > 0) return;
    platform::wait_on_word(typed_key_signal, seen, ms);
}

int32_t typed_key_count() {
    const int32_t head = area.head.load(std::memory_order_acquire);
    const int32_t tail = area.tail.load(std::memory_order_acquire);
    return (tail - head + 32) % 32 / 2;
}

bool take_key_hit(KeyHit& hit) {
    std::lock_guard lock(held_lock);
    if (key_hit_read == key_hit_write) return false;
    hit = key_hits[key_hit_read];
    key_hit_read = (key_hit_read + 1) % key_hit_size;
    return true;
}

bool take_scan_code(uint8_t& scan) {
    std::lock_guard lock(held_lock);
    if (scan_read == scan_write) return false;
    scan = scan_queue[scan_read];
    scan_read = (scan_read + 1) % scan_queue_size;
    return true;
}

}  // namespace rt
