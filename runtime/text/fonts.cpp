// The working font tables: the packed glyph rows of font_data.cpp expanded to
// one byte per pixel (0 clear, 255 set), 8 bytes per glyph row.
#include <array>
#include <cstddef>
#include <cstdint>

#include "runtime/text/font_data.h"
#include "runtime/text/text.h"

namespace rt {

namespace {

template <std::size_t N>
std::array<uint8_t, N * 8> expand(const std::array<uint8_t, N>& rows) {
    std::array<uint8_t, N * 8> pixels{};
    for (std::size_t r = 0; r < N; ++r)
        for (int x = 0; x < 8; ++x) pixels[r * 8 + x] = (rows[r] & (0x80 >> x)) ? 255 : 0;
    return pixels;
}

struct Tables {
    std::array<uint8_t, 256 * 16 * 8> tall = expand(font_data::vga_8x16);
    std::array<uint8_t, 256 * 8 * 8> small = expand(font_data::vga_8x8);
};

// Built on first use, so the display thread and the program thread may both
// ask for a glyph before or while start-up runs fonts_init.
const Tables& tables() {
    static const Tables t;
    return t;
}

}  // namespace

void fonts_init() { tables(); }

const uint8_t* font_8x16() { return tables().tall.data(); }
const uint8_t* font_8x8() { return tables().small.data(); }

// Built-in fonts only; any other number falls back to the 16-row font.
int32_t font_height(int32_t font) { return font == 8 || font == 14 ? font : 16; }

const uint8_t* glyph(int32_t font, uint8_t code) {
    if (font == 8) return font_8x8() + 64 * code;
    // Font 14 is the 16-row design without its top and bottom row.
    if (font == 14) return font_8x16() + 128 * code + 8;
    return font_8x16() + 128 * code;
}

}  // namespace rt
