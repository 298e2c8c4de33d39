// put_image and set_clear_color.
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "runtime/host/host.h"
#include "tests/graphics/test_pictures.h"

namespace {

using graphics_test::Screen;
using rt::image;

class GraphicsCopy : public Screen {
protected:
    // A sprite whose pixel (x, y) is 1 + x + 32 * (y % 4), never 0, never 255.
    int32_t sprite(int w = 32, int h = 32) {
        int32_t s = rt::new_image(w, h, 256, true);
        rt::Image& img = image(-s);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) img.pixels[y * w + x] = uint8_t(1 + x + 32 * (y % 4));
        return s;
    }
    uint8_t sprite_at(int x, int y) { return uint8_t(1 + x + 32 * (y % 4)); }
    void put_at(double x, double y, int32_t source) {
        rt::put_image(x, y, 0, 0, source, 0, 0, 0, 0, 0, rt::put_dest_corner_1 | rt::put_source_handle);
    }
    // Pixels of the page other than 0.
    int touched() {
        int n = 0;
        for (size_t i = 0; i < 800u * 600u; ++i) n += page().pixels[i] != 0;
        return n;
    }
};

TEST_F(GraphicsCopy, SpriteCutAtTheLeftEdge) {
    put_at(-10, 5, sprite());
    ASSERT_EQ(pending(), 0);
    for (int y = 5; y < 37; ++y)
        for (int x = 0; x < 22; ++x) ASSERT_EQ(at(x, y), sprite_at(x + 10, y - 5)) << x << "," << y;
    EXPECT_EQ(touched(), 22 * 32);
}

TEST_F(GraphicsCopy, CornerRoundsTiesToEvenAndIsCutAtTheRightEdge) {
    int32_t s = sprite();
    put_at(790.5, 0, s);
    for (int y = 0; y < 32; ++y)
        for (int x = 790; x < 800; ++x) ASSERT_EQ(at(x, y), sprite_at(x - 790, y));
    EXPECT_EQ(touched(), 10 * 32);
    std::memset(page().pixels, 0, 800 * 600);
    put_at(11.5, 599.5, s);  // to 12, 600: below the page
    EXPECT_EQ(touched(), 0);
    put_at(11.5, 567.5, s);  // to 12, 568
    EXPECT_EQ(at(12, 568), sprite_at(0, 0));
    EXPECT_EQ(at(11, 568), 0);
    EXPECT_EQ(at(43, 599), sprite_at(31, 31));
    EXPECT_EQ(touched(), 32 * 32);
}

TEST_F(GraphicsCopy, WhollyOutsideDrawsNothing) {
    int32_t s = sprite();
    for (auto [x, y] : {std::pair{800.0, 0.0}, {-32.0, 0.0}, {0.0, 600.0}, {0.0, -32.0},
                        {1e12, 1e12}, {-1e12, 5.0}, {std::numeric_limits<double>::quiet_NaN(), 0.0}})
        put_at(x, y, s);
    EXPECT_EQ(touched(), 0);
    EXPECT_EQ(pending(), 0);
    put_at(-31, -31, s);  // one corner pixel left
    EXPECT_EQ(touched(), 1);
    EXPECT_EQ(at(0, 0), sprite_at(31, 31));
}

TEST_F(GraphicsCopy, ClearColourLeavesThePageUnder) {
    std::memset(page().pixels, 200, 800 * 600);
    int32_t s = sprite(4, 2);
    rt::Image& img = image(-s);
    img.pixels[1] = 0;
    img.pixels[6] = 0;
    rt::set_clear_color(false, 0, s, 3);
    EXPECT_EQ(img.clear_colour, 0u);
    put_at(100, 100, s);
    EXPECT_EQ(at(100, 100), img.pixels[0]);
    EXPECT_EQ(at(101, 100), 200);
    EXPECT_EQ(at(102, 101), 200);
    EXPECT_EQ(at(103, 101), img.pixels[7]);
    // No clear colour: zeros are copied too.
    rt::set_clear_color(true, 0, s, 2);
    EXPECT_EQ(img.clear_colour, rt::no_clear_colour);
    put_at(100, 100, s);
    EXPECT_EQ(at(101, 100), 0);
}

TEST_F(GraphicsCopy, ClearColourSkipsExactlyItsIndexAtEveryWidthAndCut) {
    // Sprites of every width up to past two blocks of sixteen, cut at the left
    // edge or not, with the clear colour at 0, 255 and in between: the page must
    // match a pixel-by-pixel reference byte for byte.
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, uint8_t(seed >> 16); };
    for (uint32_t clear : {0u, 255u, 77u})
        for (int w = 1; w <= 40; ++w)
            for (int x : {-3, 0, 5}) {
                int32_t s = rt::new_image(w, 2, 256, true);
                rt::Image& img = image(-s);
                for (int i = 0; i < 2 * w; ++i) img.pixels[i] = i % 3 == 0 ? uint8_t(clear) : next();
                rt::set_clear_color(false, clear, s, 3);
                for (size_t i = 0; i < 800u * 3u; ++i) page().pixels[i] = next();
                std::vector<uint8_t> want(page().pixels, page().pixels + 800 * 3);
                for (int y = 0; y < 2; ++y)
                    for (int sx = 0; sx < w; ++sx)
                        if (x + sx >= 0 && img.pixels[y * w + sx] != clear)
                            want[size_t((y + 1) * 800 + x + sx)] = img.pixels[y * w + sx];
                put_at(x, 1, s);
                ASSERT_EQ(0, std::memcmp(want.data(), page().pixels, want.size()))
                    << "clear " << clear << " width " << w << " at " << x;
            }
}

TEST_F(GraphicsCopy, Errors) {
    put_at(0, 0, -1);
    EXPECT_EQ(pending(), 258);
    clear_error();
    put_at(0, 0, page_handle);
    EXPECT_EQ(pending(), 5);
    clear_error();
    int32_t argb = rt::new_image(4, 4, 32, true);
    put_at(0, 0, argb);
    EXPECT_EQ(pending(), 5);
    clear_error();
    int32_t text = rt::new_image(4, 4, 0, true);
    put_at(0, 0, text);
    EXPECT_EQ(pending(), 5);
    clear_error();
    rt::put_image(0, 0, 0, 0, sprite(), 0, 1, 1, 0, 0,
                  rt::put_dest_corner_1 | rt::put_source_handle | rt::put_source_corner_1);
    EXPECT_EQ(pending(), 5);
    clear_error();
    rt::put_image(0, 0, 0, 0, sprite(), -1, 0, 0, 0, 0,
                  rt::put_dest_corner_1 | rt::put_source_handle | rt::put_dest_handle);
    EXPECT_EQ(pending(), 258);
    clear_error();
    EXPECT_EQ(touched(), 0);

    rt::set_clear_color(false, 300, page_handle, 3);
    EXPECT_EQ(pending(), 5);
    clear_error();
    rt::set_clear_color(false, 0, -1, 3);
    EXPECT_EQ(pending(), 258);
    clear_error();
    rt::set_clear_color(true, 4, page_handle, 3);  // both forms at once
    EXPECT_EQ(pending(), 5);
    clear_error();
    rt::set_clear_color(true, 0, text, 2);  // nothing to clear on a text screen
    EXPECT_EQ(pending(), 0);
    rt::set_clear_color(false, 1, text, 3);
    EXPECT_EQ(pending(), 5);
}

TEST_F(GraphicsCopy, CopiesEvenWhileAnErrorIsPending) {
    int32_t s = sprite();
    rt::raise_error(9);
    put_at(0, 0, s);
    EXPECT_EQ(at(0, 0), sprite_at(0, 0));
    EXPECT_EQ(pending(), 9);
}

TEST_F(GraphicsCopy, PaletteOntoArgbAndArgbBlending) {
    int32_t dest = rt::new_image(4, 1, 32, true);
    auto* out = reinterpret_cast<uint32_t*>(image(-dest).pixels);
    for (int i = 0; i < 4; ++i) out[i] = 0xFF000000;
    int32_t s = rt::new_image(4, 1, 256, true);
    uint8_t indices[4] = {1, 15, 0, 33};
    std::memcpy(image(-s).pixels, indices, 4);
    rt::set_clear_color(false, 0, s, 3);
    rt::put_image(0, 0, 0, 0, s, dest, 0, 0, 0, 0,
                  rt::put_dest_corner_1 | rt::put_source_handle | rt::put_dest_handle);
    EXPECT_EQ(out[0], 0xFF0000AAu);
    EXPECT_EQ(out[1], 0xFFFFFFFFu);
    EXPECT_EQ(out[2], 0xFF000000u);  // index 0 is the clear colour
    EXPECT_EQ(out[3], 0xFF4100FFu);

    int32_t top = rt::new_image(4, 1, 32, true);
    auto* in = reinterpret_cast<uint32_t*>(image(-top).pixels);
    in[0] = 0x80FFFFFF;  // half white over blue
    in[1] = 0x00FF0000;  // fully transparent
    in[2] = 0xFF00FF00;  // opaque green
    in[3] = 0x80000000;  // half black over the violet
    rt::put_image(0, 0, 0, 0, top, dest, 0, 0, 0, 0,
                  rt::put_dest_corner_1 | rt::put_source_handle | rt::put_dest_handle);
    EXPECT_EQ(out[0], 0xFF8080D5u);
    EXPECT_EQ(out[1], 0xFFFFFFFFu);
    EXPECT_EQ(out[2], 0xFF00FF00u);
    EXPECT_EQ(out[3], 0xFF20007Fu);

    // The 32-bit clear colour makes matching pixels transparent.
    rt::set_clear_color(false, 0x00FF00, top, 3);
    EXPECT_EQ(in[2], 0x0000FF00u);
    EXPECT_EQ(in[0], 0x80FFFFFFu);
}

TEST_F(GraphicsCopy, RectanglesScaleAndMirror) {
    int32_t s = rt::new_image(2, 2, 256, true);
    uint8_t px[4] = {1, 2, 3, 4};
    std::memcpy(image(-s).pixels, px, 4);
    const uint32_t rects = rt::put_dest_corner_1 | rt::put_dest_corner_2 | rt::put_source_handle;
    // Whole source to a 4 by 4 rectangle: every pixel doubled.
    rt::put_image(10, 10, 13, 13, s, 0, 0, 0, 0, 0, rects);
    const uint8_t doubled[4][4] = {{1, 1, 2, 2}, {1, 1, 2, 2}, {3, 3, 4, 4}, {3, 3, 4, 4}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(at(10 + x, 10 + y), doubled[y][x]) << x << "," << y;
    EXPECT_EQ(touched(), 16);

    // Corners given right to left mirror the copy.
    rt::put_image(21, 0, 20, 1, s, 0, 0, 0, 0, 0, rects);
    EXPECT_EQ(at(20, 0), 2);
    EXPECT_EQ(at(21, 0), 1);
    EXPECT_EQ(at(20, 1), 4);
    EXPECT_EQ(at(21, 1), 3);

    // Source corners: one pixel of the source, stretched over three.
    rt::put_image(30, 0, 32, 0, s, 0, 1, 1, 1, 1,
                  rects | rt::put_source_corner_1 | rt::put_source_corner_2);
    EXPECT_EQ(at(30, 0), 4);
    EXPECT_EQ(at(31, 0), 4);
    EXPECT_EQ(at(32, 0), 4);
    EXPECT_EQ(at(33, 0), 0);

    // Source corner 1 with a destination rectangle: 1 to 1 from there, cut by the source.
    rt::put_image(40, 0, 41, 1, s, 0, 1, 0, 0, 0, rects | rt::put_source_corner_1);
    EXPECT_EQ(at(40, 0), 2);
    EXPECT_EQ(at(40, 1), 4);
    EXPECT_EQ(at(41, 0), 0);

    // A scaled copy hanging over the page's edge only draws what lies on it.
    rt::put_image(798, 598, 801, 601, s, 0, 0, 0, 0, 0, rects);
    EXPECT_EQ(at(798, 598), 1);
    EXPECT_EQ(at(799, 599), 1);
    EXPECT_EQ(pending(), 0);
}

}  // namespace
