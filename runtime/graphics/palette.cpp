// The default 256-colour palette and the 64-colour EGA set, computed at compile
// time from their 6-bit component levels.
#include <array>
#include <cstdint>

#include "runtime/graphics/graphics.h"

namespace rt {
namespace {

struct Rgb6 {
    uint8_t r, g, b;
};

// 6-bit level to 8 bits, rounded: 21 -> 0x55, 42 -> 0xAA, 63 -> 0xFF.
constexpr uint32_t widen(uint32_t v) { return (v * 255 + 31) / 63; }

constexpr uint32_t argb(Rgb6 c) {
    return 0xFF000000u | widen(c.r) << 16 | widen(c.g) << 8 | widen(c.b);
}

constexpr std::array<Rgb6, 16> ega_colours = {{
    {0, 0, 0},   {0, 0, 42},   {0, 42, 0},   {0, 42, 42},   {42, 0, 0},   {42, 0, 42},
    {42, 21, 0}, {42, 42, 42}, {21, 21, 21}, {21, 21, 63},  {21, 63, 21}, {21, 63, 63},
    {63, 21, 21}, {63, 21, 63}, {63, 63, 21}, {63, 63, 63},
}};

constexpr std::array<uint8_t, 16> grey_levels = {0,  5,  8,  11, 14, 17, 20, 24,
                                                 28, 32, 36, 40, 45, 50, 56, 63};

// Each hue ring: low level, three steps between, high level.
constexpr std::array<std::array<uint8_t, 5>, 9> ring_levels = {{
    {0, 16, 31, 47, 63},
    {31, 39, 47, 55, 63},
    {45, 49, 54, 58, 63},
    {0, 7, 14, 21, 28},
    {14, 17, 21, 24, 28},
    {20, 22, 24, 26, 28},
    {0, 4, 8, 12, 16},
    {8, 10, 12, 14, 16},
    {11, 12, 13, 15, 16},
}};

constexpr std::array<uint32_t, 256> make_default_palette() {
    std::array<uint32_t, 256> p{};
    for (int i = 0; i < 16; ++i) p[i] = argb(ega_colours[i]);
    for (int i = 0; i < 16; ++i) p[16 + i] = argb({grey_levels[i], grey_levels[i], grey_levels[i]});
    int n = 32;
    for (const auto& s : ring_levels) {
        // Walk from blue round the hue circle in six legs of four steps; the
        // channel that moves takes the five levels up (0..4) or down (4..0).
        int level[3] = {0, 0, 4};  // r, g, b as indices into s
        constexpr int channel[6] = {0, 2, 1, 0, 2, 1};
        constexpr int direction[6] = {+1, -1, +1, -1, +1, -1};
        for (int leg = 0; leg < 6; ++leg) {
            for (int k = 0; k < 4; ++k) {
                p[n++] = argb({s[level[0]], s[level[1]], s[level[2]]});
                level[channel[leg]] += direction[leg];
            }
        }
    }
    for (; n < 256; ++n) p[n] = 0xFF000000u;
    return p;
}

// EGA colour number bits: 0 blue, 1 green, 2 red at two thirds; 3 blue, 4 green,
// 5 red at one third.
constexpr std::array<uint32_t, 64> make_ega_palette() {
    std::array<uint32_t, 64> p{};
    for (uint32_t i = 0; i < 64; ++i) {
        auto level = [i](int strong, int weak) {
            return uint8_t(((i >> strong) & 1) * 42 + ((i >> weak) & 1) * 21);
        };
        p[i] = argb({level(2, 5), level(1, 4), level(0, 3)});
    }
    return p;
}

}  // namespace

constexpr std::array<uint32_t, 256> default_palette_table = make_default_palette();
constexpr std::array<uint32_t, 64> ega_palette_table = make_ega_palette();

static_assert(default_palette_table[1] == 0xFF0000AA);
static_assert(default_palette_table[6] == 0xFFAA5500);
static_assert(default_palette_table[15] == 0xFFFFFFFF);
static_assert(default_palette_table[33] == 0xFF4100FF);
static_assert(default_palette_table[247] != 0xFF000000 && default_palette_table[248] == 0xFF000000);

const std::array<uint32_t, 256> default_palette = default_palette_table;
const std::array<uint32_t, 64> ega_palette = ega_palette_table;

}  // namespace rt
