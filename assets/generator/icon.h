// The desktop icon: the yacht of the window icon (a 32 by 32 picture held in
// the program) as flat shapes on a 32 by 32 grid, so that it scales. Sampled at
// pixel centres at 32 pixels it gives the window icon back pixel for pixel;
// larger sizes are smoothed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/generator/canvas.h"

namespace assets {

struct Rgb {
    uint8_t r, g, b;
};

// A filled polygon, or an ellipse when `points` is empty.
struct Shape {
    Rgb colour;
    std::vector<Point> points;
    Point centre{0, 0};
    double rx = 0, ry = 0;
};

// Back to front.
std::vector<Shape> icon_shapes();

// `size` by `size` pixels, rows of red, green and blue bytes.
std::vector<uint8_t> render_icon(int size);

std::string icon_svg();

// The icon sizes installed as PNG files.
constexpr int icon_sizes[] = {32, 64, 128, 256, 512};

// The sizes of the Windows icon (the exe's resource, the installer's shortcuts).
constexpr int ico_sizes[] = {16, 32, 48, 256};

// An .ico file of `ico_sizes`.
std::string icon_ico();

// supervivedas.svg, supervivedas.ico and supervivedas_<size>.png for each size
// into `folder`.
bool write_icons(const std::string& folder);

}  // namespace assets
