// Drawing primitives on the destination image: clearing, lines and boxes,
// circles and arcs; and reading one pixel of the source image.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "runtime/graphics/graphics.h"
#include "runtime/graphics/graphics_internal.h"
#include "runtime/core/core.h"

namespace rt {

using namespace graphics_detail;

namespace {

constexpr double pi = 3.14159265358979323846;
// Circles larger than this many points per quarter are drawn with this many.
constexpr int32_t max_quarter_points = 1 << 20;

inline uint32_t rotate_left(uint32_t v, uint32_t n) {
    n &= 31;
    return n == 0 ? v : (v << n | v >> (32 - n));
}

inline bool inside(const Rect& r, int64_t x, int64_t y) {
    return x >= r.x1 && x <= r.x2 && y >= r.y1 && y <= r.y2;
}

void fill_rect(Image& img, Rect r, uint32_t colour) {
    if (r.x1 > r.x2 || r.y1 > r.y2) return;
    size_t n = size_t(r.x2 - r.x1 + 1);
    for (int32_t y = r.y1; y <= r.y2; ++y) {
        size_t at = size_t(y) * img.width + size_t(r.x1);
        if (img.bytes_per_pixel == 1)
            std::fill_n(img.pixels + at, n, uint8_t(colour & img.colour_mask));
        else if (img.bytes_per_pixel == 4)
            std::fill_n(reinterpret_cast<uint32_t*>(img.pixels) + at, n, colour);
        else
            std::fill_n(reinterpret_cast<uint16_t*>(img.pixels) + at, n, uint16_t(colour));
    }
}

// Cohen-Sutherland against the clip rectangle, rounding each crossing to the
// nearest pixel. `cut` gets the pixels taken off the start. False: nothing left.
bool clip_line(const Rect& r, int64_t& x1, int64_t& y1, int64_t& x2, int64_t& y2, int64_t& cut) {
    auto code = [&](int64_t x, int64_t y) {
        return (x < r.x1 ? 1 : 0) | (x > r.x2 ? 2 : 0) | (y < r.y1 ? 4 : 0) | (y > r.y2 ? 8 : 0);
    };
    cut = 0;
    for (int pass = 0; pass < 8; ++pass) {
        int c1 = code(x1, y1), c2 = code(x2, y2);
        if ((c1 | c2) == 0) return true;
        if (c1 & c2) return false;
        bool first = c1 != 0;
        int c = first ? c1 : c2;
        int64_t &px = first ? x1 : x2, &py = first ? y1 : y2;
        int64_t ox = first ? x2 : x1, oy = first ? y2 : y1;
        int64_t nx, ny;
        if (c & 3) {
            nx = (c & 1) ? r.x1 : r.x2;
            ny = int64_t(std::nearbyint(double(py) + double(oy - py) * double(nx - px) /
                                                         double(ox - px)));
        } else {
            ny = (c & 4) ? r.y1 : r.y2;
            nx = int64_t(std::nearbyint(double(px) + double(ox - px) * double(ny - py) /
                                                         double(oy - py)));
        }
        if (first) cut += std::max(std::abs(nx - px), std::abs(ny - py));
        px = nx;
        py = ny;
    }
    return code(x1, y1) == 0 && code(x2, y2) == 0;
}

// One line in pixels; `pattern` is the style repeated to 32 bits, rotated
// before every pixel.
void line_pixels(Image& img, const Rect& r, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
                 uint32_t colour, uint32_t& pattern) {
    int64_t cut = 0;
    if (!clip_line(r, x1, y1, x2, y2, cut)) return;
    pattern = rotate_left(pattern, uint32_t(cut % 32));
    int64_t dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
    // The running minor coordinate is single precision; the pixel test guards
    // against its rounding drift on very long lines.
    auto plot = [&](int64_t x, int64_t y) {
        pattern = rotate_left(pattern, 1);
        if ((pattern & 1) && inside(r, x, y)) put_pixel(img, int32_t(x), int32_t(y), colour);
    };
    if (dy < dx) {
        float step = float(y2 - y1) / float(dx);
        float y = float(y1);
        int64_t sx = x2 > x1 ? 1 : -1;
        for (int64_t i = 0; i <= dx; ++i, y += step) plot(x1 + i * sx, round_half_away(y));
    } else {
        float step = dy == 0 ? 0.0f : float(x2 - x1) / float(dy);
        float x = float(x1);
        int64_t sy = y2 > y1 ? 1 : -1;
        for (int64_t i = 0; i <= dy; ++i, x += step) plot(round_half_away(x), y1 + i * sy);
    }
}

bool angle_within(double a, double start, double end) {
    return start <= end ? (a >= start && a <= end) : (a >= start || a <= end);
}

}  // namespace

int32_t to_pixel(double v) {
    constexpr int32_t limit = 1 << 30;
    if (std::isnan(v)) return -limit;
    if (v < -1.0e9) return -limit;
    if (v > 1.0e9) return limit;
    return int32_t(std::nearbyint(float(v)));
}

void clear_screen(int32_t kind, uint32_t fill, uint32_t presence) {
    if (error_pending()) return;
    Image* img = role_image(destination_image, true);
    if (!img) return;
    if (!(presence & 1)) kind = 0;
    if (kind < 0 || kind > 2) {
        raise_error(5);
        return;
    }
    uint32_t colour = img->background;
    if (presence & 2) {
        if (img->bytes_per_pixel != 4 && fill > img->colour_mask) {
            raise_error(5);
            return;
        }
        colour = fill;
    }
    if (img->text_screen) {
        // Blank cells in the screen's colours.
        uint32_t attribute = (uint32_t(img->foreground) & 15) | (colour & 7) << 4;
        colour = 0x20 | attribute << 8;
    }

    Image::View& v = img->view;
    if (kind != 1) {
        img->cursor_row = img->top_row;
        img->cursor_column = 1;
        img->pending_wrap = 0;
    }
    v.origin_x = v.origin_y = 0;
    v.scale_x = v.scale_y = 1;

    Rect all{0, 0, img->width - 1, img->height - 1};
    if (kind == 0) {
        fill_rect(*img, all, colour);
    } else if (kind == 1) {
        fill_rect(*img, view_rect(*img), colour);
    } else {
        int32_t cell = img->text_screen ? 1 : img->font;
        Rect rows{0, (img->top_row - 1) * cell, img->width - 1, img->bottom_row * cell - 1};
        rows.y2 = std::min(rows.y2, img->height - 1);
        fill_rect(*img, rows, colour);
    }
    if (kind != 2) {
        v.cursor_x = float(v.x2 - v.x1 + 1) / 2;
        v.cursor_y = float(v.y2 - v.y1 + 1) / 2;
    }
}

void draw_line(bool relative_1, double x1, double y1, bool relative_2, double x2, double y2,
               uint32_t colour, int32_t shape, uint32_t style, uint32_t presence) {
    if (error_pending()) return;
    Image* img = role_image(destination_image, true);
    if (!img) return;
    if (img->text_screen || shape < 0 || shape > 2) {
        raise_error(5);
        return;
    }
    Image::View& v = img->view;
    if (presence & 1) {
        if (relative_1) x1 += v.cursor_x, y1 += v.cursor_y;
        v.cursor_x = float(x1);
        v.cursor_y = float(y1);
    }
    float ax = v.cursor_x, ay = v.cursor_y;
    if (relative_2) x2 += v.cursor_x, y2 += v.cursor_y;
    v.cursor_x = float(x2);
    v.cursor_y = float(y2);
    float bx = v.cursor_x, by = v.cursor_y;

    uint32_t c = (presence & 2) ? colour : uint32_t(img->foreground);
    img->drawing_colour = c;
    uint32_t style16 = (presence & 4) ? (style & 0xFFFF) : 0xFFFF;
    uint32_t pattern = style16 | style16 << 16;

    const Rect r = view_rect(*img);
    int64_t px1 = to_pixel(ax), py1 = to_pixel(ay), px2 = to_pixel(bx), py2 = to_pixel(by);
    if (shape == 0) {
        line_pixels(*img, r, px1, py1, px2, py2, c, pattern);
    } else if (shape == 1) {
        line_pixels(*img, r, px1, py1, px2, py1, c, pattern);
        line_pixels(*img, r, px2, py1, px2, py2, c, pattern);
        line_pixels(*img, r, px2, py2, px1, py2, c, pattern);
        line_pixels(*img, r, px1, py2, px1, py1, c, pattern);
    } else {
        Rect box{int32_t(std::max<int64_t>(std::min(px1, px2), r.x1)),
                 int32_t(std::max<int64_t>(std::min(py1, py2), r.y1)),
                 int32_t(std::min<int64_t>(std::max(px1, px2), r.x2)),
                 int32_t(std::min<int64_t>(std::max(py1, py2), r.y2))};
        fill_rect(*img, box, c);
    }
}

void draw_circle(bool relative, double x, double y, double radius, uint32_t colour,
                 double start_angle, double end_angle, double aspect, uint32_t presence) {
    if (error_pending()) return;
    Image* img = role_image(destination_image, true);
    if (!img) return;
    const bool start_given = presence & 2, end_given = presence & 4;
    if (img->text_screen || (start_given && !(std::fabs(start_angle) <= 2 * pi)) ||
        (end_given && !(std::fabs(end_angle) <= 2 * pi))) {
        raise_error(5);
        return;
    }
    // A negative angle asks for a radius line at that angle.
    const bool start_line = start_given && start_angle < 0, end_line = end_given && end_angle < 0;
    const double start = start_given ? std::fabs(start_angle) : 0;
    const double end = end_given ? std::fabs(end_angle) : 2 * pi;
    const bool whole = !start_given && !end_given;

    Image::View& v = img->view;
    if (relative) x += v.cursor_x, y += v.cursor_y;
    v.cursor_x = float(x);
    v.cursor_y = float(y);
    if (!std::isfinite(v.cursor_x) || !std::isfinite(v.cursor_y) || !std::isfinite(radius))
        return;
    const int64_t cx = round_half_away(v.cursor_x), cy = round_half_away(v.cursor_y);

    double rx = std::fabs(radius), ry = rx;
    double a = (presence & 8) ? aspect : double(img->height) / double(img->width) * 4 / 3;
    if (a > 0 && a < 1) ry *= a;
    else if (a > 1) rx /= a;
    else if (a > -1 && a < 0) ry *= a + 1;

    const Rect r = view_rect(*img);
    if (double(cx) + rx + 0.5 < r.x1 || double(cx) - rx - 0.5 > r.x2 ||
        double(cy) + ry + 0.5 < r.y1 || double(cy) - ry - 0.5 > r.y2)
        return;
    const uint32_t c = (presence & 1) ? colour : uint32_t(img->foreground);
    img->drawing_colour = c;

    double quarter = 2 * pi * std::fabs(radius) / 4 + 0.5;
    const int32_t n = quarter >= max_quarter_points ? max_quarter_points : int32_t(quarter);
    const double step = n > 0 ? (pi / 2) / n : 0;
    const double step_cos = std::cos(step), step_sin = std::sin(step);

    struct Point {
        int64_t x, y;
        double angle;
    };
    auto plot = [&](int64_t px, int64_t py) {
        if (inside(r, px, py)) put_pixel(*img, int32_t(px), int32_t(py), c);
    };
    // The four mirror images; angles count anticlockwise on the screen.
    auto draw = [&](const Point& p) {
        const double angles[4] = {p.angle, pi - p.angle, pi + p.angle, 2 * pi - p.angle};
        const int64_t xs[4] = {cx + p.x, cx - p.x, cx - p.x, cx + p.x};
        const int64_t ys[4] = {cy - p.y, cy - p.y, cy + p.y, cy + p.y};
        for (int i = 0; i < 4; ++i)
            if (whole || angle_within(angles[i], start, end)) plot(xs[i], ys[i]);
    };
    // Offsets beyond any page are held there, outside the view whatever the centre.
    auto offset = [](double v) { return int64_t(std::clamp(v, -1e12, 1e12)); };
    auto point_at = [&](double cosine, double sine, int32_t k) {
        return Point{offset(cosine * rx + 0.5), offset(sine * ry - 0.5), k * step};
    };

    double cosine = 1, sine = 0;
    Point last = point_at(cosine, sine, 0), held{};
    bool holding = false;
    draw(last);
    for (int32_t k = 1; k <= n; ++k) {
        double next_cos = cosine * step_cos - sine * step_sin;
        sine = sine * step_cos + cosine * step_sin;
        cosine = next_cos;
        Point p = point_at(cosine, sine, k);
        // A point next to the last one drawn makes the one held back needless.
        if (std::abs(p.x - last.x) <= 1 && std::abs(p.y - last.y) < 2) {
            held = p;
            holding = true;
            continue;
        }
        if (holding) {
            draw(held);
            last = held;
        }
        held = p;
        holding = true;
    }
    if (holding) draw(held);

    uint32_t solid = 0xFFFFFFFFu;
    auto radius_line = [&](double angle) {
        int64_t ex = cx + round_half_away(std::cos(angle) * rx);
        int64_t ey = cy - round_half_away(std::sin(angle) * ry);
        line_pixels(*img, r, cx, cy, ex, ey, c, solid);
    };
    if (start_line) radius_line(start);
    if (end_line) radius_line(end);
}

int64_t point_color(double x, double y) {
    if (error_pending()) return 0;
    const Image* img = role_image(source_image, true);
    if (!img) return 0;
    if (img->text_screen) {
        raise_error(5);
        return 0;
    }
    int32_t px = to_pixel(x), py = to_pixel(y);
    if (!inside(view_rect(*img), px, py)) return -1;
    size_t at = size_t(py) * img->width + size_t(px);
    if (img->bytes_per_pixel == 4) return reinterpret_cast<const uint32_t*>(img->pixels)[at];
    return img->pixels[at] & img->colour_mask;
}

}  // namespace rt
