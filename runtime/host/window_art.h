// The window's icon (a 32 by 32, 8-bit BMP file image) and the arrow cursor
// (one data bit and one mask bit per cell, rows of 32 cells).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace rt {

constexpr size_t icon_bmp_size = 2102;
extern const std::array<uint8_t, icon_bmp_size> icon_bmp;

struct CursorBits {
    std::array<uint8_t, 128> data{};
    std::array<uint8_t, 128> mask{};
};
extern const CursorBits arrow_cursor;

}  // namespace rt
