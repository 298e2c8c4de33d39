// The window's icon and arrow cursor, held in the program's data.
#include "runtime/host/window_art.h"

#include <array>
#include <string_view>

namespace rt {

namespace {

// The arrow: 'X' black, '.' white, blank transparent; hot spot at the tip.
constexpr std::array<std::string_view, 21> arrow_rows{
    "X",           "XX",          "X.X",         "X..X",       "X...X",    "X....X",     "X.....X",
    "X......X",    "X.......X",   "X........X",  "X.........X", "X......XXXXX", "X...X..X", "X..XX..X",
    "X.X  X..X",   "XX   X..X",   "X     X..X",  "      X..X", "       X..X", "       X..X", "        XX",
};

// The icon: a small yacht on the sea, 32 by 32, one character per pixel.
// ' ' sky, '~' sea, 'w' sail, 'r' hull, 'm' mast, 'f' flag.
constexpr std::array<std::string_view, 32> icon_rows{
    "                                ",
    "                                ",
    "               ff               ",
    "               fff              ",
    "               m                ",
    "              wm                ",
    "             wwm                ",
    "            wwwm                ",
    "           wwwwm w              ",
    "          wwwwwm ww             ",
    "         wwwwwwm www            ",
    "        wwwwwwwm wwww           ",
    "       wwwwwwwwm wwwww          ",
    "      wwwwwwwwwm wwwwww         ",
    "     wwwwwwwwwwm wwwwwww        ",
    "    wwwwwwwwwwwm wwwwwwww       ",
    "   wwwwwwwwwwwwm wwwwwwwww      ",
    "  wwwwwwwwwwwwwm wwwwwwwwww     ",
    "               m                ",
    "   rrrrrrrrrrrrrrrrrrrrrrrrrr   ",
    "    rrrrrrrrrrrrrrrrrrrrrrrr    ",
    "     rrrrrrrrrrrrrrrrrrrrrr     ",
    "~~~~~~rrrrrrrrrrrrrrrrrrrr~~~~~~",
    "~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~",
    "~~ ~~~~~~~~ ~~~~~~~~~ ~~~~~~~~ ~",
    "~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~",
    "~~~~~ ~~~~~~~~~ ~~~~~~~~~ ~~~~~~",
    "~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~",
    "~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~",
    "~~~ ~~~~~~~~~ ~~~~~~~~~ ~~~~~~~~",
    "~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~",
    "~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~",
};

constexpr uint8_t icon_index(char c) {
    switch (c) {
        case '~': return 1;
        case 'w': return 2;
        case 'r': return 3;
        case 'm': return 4;
        case 'f': return 5;
        default: return 0;
    }
}

// Palette entries as blue, green, red, reserved (the BMP order).
constexpr std::array<std::array<uint8_t, 4>, 6> icon_colours{{
    {0xFF, 0xE0, 0xA0, 0},  // sky
    {0xAA, 0x55, 0x00, 0},  // sea
    {0xFF, 0xFF, 0xFF, 0},  // sail
    {0x20, 0x20, 0xC0, 0},  // hull
    {0x20, 0x40, 0x60, 0},  // mast
    {0x00, 0xC0, 0xFF, 0},  // flag
}};

constexpr void put_u16(std::array<uint8_t, icon_bmp_size>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
constexpr void put_u32(std::array<uint8_t, icon_bmp_size>& b, size_t at, uint32_t v) {
    put_u16(b, at, v & 0xFFFF);
    put_u16(b, at + 2, v >> 16);
}

constexpr std::array<uint8_t, icon_bmp_size> make_icon() {
    std::array<uint8_t, icon_bmp_size> b{};
    constexpr uint32_t pixel_offset = 14 + 40 + 256 * 4;
    b[0] = 'B';
    b[1] = 'M';
    put_u32(b, 2, icon_bmp_size);
    put_u32(b, 10, pixel_offset);
    put_u32(b, 14, 40);        // info header size
    put_u32(b, 18, 32);        // width
    put_u32(b, 22, 32);        // height (bottom-up rows)
    put_u16(b, 26, 1);         // planes
    put_u16(b, 28, 8);         // bits per pixel
    put_u32(b, 34, 32 * 32);   // image size
    put_u32(b, 46, 256);       // colours used
    for (size_t i = 0; i < icon_colours.size(); ++i)
        for (size_t c = 0; c < 4; ++c) b[54 + i * 4 + c] = icon_colours[i][c];
    for (size_t row = 0; row < 32; ++row)
        for (size_t x = 0; x < 32; ++x) b[pixel_offset + (31 - row) * 32 + x] = icon_index(icon_rows[row][x]);
    return b;
}

constexpr CursorBits make_cursor() {
    CursorBits c{};
    for (size_t row = 0; row < arrow_rows.size(); ++row) {
        for (size_t x = 0; x < arrow_rows[row].size(); ++x) {
            char ch = arrow_rows[row][x];
            uint8_t bit = uint8_t(0x80 >> (x % 8));
            size_t at = row * 4 + x / 8;
            if (ch == 'X') {
                c.data[at] |= bit;
                c.mask[at] |= bit;
            } else if (ch == '.') {
                c.mask[at] |= bit;
            }
        }
    }
    return c;
}

}  // namespace

const std::array<uint8_t, icon_bmp_size> icon_bmp = make_icon();
const CursorBits arrow_cursor = make_cursor();

}  // namespace rt
