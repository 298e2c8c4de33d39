// An indexed picture in the game's default palette, with the few drawing tools
// the artwork needs. Index 0 (black) is the background that sprites leave clear.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace assets {

// Default palette entries the artwork is drawn with, by role.
namespace ink {
constexpr uint8_t clear = 0;
constexpr uint8_t navy = 1, green = 2, dark_red = 4, brown = 6, light_blue = 9, light_green = 10;
constexpr uint8_t light_red = 12, yellow = 14, white = 15;
constexpr uint8_t grey_20 = 18, grey_32 = 20, grey_45 = 22, grey_71 = 24, grey_82 = 25;
constexpr uint8_t grey_92 = 26, grey_b6 = 28, grey_ca = 29, grey_e3 = 30;
constexpr uint8_t blue = 32, red = 40, orange = 42, gold = 43, bright_yellow = 44;
constexpr uint8_t bright_green = 48, deep_blue = 55;
constexpr uint8_t peach = 65, sand = 66, pale_sand = 67, cream = 92, pale_cyan = 100;
constexpr uint8_t dark_blue = 104;
constexpr uint8_t reef = 114;   // the one colour that slows a yacht
constexpr uint8_t leaf = 118, forest = 120, bark = 138, pale_bark = 139;
constexpr uint8_t night = 176, dark_bark = 186, deep_forest = 192;
}  // namespace ink

struct Point {
    double x, y;
};

struct Canvas {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;

    Canvas(int w, int h, uint8_t fill = ink::clear) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    uint8_t at(int x, int y) const { return inside(x, y) ? pixels[static_cast<size_t>(y) * width + x] : ink::clear; }
    void set(int x, int y, uint8_t c) {
        if (inside(x, y)) pixels[static_cast<size_t>(y) * width + x] = c;
    }

    void rect(int x, int y, int w, int h, uint8_t c);
    void line(double x0, double y0, double x1, double y1, uint8_t c);
    // Pixels whose centre lies inside the ellipse.
    void ellipse(double cx, double cy, double rx, double ry, uint8_t c);
    // Pixels whose centre lies inside the polygon (even-odd rule).
    void polygon(std::initializer_list<Point> points, uint8_t c);
    void polygon(const std::vector<Point>& points, uint8_t c);
    // Pixel art: one string per row from (x, y); characters map through `legend`,
    // and characters missing from it leave the pixel as it is.
    void art(int x, int y, std::initializer_list<const char*> rows, const std::map<char, uint8_t>& legend);
    // Replaces colour `from` by `to` where `keep` says yes.
    template <typename F>
    void recolour(uint8_t from, uint8_t to, F keep) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (at(x, y) == from && keep(x, y)) set(x, y, to);
    }
    // Gives every clear pixel next to a drawn one (4-neighbours) the colour `c`.
    void outline(uint8_t c);
};

}  // namespace assets
