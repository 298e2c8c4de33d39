// The default palette and the EGA set against colours known from their 6-bit levels.
#include <gtest/gtest.h>

#include "runtime/graphics/graphics.h"

namespace {

uint32_t widen6(uint32_t r, uint32_t g, uint32_t b) {
    auto w = [](uint32_t v) { return uint32_t(v * 255.0 / 63.0 + 0.5); };
    return 0xFF000000u | w(r) << 16 | w(g) << 8 | w(b);
}

TEST(GraphicsPalette, KnownEntries) {
    const auto& p = rt::default_palette;
    EXPECT_EQ(p[0], 0xFF000000u);
    EXPECT_EQ(p[1], 0xFF0000AAu);
    EXPECT_EQ(p[6], 0xFFAA5500u);
    EXPECT_EQ(p[7], 0xFFAAAAAAu);
    EXPECT_EQ(p[8], 0xFF555555u);
    EXPECT_EQ(p[14], 0xFFFFFF55u);
    EXPECT_EQ(p[15], 0xFFFFFFFFu);
    EXPECT_EQ(p[33], 0xFF4100FFu);
}

TEST(GraphicsPalette, GreysAndBlackTail) {
    const auto& p = rt::default_palette;
    const uint32_t greys[16] = {0, 5, 8, 11, 14, 17, 20, 24, 28, 32, 36, 40, 45, 50, 56, 63};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(p[16 + i], widen6(greys[i], greys[i], greys[i])) << i;
    for (int i = 248; i < 256; ++i) EXPECT_EQ(p[i], 0xFF000000u) << i;
    for (uint32_t c : p) EXPECT_EQ(c >> 24, 0xFFu);
}

// Every ring walks blue -> magenta -> red -> yellow -> green -> cyan and back:
// check corners and steps of every leg, for all nine rings.
TEST(GraphicsPalette, HueRingCorners) {
    const uint32_t steps[9][5] = {{0, 16, 31, 47, 63},  {31, 39, 47, 55, 63}, {45, 49, 54, 58, 63},
                                  {0, 7, 14, 21, 28},   {14, 17, 21, 24, 28}, {20, 22, 24, 26, 28},
                                  {0, 4, 8, 12, 16},    {8, 10, 12, 14, 16},  {11, 12, 13, 15, 16}};
    for (int ring = 0; ring < 9; ++ring) {
        const uint32_t* s = steps[ring];
        uint32_t L = s[0], a = s[1], H = s[4];
        const uint32_t* p = &rt::default_palette[32 + 24 * ring];
        EXPECT_EQ(p[0], widen6(L, L, H)) << ring;
        EXPECT_EQ(p[1], widen6(a, L, H)) << ring;
        EXPECT_EQ(p[5], widen6(H, L, s[3])) << ring;
        EXPECT_EQ(p[12], widen6(H, H, L)) << ring;
        EXPECT_EQ(p[13], widen6(s[3], H, L)) << ring;
        EXPECT_EQ(p[20], widen6(L, H, H)) << ring;
        EXPECT_EQ(p[23], widen6(L, a, H)) << ring;
    }
}

TEST(GraphicsPalette, EgaSet) {
    const auto& e = rt::ega_palette;
    EXPECT_EQ(e[0], 0xFF000000u);
    EXPECT_EQ(e[1], 0xFF0000AAu);
    EXPECT_EQ(e[20], 0xFFAA5500u);  // brown: red two thirds, green one third
    EXPECT_EQ(e[56], 0xFF555555u);
    EXPECT_EQ(e[63], 0xFFFFFFFFu);
}

}  // namespace
