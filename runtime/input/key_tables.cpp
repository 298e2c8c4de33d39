// The constant keyboard data: the key translation table (PC BIOS key words for
// scan-code set 1) and code page 437.
#include "runtime/input/input.h"
#include "runtime/input/input_internal.h"

namespace rt {
namespace {

using Row = std::array<int32_t, 10>;
using Table = std::array<Row, 528>;

// A key of the main block that types characters: its scan code, what it types
// without and with Shift (0: nothing of its own), and the BIOS words typed with
// Ctrl and Alt. A Shift word other than the character itself (Tab's back-tab) is
// given separately.
struct CharKey {
    uint8_t scan;
    uint8_t normal, shifted;
    int32_t ctrl, alt;
    int32_t shift_word = 0;
};

constexpr CharKey char_keys[] = {
    {0x01, 0x1B, 0, 0x1B, 0x0100},
    {0x02, '1', '!', 0, 0x7800},
    {0x03, '2', '@', 0x0300, 0x7900},
    {0x04, '3', '#', 0, 0x7A00},
    {0x05, '4', '$', 0, 0x7B00},
    {0x06, '5', '%', 0, 0x7C00},
    {0x07, '6', '^', 0x1E, 0x7D00},
    {0x08, '7', '&', 0, 0x7E00},
    {0x09, '8', '*', 0, 0x7F00},
    {0x0A, '9', '(', 0, 0x8000},
    {0x0B, '0', ')', 0, 0x8100},
    {0x0C, '-', '_', 0x1F, 0x8200},
    {0x0D, '=', '+', 0, 0x8300},
    {0x0E, 0x08, 0, 0x7F, 0x0E00},
    {0x0F, 0x09, 0, 0x9400, 0xA500, 0x0F00},
    {0x1A, '[', '{', 0x1B, 0x1A00},
    {0x1B, ']', '}', 0x1D, 0x1B00},
    {0x1C, 0x0D, 0, 0x0A, 0},
    {0x27, ';', ':', 0, 0x2700},
    {0x28, '\'', '"', 0, 0x2800},
    {0x29, '`', '~', 0, 0x2900},
    {0x2B, '\\', '|', 0x1C, 0x2B00},
    {0x33, ',', '<', 0, 0x3300},
    {0x34, '.', '>', 0, 0x3400},
    {0x35, '/', '?', 0, 0x3500},
    {0x39, ' ', 0, ' ', 0},
};

// The letter rows of the keyboard and the scan code of their first key.
struct LetterRow {
    uint8_t first_scan;
    const char* letters;
};
constexpr LetterRow letter_rows[] = {{0x10, "qwertyuiop"}, {0x1E, "asdfghjkl"}, {0x2C, "zxcvbnm"}};

// An extended key: its code's high byte, hardware scan code and the words typed
// with no modifier, Shift, Ctrl and Alt.
struct ExtKey {
    uint8_t code, scan;
    int32_t normal, shift, ctrl, alt;
};

constexpr ExtKey ext_keys[] = {
    {0x85, 0x57, 0x8500, 0x8700, 0x8900, 0x8B00},  // F11
    {0x86, 0x58, 0x8600, 0x8800, 0x8A00, 0x8C00},  // F12
    {0x47, 0x47, 0x4700, 0x4700, 0x7700, 0x9700},  // Home
    {0x48, 0x48, 0x4800, 0x4800, 0x8D00, 0x9800},  // Up
    {0x49, 0x49, 0x4900, 0x4900, 0x8400, 0x9900},  // Page Up
    {0x4B, 0x4B, 0x4B00, 0x4B00, 0x7300, 0x9B00},  // Left
    {0x4C, 0x4C, 0x4C00, 0x4C00, 0x8F00, 0},       // centre
    {0x4D, 0x4D, 0x4D00, 0x4D00, 0x7400, 0x9D00},  // Right
    {0x4F, 0x4F, 0x4F00, 0x4F00, 0x7500, 0x9F00},  // End
    {0x50, 0x50, 0x5000, 0x5000, 0x9100, 0xA000},  // Down
    {0x51, 0x51, 0x5100, 0x5100, 0x7600, 0xA100},  // Page Down
    {0x52, 0x52, 0x5200, 0x5200, 0x9200, 0xA200},  // Insert
    {0x53, 0x53, 0x5300, 0x5300, 0x9300, 0xA300},  // Delete
};

// Keypad key k (0-9, '.', '/', '*', '-', '+', Enter): scan code, the word with
// Num Lock off, the character it types, and the words with Ctrl and Alt.
struct PadKey {
    uint8_t scan;
    int32_t navigation;
    uint8_t character;
    int32_t ctrl, alt;
};

constexpr PadKey pad_keys[16] = {
    {0x52, 0x5200, '0', 0x9200, 0}, {0x4F, 0x4F00, '1', 0x7500, 0}, {0x50, 0x5000, '2', 0x9100, 0},
    {0x51, 0x5100, '3', 0x7600, 0}, {0x4B, 0x4B00, '4', 0x7300, 0}, {0x4C, 0x4C00, '5', 0x8F00, 0},
    {0x4D, 0x4D00, '6', 0x7400, 0}, {0x47, 0x4700, '7', 0x7700, 0}, {0x48, 0x4800, '8', 0x8D00, 0},
    {0x49, 0x4900, '9', 0x8400, 0}, {0x53, 0x5300, '.', 0x9300, 0},
    {0x35, 0, '/', 0x9500, 0xA400}, {0x37, 0, '*', 0x9600, 0x3700}, {0x4A, 0, '-', 0x8E00, 0x4A00},
    {0x4E, 0, '+', 0x9000, 0x4E00}, {0x1C, 0, 0x0D, 0x0A, 0xA600},
};

constexpr void set_char_row(Table& t, uint8_t ch, uint8_t base, uint8_t scan, int32_t shift_word,
                            int32_t ctrl, int32_t alt) {
    // The character arrives with its case resolved, so Shift types it unchanged.
    t[ch] = {base, scan, ch, shift_word ? shift_word : ch, ctrl, alt, 0, 0, 0, 0};
}

constexpr Table make_key_table() {
    Table t{};
    // Characters no key types by itself (controls, 127 and above) keep scan 0.
    for (int c = 0; c < 256; ++c) t[c][key_col_base] = c;
    for (const CharKey& k : char_keys) {
        set_char_row(t, k.normal, k.normal, k.scan, k.shift_word, k.ctrl, k.alt);
        if (k.shifted) set_char_row(t, k.shifted, k.normal, k.scan, 0, k.ctrl, k.alt);
    }
    for (const LetterRow& r : letter_rows) {
        for (int i = 0; r.letters[i]; ++i) {
            const uint8_t lower = uint8_t(r.letters[i]), upper = uint8_t(lower - 32);
            const uint8_t scan = uint8_t(r.first_scan + i);
            set_char_row(t, lower, lower, scan, 0, lower & 0x1F, scan << 8);
            set_char_row(t, upper, lower, scan, 0, lower & 0x1F, scan << 8);
        }
    }

    // Extended rows: any code names its scan code; only the keys below type
    // words of their own, the others type (0, scan code).
    for (int s = 0; s < 256; ++s) {
        Row& row = t[256 + s];
        row[key_col_base] = s;
        row[key_col_scan] = s <= 0x58 ? s : 0;
    }
    for (int f = 0; f < 10; ++f) {
        const int s = 0x3B + f;
        t[256 + s] = {s, s, s << 8, (0x54 + f) << 8, (0x5E + f) << 8, (0x68 + f) << 8, 0, 0, 0, 0};
    }
    for (const ExtKey& k : ext_keys)
        t[256 + k.code] = {k.code, k.scan, k.normal, k.shift, k.ctrl, k.alt, 0, 0, 0, 0};

    // Keypad rows. Keys that type digits swap their words with Num Lock: the
    // digit column holds the character, its Shift column the navigation word.
    for (int k = 0; k < 16; ++k) {
        const PadKey& p = pad_keys[k];
        const bool digit_key = p.navigation != 0;
        const int32_t normal = digit_key ? p.navigation : p.character;
        t[512 + k] = {0x200 + k, p.scan,         normal, p.character, p.ctrl, p.alt,
                      digit_key ? p.character : 0, 0, 0, digit_key ? p.navigation : 0};
    }
    return t;
}

}  // namespace

constexpr std::array<std::array<int32_t, 10>, 528> key_table = make_key_table();

constexpr std::array<uint16_t, 256> cp437_to_unicode = [] {
    std::array<uint16_t, 256> t{};
    for (int i = 0; i < 128; ++i) t[i] = uint16_t(i);
    constexpr uint16_t upper[128] = {
        0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 0x80
        0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 0x88
        0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 0x90
        0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,  // 0x98
        0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // 0xA0
        0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // 0xA8
        0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // 0xB0
        0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // 0xB8
        0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // 0xC0
        0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // 0xC8
        0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // 0xD0
        0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // 0xD8
        0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // 0xE0
        0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  // 0xE8
        0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // 0xF0
        0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  // 0xF8
    };
    for (int i = 0; i < 128; ++i) t[128 + i] = upper[i];
    return t;
}();

int32_t unicode_to_cp437(uint32_t code_point) {
    if (code_point < 128) return int32_t(code_point);
    for (int i = 128; i < 256; ++i)
        if (cp437_to_unicode[i] == code_point) return i;
    return -1;
}

}  // namespace rt
