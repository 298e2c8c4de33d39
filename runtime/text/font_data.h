// The built-in code page 437 glyphs as constant data, one byte of packed bits
// per pixel row (leftmost pixel in bit 7). fonts.cpp expands them into the
// one-byte-per-pixel working tables. font_data.cpp is made by tools/fonts.
#pragma once

#include <array>
#include <cstdint>

namespace rt::font_data {

extern const std::array<uint8_t, 256 * 16> vga_8x16;
extern const std::array<uint8_t, 256 * 8> vga_8x8;

}  // namespace rt::font_data
