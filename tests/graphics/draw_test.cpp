// Clearing, lines, circles and pixel reads on the game's page.
#include <cmath>
#include <cstring>
#include <set>
#include <utility>

#include "runtime/host/host.h"
#include "tests/graphics/test_pictures.h"

namespace {

using graphics_test::Screen;
using rt::image;
using Pixels = std::set<std::pair<int, int>>;

class GraphicsDraw : public Screen {
protected:
    Pixels drawn() {
        Pixels set;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                if (at(x, y) != 0) set.insert({x, y});
        return set;
    }
    void line(double x1, double y1, double x2, double y2, uint32_t colour = 1) {
        rt::draw_line(false, x1, y1, false, x2, y2, colour, 0, 0, 3);
    }
    void styled(double x1, double y1, double x2, double y2, uint32_t style) {
        rt::draw_line(false, x1, y1, false, x2, y2, 1, 0, style, 7);
    }
    void circle(double x, double y, double r) { rt::draw_circle(false, x, y, r, 14, 0, 0, 0, 1); }
};

TEST_F(GraphicsDraw, PointColourReadsTheSourceInsideTheView) {
    page().pixels[0] = 3;
    page().pixels[799] = 4;
    page().pixels[599 * 800] = 0x55;
    EXPECT_EQ(rt::point_color(-1, 0), -1);
    EXPECT_EQ(rt::point_color(800, 0), -1);
    EXPECT_EQ(rt::point_color(0, 600), -1);
    EXPECT_EQ(rt::point_color(799.4, 0), 4);
    EXPECT_EQ(rt::point_color(799.5, 0), -1);  // ties to even: 800
    EXPECT_EQ(rt::point_color(0.5, 0), 3);
    EXPECT_EQ(rt::point_color(-0.5, 0), 3);
    EXPECT_EQ(rt::point_color(0, 599.4), 0x55);
    EXPECT_EQ(rt::point_color(0, 598.5), 0);  // row 598
    EXPECT_EQ(rt::point_color(std::nan(""), 0), -1);
    EXPECT_EQ(pending(), 0);

    // The source image is read, not the destination; a text source raises 5.
    int32_t other = rt::new_image(2, 2, 32, true);
    reinterpret_cast<uint32_t*>(image(-other).pixels)[3] = 0xFF123456;
    rt::source_image = -other;
    EXPECT_EQ(rt::point_color(1, 1), 0xFF123456);
    rt::source_image = -rt::new_image(2, 2, 0, true);
    EXPECT_EQ(rt::point_color(0, 0), 0);
    EXPECT_EQ(pending(), 5);
    EXPECT_EQ(rt::point_color(1, 1), 0);  // nothing while the error is pending
}

TEST_F(GraphicsDraw, ClearScreenFillsWithTheBackground) {
    std::memset(page().pixels, 9, 800 * 600);
    page().background = 0x1AB;  // only the low 8 bits count on the page
    page().cursor_row = 20;
    page().cursor_column = 50;
    page().pending_wrap = 1;
    page().view.cursor_x = 3;
    rt::clear_screen(0, 0, 0);
    ASSERT_EQ(pending(), 0);
    for (size_t i = 0; i < 800u * 600u; ++i) ASSERT_EQ(page().pixels[i], 0xAB) << i;
    EXPECT_EQ(page().view.cursor_x, 400.0f);
    EXPECT_EQ(page().view.cursor_y, 300.0f);
    EXPECT_EQ(page().cursor_row, page().top_row);
    EXPECT_EQ(page().cursor_column, 1);
    EXPECT_EQ(page().pending_wrap, 0);

    rt::clear_screen(0, 7, 2);
    EXPECT_EQ(at(123, 456), 7);
    rt::clear_screen(0, 256, 2);
    EXPECT_EQ(pending(), 5);
    EXPECT_EQ(at(123, 456), 7);
    clear_error();
    rt::clear_screen(3, 0, 1);
    EXPECT_EQ(pending(), 5);
}

TEST_F(GraphicsDraw, ShallowLineStepsInXWithRoundedY) {
    line(50, 50, 58, 53);
    const Pixels expected = {{50, 50}, {51, 50}, {52, 51}, {53, 51}, {54, 52},
                             {55, 52}, {56, 52}, {57, 53}, {58, 53}};
    EXPECT_EQ(drawn(), expected);
    EXPECT_EQ(page().drawing_colour, 1u);
    EXPECT_EQ(page().view.cursor_x, 58.0f);
    EXPECT_EQ(page().view.cursor_y, 53.0f);
}

TEST_F(GraphicsDraw, SteepLineAndItsReverseAndAPoint) {
    line(10, 20, 12, 10);  // dy 10 >= dx 2: x steps by 0.2 from 10
    const Pixels steep = {{10, 20}, {10, 19}, {10, 18}, {11, 17}, {11, 16}, {11, 15},
                          {11, 14}, {11, 13}, {12, 12}, {12, 11}, {12, 10}};
    EXPECT_EQ(drawn(), steep);
    std::memset(page().pixels, 0, 800 * 600);
    line(5, 5, 5, 5);
    EXPECT_EQ(drawn(), (Pixels{{5, 5}}));
}

TEST_F(GraphicsDraw, ColourIsMaskedAndDefaultsToTheForeground) {
    line(0, 0, 3, 0, 0x1FF);
    EXPECT_EQ(at(3, 0), 0xFF);
    EXPECT_EQ(page().drawing_colour, 0x1FFu);
    rt::draw_line(false, 0, 1, false, 3, 1, 99, 0, 0, 1);  // colour not given
    EXPECT_EQ(at(3, 1), 15);
    EXPECT_EQ(page().drawing_colour, 15u);
}

TEST_F(GraphicsDraw, RelativePointsAndTheGraphicsCursor) {
    // Without a first point the line starts at the graphics cursor (400, 300).
    rt::draw_line(false, 0, 0, true, 2, 0, 1, 0, 0, 2);
    EXPECT_EQ(drawn(), (Pixels{{400, 300}, {401, 300}, {402, 300}}));
    // Both relative: the second point is relative to the first.
    std::memset(page().pixels, 0, 800 * 600);
    rt::draw_line(true, 1, 1, true, 0, 2, 1, 0, 0, 3);
    EXPECT_EQ(drawn(), (Pixels{{403, 301}, {403, 302}, {403, 303}}));
    EXPECT_EQ(page().view.cursor_y, 303.0f);
}

TEST_F(GraphicsDraw, StyleRotatesAndClippingAdvancesIt) {
    styled(0, 0, 15, 0, 0xF0F0);
    Pixels expected;
    for (int x = 0; x < 16; ++x)
        if ((x / 4) % 2 == 0) expected.insert({x, 0});
    EXPECT_EQ(drawn(), expected);

    // The same line starting 5 pixels left of the page draws the same pattern
    // where it is visible.
    std::memset(page().pixels, 0, 800 * 600);
    styled(-5, 1, 15, 1, 0xAAAA);
    Pixels cut;
    for (int x = 0; x <= 15; ++x)
        if ((x + 5) % 2 == 0) cut.insert({x, 1});
    EXPECT_EQ(drawn(), cut);
}

TEST_F(GraphicsDraw, LinesAreClippedToTheView) {
    line(-100, -50, 900, 450);  // slope 1/2 through the page
    Pixels got = drawn();
    // The ends are moved to the page's edges: (0, 0) and (799, 399.5 -> 400).
    EXPECT_EQ(got.size(), 800u);
    EXPECT_EQ(*got.begin(), (std::pair{0, 0}));
    EXPECT_EQ(*got.rbegin(), (std::pair{799, 400}));
    int previous = 0;
    for (auto [x, y] : got) {
        EXPECT_LE(std::abs(y - (x + 100) / 2.0 + 50), 1.0) << x;
        EXPECT_TRUE(y == previous || y == previous + 1) << x;
        previous = y;
    }
    std::memset(page().pixels, 0, 800 * 600);
    line(-10, -10, -1, 500);  // both ends left of the page
    line(1000, 1e9, 1001, -1e9);
    line(-1e12, 300, 1e12, 300);  // clamped far ends still cross the page
    Pixels row = drawn();
    EXPECT_EQ(row.size(), 800u);
    EXPECT_EQ(pending(), 0);
}

TEST_F(GraphicsDraw, BoxesAndFilledBoxes) {
    rt::draw_line(false, 10, 10, false, 13, 12, 2, 1, 0, 3);
    Pixels box;
    for (int x = 10; x <= 13; ++x) box.insert({x, 10}), box.insert({x, 12});
    box.insert({10, 11});
    box.insert({13, 11});
    EXPECT_EQ(drawn(), box);
    std::memset(page().pixels, 0, 800 * 600);
    rt::draw_line(false, 795, 597, false, 900, 700, 2, 2, 0, 3);
    EXPECT_EQ(drawn().size(), 5u * 3u);
    EXPECT_EQ(at(799, 599), 2);
    rt::draw_line(false, 0, 0, false, 1, 1, 2, 3, 0, 3);
    EXPECT_EQ(pending(), 5);
}

TEST_F(GraphicsDraw, TextScreensTakeNoLines) {
    rt::set_dest(rt::new_image(10, 10, 0, true));
    line(0, 0, 1, 1);
    EXPECT_EQ(pending(), 5);
    clear_error();
    circle(1, 1, 1);
    EXPECT_EQ(pending(), 5);
}

// Radius 2: n = trunc(2 pi 2 / 4 + 0.5) = 3, vectors at 0, 30, 60 and 90 degrees
// give (2, 0), (2, 0), (1, 1), (0, 1); the second (2, 0) is held back and dropped
// in favour of (1, 1), which touches the first.
TEST_F(GraphicsDraw, RadiusTwoCircle) {
    circle(100, 100, 2);
    const Pixels expected = {{102, 100}, {98, 100},  {101, 99}, {99, 99},
                             {99, 101},  {101, 101}, {100, 99}, {100, 101}};
    EXPECT_EQ(drawn(), expected);
    EXPECT_EQ(at(100, 99), 14);
    EXPECT_EQ(page().drawing_colour, 14u);
    EXPECT_EQ(page().view.cursor_x, 100.0f);
}

TEST_F(GraphicsDraw, LargerCircleIsThinAndRound) {
    circle(400, 300, 50);
    Pixels got = drawn();
    ASSERT_GT(got.size(), 200u);
    for (auto [x, y] : got) {
        double d = std::hypot(x - 400, y - 300);
        EXPECT_GT(d, 48.5) << x << "," << y;
        EXPECT_LT(d, 50.6) << x << "," << y;
        // Thin: no pixel has both a horizontal and a vertical neighbour, which
        // would make an L-shaped corner.
        bool horizontal = got.count({x + 1, y}) || got.count({x - 1, y});
        bool vertical = got.count({x, y + 1}) || got.count({x, y - 1});
        EXPECT_FALSE(horizontal && vertical) << x << "," << y;
    }
    // Mirror symmetric.
    for (auto [x, y] : got) EXPECT_TRUE(got.count({800 - x, y}) && got.count({x, 600 - y}));
}

TEST_F(GraphicsDraw, CirclesAreClippedOrSkipped) {
    circle(0, 0, 10);
    for (auto [x, y] : drawn()) EXPECT_TRUE(x >= 0 && y >= 0 && (x <= 10 && y <= 10));
    EXPECT_FALSE(drawn().empty());
    std::memset(page().pixels, 0, 800 * 600);
    page().drawing_colour = 0;
    circle(-20, 300, 10);
    EXPECT_TRUE(drawn().empty());
    EXPECT_EQ(page().drawing_colour, 0u);  // wholly outside: not even the colour is taken
    circle(400, 300, std::nan(""));
    circle(400, 300, 1e300);
    EXPECT_EQ(pending(), 0);
}

TEST_F(GraphicsDraw, AspectSquashesTheCircle) {
    rt::draw_circle(false, 400, 300, 20, 14, 0, 0, 0.5, 1 | 8);
    int top = 600, bottom = 0, left = 800, right = 0;
    for (auto [x, y] : drawn())
        top = std::min(top, y), bottom = std::max(bottom, y), left = std::min(left, x),
        right = std::max(right, x);
    EXPECT_EQ(right - 400, 20);
    EXPECT_EQ(400 - left, 20);
    EXPECT_EQ(bottom - 300, 9);  // 10 less the half pixel taken off
    EXPECT_EQ(300 - top, 9);
}

TEST_F(GraphicsDraw, ArcsAndRadiusLines) {
    const double pi = std::acos(-1.0);
    rt::draw_circle(false, 400, 300, 20, 14, 0, pi / 2, 0, 1 | 2 | 4);
    Pixels arc = drawn();
    ASSERT_FALSE(arc.empty());
    for (auto [x, y] : arc) EXPECT_TRUE(x >= 400 && y <= 300) << x << "," << y;
    EXPECT_TRUE(arc.count({420, 300}));
    EXPECT_TRUE(arc.count({400, 281}));

    // Negative angles add lines from the centre.
    std::memset(page().pixels, 0, 800 * 600);
    rt::draw_circle(false, 400, 300, 20, 14, -pi / 2, -pi, 0, 1 | 2 | 4);
    Pixels pie = drawn();
    for (int y = 280; y <= 300; ++y) EXPECT_TRUE(pie.count({400, y})) << y;
    for (int x = 380; x <= 400; ++x) EXPECT_TRUE(pie.count({x, 300})) << x;
    for (auto [x, y] : pie) EXPECT_TRUE(x <= 400 && y <= 300) << x << "," << y;

    rt::draw_circle(false, 400, 300, 20, 14, 7, 0, 0, 1 | 2);
    EXPECT_EQ(pending(), 5);
}

}  // namespace
