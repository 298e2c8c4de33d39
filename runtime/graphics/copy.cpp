// Image copy: whole images to a point (the sprite path), rectangles 1 to 1,
// mirrored and scaled, skipping the source's clear colour; and set_clear_color.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "runtime/graphics/graphics.h"
#include "runtime/graphics/graphics_internal.h"
#include "runtime/core/core.h"

namespace rt {

using namespace graphics_detail;

namespace {

// Source over destination by the source's alpha.
inline uint32_t blend(uint32_t dst, uint32_t src) {
    uint32_t a = src >> 24;
    if (a == 255) return src;
    if (a == 0) return dst;
    uint32_t inv = 255 - a;
    auto channel = [&](int shift) {
        uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
        return ((s * a + d * inv + 127) / 255) << shift;
    };
    uint32_t out_alpha = a + ((dst >> 24) * inv + 127) / 255;
    return out_alpha << 24 | channel(16) | channel(8) | channel(0);
}

enum class Kind { palette, palette_to_argb, argb_blend, argb_plain };

struct Copy {
    const Image& src;
    Image& dst;
    Kind kind;
    uint32_t clear;  // no_clear_colour when nothing is skipped
};

inline void copy_pixel(const Copy& c, size_t s, size_t d) {
    switch (c.kind) {
        case Kind::palette: {
            uint8_t v = c.src.pixels[s];
            if (v != c.clear) c.dst.pixels[d] = v;
            break;
        }
        case Kind::palette_to_argb: {
            uint8_t v = c.src.pixels[s];
            if (v != c.clear) reinterpret_cast<uint32_t*>(c.dst.pixels)[d] = c.src.palette[v];
            break;
        }
        case Kind::argb_blend: {
            uint32_t* out = reinterpret_cast<uint32_t*>(c.dst.pixels) + d;
            *out = blend(*out, reinterpret_cast<const uint32_t*>(c.src.pixels)[s]);
            break;
        }
        case Kind::argb_plain:
            reinterpret_cast<uint32_t*>(c.dst.pixels)[d] =
                reinterpret_cast<const uint32_t*>(c.src.pixels)[s];
            break;
    }
}

// A row of palette indices over another, leaving the destination where the
// source holds `clear`. With GCC's vector types (GCC and clang), sixteen bytes
// at a time as a compare and a select, so that it costs the same whether or
// not the compiler vectorises loops itself; elsewhere, and for the last bytes,
// one byte at a time, which gives the same bytes.
void copy_skipping(uint8_t* out, const uint8_t* in, size_t n, uint8_t clear) {
    size_t i = 0;
#if defined(__GNUC__)
    using Bytes = uint8_t __attribute__((vector_size(16)));
    const Bytes skip = Bytes{} + clear;
    for (; i + 16 <= n; i += 16) {
        Bytes src, dst;
        std::memcpy(&src, in + i, 16);
        std::memcpy(&dst, out + i, 16);
        const Bytes keep = (Bytes)(src == skip);  // all ones where the pixel is clear
        const Bytes mixed = (dst & keep) | (src & ~keep);
        std::memcpy(out + i, &mixed, 16);
    }
#endif
    for (; i < n; ++i) out[i] = in[i] == clear ? out[i] : in[i];
}

// One run of `n` pixels from source offset `s` to destination offset `d`; each
// kind has its own loop so that the sprite path stays a plain compare and store.
inline void copy_run(const Copy& c, size_t s, size_t d, size_t n) {
    const uint8_t* in = c.src.pixels + s;
    switch (c.kind) {
        case Kind::palette: {
            uint8_t* out = c.dst.pixels + d;
            if (c.clear == no_clear_colour) {
                std::memcpy(out, in, n);
            } else {
                copy_skipping(out, in, n, uint8_t(c.clear));
            }
            break;
        }
        case Kind::argb_plain:
            std::memcpy(c.dst.pixels + 4 * d, c.src.pixels + 4 * s, 4 * n);
            break;
        default:
            for (size_t i = 0; i < n; ++i) copy_pixel(c, s + i, d + i);
            break;
    }
}

// A span of one axis of a 1 to 1 copy after clipping against both images.
struct Span {
    int64_t d, s, n;
};
bool clip_span(int64_t d, int64_t s, int64_t n, int64_t d_size, int64_t s_size, Span& out) {
    int64_t cut = std::max<int64_t>({0, -d, -s});
    d += cut;
    s += cut;
    n -= cut;
    n = std::min({n, d_size - d, s_size - s});
    if (n <= 0) return false;
    out = {d, s, n};
    return true;
}

// One axis of a general copy: source span, destination span (both ascending),
// mirroring, and the sampling step when the spans differ.
struct Axis {
    int64_t s_lo, s_hi, d_lo, d_hi;
    bool mirror;
    double start = 0, step = 0;
    bool scaled() const { return s_hi - s_lo != d_hi - d_lo; }
};

Axis make_axis(int64_t s1, int64_t s2, int64_t d1, int64_t d2) {
    Axis a{std::min(s1, s2), std::max(s1, s2), std::min(d1, d2), std::max(d1, d2),
           (s1 > s2) != (d1 > d2)};
    if (a.scaled()) {
        // Nearest sampling: the source span widened by just under half a pixel at
        // each end, spread evenly over the destination pixels.
        a.start = double(a.s_lo) - 0.499999;
        int64_t d_span = a.d_hi - a.d_lo;
        a.step = d_span == 0 ? 0 : (double(a.s_hi - a.s_lo) + 0.999998) / double(d_span);
        if (d_span == 0) a.start = double(a.s_lo);
    }
    return a;
}

// Source coordinate of destination coordinate `d`.
inline int64_t source_of(const Axis& a, int64_t d) {
    int64_t k = a.mirror ? a.d_hi - d : d - a.d_lo;
    if (!a.scaled()) return a.s_lo + k;
    return int64_t(std::floor(a.start + double(k) * a.step + 0.5));
}

void copy_rects(const Copy& c, const Axis& ax, const Axis& ay) {
    const int64_t sw = c.src.width, sh = c.src.height, dw = c.dst.width, dh = c.dst.height;
    if (!ax.mirror && !ay.mirror && !ax.scaled() && !ay.scaled()) {
        // The sprite path: whole rows, no per-pixel mapping.
        Span x, y;
        if (!clip_span(ax.d_lo, ax.s_lo, ax.d_hi - ax.d_lo + 1, dw, sw, x)) return;
        if (!clip_span(ay.d_lo, ay.s_lo, ay.d_hi - ay.d_lo + 1, dh, sh, y)) return;
        for (int64_t row = 0; row < y.n; ++row)
            copy_run(c, size_t((y.s + row) * sw + x.s), size_t((y.d + row) * dw + x.d),
                     size_t(x.n));
        return;
    }
    // Mirrored or scaled: map every destination pixel, dropping those whose
    // source falls outside the source image.
    int64_t y_first = std::max<int64_t>(ay.d_lo, 0), y_last = std::min(ay.d_hi, dh - 1);
    int64_t x_first = std::max<int64_t>(ax.d_lo, 0), x_last = std::min(ax.d_hi, dw - 1);
    for (int64_t y = y_first; y <= y_last; ++y) {
        int64_t sy = source_of(ay, y);
        if (sy < 0 || sy >= sh) continue;
        for (int64_t x = x_first; x <= x_last; ++x) {
            int64_t sx = source_of(ax, x);
            if (sx < 0 || sx >= sw) continue;
            copy_pixel(c, size_t(sy * sw + sx), size_t(y * dw + x));
        }
    }
}

Image* chosen(bool given, int32_t handle, int32_t role) {
    return given ? image_of_handle(handle) : role_image(role, true);
}

}  // namespace

void put_image(double x1, double y1, double x2, double y2, int32_t source, int32_t destination,
               double sx1, double sy1, double sx2, double sy2, uint32_t presence) {
    // No pending-error test: a copy still happens in a step after a failure.
    Image* src = chosen(presence & put_source_handle, source, source_image);
    if (!src) return;
    Image* dst = chosen(presence & put_dest_handle, destination, destination_image);
    if (!dst) return;
    if (src->text_screen || dst->text_screen || src == dst ||
        (src->bytes_per_pixel == 4 && dst->bytes_per_pixel == 1)) {
        raise_error(5);
        return;
    }
    const bool d1 = presence & put_dest_corner_1, d2 = presence & put_dest_corner_2;
    const bool s1 = presence & put_source_corner_1, s2 = presence & put_source_corner_2;
    if (s1 && !s2 && !d2) {
        raise_error(5);
        return;
    }

    // Corners not given are 0.
    const int64_t X1 = d1 ? to_pixel(x1) : 0, Y1 = d1 ? to_pixel(y1) : 0;
    const int64_t X2 = d2 ? to_pixel(x2) : 0, Y2 = d2 ? to_pixel(y2) : 0;
    const int64_t SX1 = s1 ? to_pixel(sx1) : 0, SY1 = s1 ? to_pixel(sy1) : 0;
    const int64_t SX2 = s2 ? to_pixel(sx2) : 0, SY2 = s2 ? to_pixel(sy2) : 0;
    const int64_t sw = src->width, sh = src->height, dw = dst->width, dh = dst->height;

    Axis ax{}, ay{};
    if (d2 && s1 && !s2) {
        // The source rectangle starts at its corner and takes the destination's size.
        ax = make_axis(SX1, SX1 + std::abs(X2 - X1), X1, X2);
        ay = make_axis(SY1, SY1 + std::abs(Y2 - Y1), Y1, Y2);
    } else {
        // The source rectangle: as given, else the whole source.
        int64_t a = 0, b = 0, c = sw - 1, d = sh - 1;
        if (s2) a = SX1, b = SY1, c = SX2, d = SY2;
        if (d2) {
            ax = make_axis(a, c, X1, X2);
            ay = make_axis(b, d, Y1, Y2);
        } else if (d1) {
            // To a point at the source rectangle's own size.
            ax = make_axis(a, c, X1, X1 + std::abs(c - a));
            ay = make_axis(b, d, Y1, Y1 + std::abs(d - b));
        } else {
            ax = make_axis(a, c, 0, dw - 1);
            ay = make_axis(b, d, 0, dh - 1);
        }
    }

    Kind kind = Kind::palette;
    if (dst->bytes_per_pixel == 4)
        kind = src->bytes_per_pixel == 1            ? Kind::palette_to_argb
               : (src->alpha_off || dst->alpha_off) ? Kind::argb_plain
                                                    : Kind::argb_blend;
    uint32_t clear = src->bytes_per_pixel == 1 ? src->clear_colour : no_clear_colour;
    copy_rects(Copy{*src, *dst, kind, clear}, ax, ay);
}

void set_clear_color(bool none_form, uint32_t colour, int32_t handle, uint32_t presence) {
    if (error_pending()) return;
    Image* img = (presence & 2) ? image_of_handle(handle) : role_image(destination_image, true);
    if (!img) return;
    const bool colour_given = presence & 1;
    if (img->text_screen) {
        if (!(none_form && !colour_given)) raise_error(5);
        return;
    }
    if (img->bytes_per_pixel == 1) {
        if (none_form && !colour_given)
            img->clear_colour = no_clear_colour;
        else if (!none_form && colour_given && colour < 256)
            img->clear_colour = colour;
        else
            raise_error(5);
        return;
    }
    if (none_form && !colour_given) return;
    if (none_form || !colour_given) {
        raise_error(5);
        return;
    }
    // 32-bit image: every pixel of that colour becomes fully transparent.
    uint32_t rgb = colour & 0xFFFFFFu;
    auto* p = reinterpret_cast<uint32_t*>(img->pixels);
    for (size_t i = 0, n = size_t(img->width) * img->height; i < n; ++i)
        if ((p[i] & 0xFFFFFFu) == rgb) p[i] = rgb;
}

}  // namespace rt
