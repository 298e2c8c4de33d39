// Helpers shared by the sources of the graphics subsystem.
#pragma once

#include <cmath>
#include <cstdint>

#include "runtime/graphics/graphics.h"

namespace rt::graphics_detail {

// What a mode fixes: depth, default font and foreground.
struct ModeInfo {
    int32_t mode;
    uint8_t bits_per_pixel;
    uint8_t bytes_per_pixel;
    int32_t font;
    int32_t foreground;
};
// Null for a mode that is not in the list.
const ModeInfo* mode_info(int32_t mode);
// Fills the first entries of `palette` (256) with the mode's default colours;
// the other entries are set to 0.
void fill_mode_palette(uint32_t* palette, int32_t mode);

// A fresh image of the mode with its defaults, pixels blank. `own_palette` false
// leaves the palette null for the caller to share one. Returns the image number,
// or 0 when memory runs out (the number is given back).
int32_t make_image(int32_t width, int32_t height, int32_t mode, bool own_palette = true);
// Bottom text row for the image's height and font.
uint16_t bottom_row_of(const Image& img);

// Record of a role (destination or source image), or null when the role names no
// image in use; raises 258 in that case when `raise` is set.
Image* role_image(int32_t number, bool raise);

// Rounding half away from zero, truncated: circle centres and line steps.
inline int32_t round_half_away(double v) {
    double r = v >= 0 ? v + 0.5 : v - 0.5;
    if (!(r > -1073741824.0)) return -1073741824;
    if (r > 1073741824.0) return 1073741824;
    return int32_t(r);
}

// The clip rectangle of an image: its view, kept within the pixels.
struct Rect {
    int32_t x1, y1, x2, y2;
};
inline Rect view_rect(const Image& img) {
    Rect r{img.view.x1, img.view.y1, img.view.x2, img.view.y2};
    if (r.x1 < 0) r.x1 = 0;
    if (r.y1 < 0) r.y1 = 0;
    if (r.x2 > img.width - 1) r.x2 = img.width - 1;
    if (r.y2 > img.height - 1) r.y2 = img.height - 1;
    return r;
}

// Writes one pixel known to lie inside the image: palette images keep the
// colour's bits under the mask, 32-bit images the whole colour.
inline void put_pixel(Image& img, int32_t x, int32_t y, uint32_t colour) {
    size_t at = size_t(y) * img.width + size_t(x);
    if (img.bytes_per_pixel == 1)
        img.pixels[at] = uint8_t(colour & img.colour_mask);
    else
        reinterpret_cast<uint32_t*>(img.pixels)[at] = colour;
}

}  // namespace rt::graphics_detail
