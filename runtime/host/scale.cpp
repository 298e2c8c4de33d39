// A 32-bit picture scaled onto the window: whole screen pixels for every page
// pixel, and where the size is not a whole multiple, one pixel blended half and
// half between two neighbours instead of one of them drawn a pixel wider. No
// page pixel is lost or doubled unevenly, and nothing gets soft but those
// single seams. Smaller screens than pictures take the nearest page pixel.
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "runtime/host/display_internal.h"

namespace rt {

namespace {

// The mean of two 0xAARRGGBB words, channel by channel, rounded down.
inline uint32_t half_and_half(uint32_t a, uint32_t b) { return (a & b) + (((a ^ b) & 0xFEFEFEFEu) >> 1); }

}  // namespace

ScaleAxis make_scale_axis(int32_t page, int32_t screen) {
    ScaleAxis axis;
    axis.page = std::max(page, 1);
    axis.screen = std::max(screen, 1);
    const int32_t n = axis.page, m = axis.screen;
    axis.whole = m / n;
    axis.source.resize(size_t(m));
    axis.seam.assign(size_t(m), 0);
    axis.seam_after.assign(size_t(n), 0);
    axis.first.resize(size_t(n));
    axis.end.resize(size_t(n));
    if (axis.whole == 0) {
        // Fewer screen pixels than page pixels: each takes the page pixel at its centre.
        for (int32_t j = 0; j < m; ++j)
            axis.source[size_t(j)] = int32_t((int64_t{2} * j + 1) * n / (int64_t{2} * m));
        int32_t j = 0;
        for (int32_t i = 0; i < n; ++i) {
            while (j < m && axis.source[size_t(j)] < i) ++j;
            axis.first[size_t(i)] = j;
        }
        for (int32_t i = 0; i < n; ++i) axis.end[size_t(i)] = i + 1 < n ? axis.first[size_t(i) + 1] : m;
        return axis;
    }
    // The screen pixels left over after `whole` for each page pixel become
    // seams, spread evenly over the n - 1 places between page pixels.
    const int64_t seams = m % n, places = n - 1;
    int32_t j = 0;
    for (int32_t i = 0; i < n; ++i) {
        const bool seam_before = i > 0 && axis.seam[size_t(j) - 1];
        axis.first[size_t(i)] = j - (seam_before ? 1 : 0);
        for (int32_t t = 0; t < axis.whole; ++t) axis.source[size_t(j++)] = i;
        const bool seam_after = i < n - 1 && (int64_t{i + 1} * seams + places / 2) / places !=
                                                 (int64_t{i} * seams + places / 2) / places;
        if (seam_after) {
            axis.seam_after[size_t(i)] = 1;
            axis.source[size_t(j)] = i;
            axis.seam[size_t(j++)] = 1;
        }
        axis.end[size_t(i)] = j;
    }
    return axis;
}

namespace {

// Stores words the processor need not read first: a large picture goes to
// memory at twice the speed, and leaves the cache to what is used again.
NOT_RACE_CHECKED void store_row(uint32_t* d, const uint32_t* s, size_t n, bool stream) {
#if defined(__SSE2__)
    if (stream) {
        size_t i = 0;
        for (; i < n && (reinterpret_cast<uintptr_t>(d + i) & 15) != 0; ++i) d[i] = s[i];
        for (; i + 4 <= n; i += 4)
            _mm_stream_si128(reinterpret_cast<__m128i*>(d + i), _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
        for (; i < n; ++i) d[i] = s[i];
        return;
    }
#endif
    (void)stream;
    std::memcpy(d, s, n * sizeof(uint32_t));
}

// Page row `row` scaled across into `out`: screen columns [x0, x1).
NOT_RACE_CHECKED void scale_row(const ScaleAxis& across, const uint32_t* s, int32_t x0, int32_t x1, const Band& band, uint32_t* out) {
    uint32_t* d = out;
    if (across.whole == 0) {
        for (int32_t x = x0; x < x1; ++x) *d++ = s[across.source[size_t(x)]];
        return;
    }
    // Runs of `whole` copies of each page pixel, and the seams between.
    if (band.left > 0 && across.seam_after[size_t(band.left) - 1]) *d++ = half_and_half(s[band.left - 1], s[band.left]);
    for (int32_t i = band.left; i < band.right; ++i) {
        const uint32_t v = s[i];
        for (int32_t t = 0; t < across.whole; ++t) *d++ = v;
        if (across.seam_after[size_t(i)]) *d++ = half_and_half(v, s[i + 1]);
    }
}

}  // namespace

NOT_RACE_CHECKED ScreenRect scale_picture(const ScaleAxis& across, const ScaleAxis& down, const uint32_t* picture,
                                          size_t picture_stride, const Band& band, uint32_t* origin, size_t stride) {
    const int32_t x0 = across.first[size_t(band.left)], x1 = across.end[size_t(band.right) - 1];
    const int32_t y0 = down.first[size_t(band.first)], y1 = down.end[size_t(band.end) - 1];
    const size_t width = size_t(x1 - x0);
    const bool stream = size_t(y1 - y0) * width >= (size_t{1} << 18);
    // Two page rows scaled across, as the screen rows need them: a seam row is
    // the mean of the rows on either side.
    static std::vector<uint32_t> scaled[2], seam_row;
    static int32_t held[2];
    held[0] = held[1] = -1;
    for (auto& r : scaled) r.resize(width);
    seam_row.resize(width);
    const auto row_scaled = [&](int32_t row, int32_t keep) -> const uint32_t* {
        for (int32_t b = 0; b < 2; ++b)
            if (held[b] == row) return scaled[b].data();
        const int32_t b = held[0] == keep ? 1 : 0;
        held[b] = row;
        scale_row(across, picture + size_t(row) * picture_stride, x0, x1, band, scaled[b].data());
        return scaled[b].data();
    };
    for (int32_t y = y0; y < y1; ++y) {
        uint32_t* d = origin + size_t(y) * stride + x0;
        const int32_t row = down.source[size_t(y)];
        if (!down.seam[size_t(y)]) {
            store_row(d, row_scaled(row, -1), width, stream);
            continue;
        }
        const uint32_t* above = row_scaled(row, -1);
        const uint32_t* below = row_scaled(row + 1, row);
        for (size_t x = 0; x < width; ++x) seam_row[x] = half_and_half(above[x], below[x]);
        store_row(d, seam_row.data(), width, stream);
    }
#if defined(__SSE2__)
    if (stream) _mm_sfence();  // the streamed words reach memory before the window is told
#endif
    return {x0, y0, x1 - x0, y1 - y0};
}

}  // namespace rt
