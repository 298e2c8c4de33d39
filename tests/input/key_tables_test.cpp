// The constant keyboard data: the key translation table and code page 437.
#include <gtest/gtest.h>

#include "runtime/input/input.h"
#include "runtime/input/input_internal.h"

namespace rt {
namespace {

TEST(KeyTable, TellingRowsComeOutExactly) {
    struct Expected {
        int row;
        std::array<int32_t, 6> columns;  // base, scan, normal, Shift, Ctrl, Alt
    };
    const Expected rows[] = {
        {32, {0x20, 0x39, 0x20, 0x20, 0x20, 0}},
        {81, {0x71, 0x10, 0x51, 0x51, 0x11, 0x1000}},
        {112, {0x70, 0x19, 0x70, 0x70, 0x10, 0x1900}},
        {13, {0x0D, 0x1C, 0x0D, 0x0D, 0x0A, 0}},
        {8, {0x08, 0x0E, 0x08, 0x08, 0x7F, 0x0E00}},
        {256 + 0x4B, {0x4B, 0x4B, 0x4B00, 0x4B00, 0x7300, 0x9B00}},
        {256 + 0x4D, {0x4D, 0x4D, 0x4D00, 0x4D00, 0x7400, 0x9D00}},
        {256 + 0x3B, {0x3B, 0x3B, 0x3B00, 0x5400, 0x5E00, 0x6800}},
    };
    for (const Expected& e : rows) {
        for (int c = 0; c < 6; ++c) EXPECT_EQ(key_table[e.row][c], e.columns[c]) << "row " << e.row << " column " << c;
    }
}

TEST(KeyTable, CharacterRowsFollowTheKeyboard) {
    // Every printable character has a key; both characters of a key share its row data.
    for (int c = 32; c < 127; ++c) {
        const auto& row = key_table[c];
        EXPECT_NE(row[key_col_scan], 0) << "character " << c;
        EXPECT_EQ(row[key_col_normal], c);
        EXPECT_EQ(row[key_col_shift], c);
        const auto& base_row = key_table[row[key_col_base]];
        EXPECT_EQ(base_row[key_col_scan], row[key_col_scan]) << "character " << c;
        EXPECT_EQ(base_row[key_col_alt], row[key_col_alt]) << "character " << c;
    }
    // The QWERTY letter rows: Ctrl types the control character, Alt the scan code.
    const std::pair<char, int> letters[] = {{'q', 0x10}, {'p', 0x19}, {'a', 0x1E}, {'l', 0x26},
                                            {'z', 0x2C}, {'m', 0x32}};
    for (auto [letter, scan] : letters) {
        EXPECT_EQ(key_table[letter][key_col_scan], scan);
        EXPECT_EQ(key_table[letter - 32][key_col_scan], scan);
        EXPECT_EQ(key_table[letter][key_col_ctrl], letter - 96);
        EXPECT_EQ(key_table[letter][key_col_alt], scan << 8);
    }
    EXPECT_EQ(key_table['2'][key_col_ctrl], 0x0300);  // Ctrl+2 types NUL
    EXPECT_EQ(key_table['!'][key_col_alt], 0x7800);
    EXPECT_EQ(key_table[9][key_col_shift], 0x0F00);  // back-tab
    EXPECT_EQ(key_table[27][key_col_scan], 0x01);
    // Characters without a key of their own type themselves.
    for (int c : {0, 1, 26, 127, 128, 200, 255}) EXPECT_EQ(key_table[c][key_col_scan], 0) << c;
}

TEST(KeyTable, ExtendedAndKeypadRows) {
    const auto& f10 = key_table[256 + 0x44];
    EXPECT_EQ(f10[key_col_normal], 0x4400);
    EXPECT_EQ(f10[key_col_shift], 0x5D00);
    EXPECT_EQ(f10[key_col_ctrl], 0x6700);
    EXPECT_EQ(f10[key_col_alt], 0x7100);
    EXPECT_EQ(key_table[256 + 0x86][key_col_normal], 0x8600);  // F12
    EXPECT_EQ(key_table[256 + 0x86][key_col_scan], 0x58);
    EXPECT_EQ(key_table[256 + 0x10][key_col_normal], 0);  // Alt+Q's word names no key of its own

    // Keypad 0-9 and '.': Num Lock off types the navigation word of the grey key
    // with the same scan code, Num Lock on the character.
    const char pad_chars[] = "0123456789.";
    for (int k = 0; k <= 10; ++k) {
        const auto& row = key_table[512 + k];
        EXPECT_EQ(row[key_col_base], 0x200 + k);
        EXPECT_EQ(row[key_col_normal], row[key_col_scan] << 8) << "keypad " << k;
        EXPECT_EQ(row[key_col_normal], key_table[256 + row[key_col_scan]][key_col_normal]) << "keypad " << k;
        EXPECT_EQ(row[key_col_pad], pad_chars[k]);
        EXPECT_EQ(row[key_col_pad_shift], row[key_col_normal]);
        EXPECT_EQ(row[key_col_alt], 0) << "Alt with a keypad digit is Alt entry";
    }
    EXPECT_EQ(key_table[512 + 4][key_col_normal], key_left);
    EXPECT_EQ(key_table[512 + 15][key_col_normal], 13);
    EXPECT_EQ(key_table[512 + 11][key_col_normal], '/');
}

TEST(CodePage437, MapsBothWays) {
    for (int i = 0; i < 256; ++i) EXPECT_EQ(unicode_to_cp437(cp437_to_unicode[i]), i) << i;
    EXPECT_EQ(cp437_to_unicode[0x82], 0x00E9);  // é
    EXPECT_EQ(cp437_to_unicode[0xE1], 0x00DF);  // ß
    EXPECT_EQ(cp437_to_unicode[0xC4], 0x2500);  // box line
    EXPECT_EQ(cp437_to_unicode[0xFF], 0x00A0);  // no-break space
    EXPECT_EQ(unicode_to_cp437('A'), 'A');
    EXPECT_EQ(unicode_to_cp437(0x20AC), -1);  // euro sign
    EXPECT_EQ(unicode_to_cp437(0x00A4), -1);  // currency sign
}

}  // namespace
}  // namespace rt
