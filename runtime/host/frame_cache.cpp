// The frame cache and the search for changed rows and pieces of rows.
#include "runtime/host/frame_cache.h"

#include <algorithm>
#include <cstring>

namespace rt {

FrameCache frame_cache;

namespace {

// Unchanged runs shorter than this between two changed rows are sent along:
// fewer, larger rectangles cost the window system less than many thin ones.
constexpr int32_t band_gap = 4;
// Changed columns are found in pieces of this many pixels, as wide as a step of
// the fast conversion.
constexpr int32_t band_piece = 64;

size_t palette_entries(const Image& page) {
    return page.bits_per_pixel >= 8 ? 256 : size_t{1} << page.bits_per_pixel;
}

bool cache_matches_layout(const Image& page) {
    size_t size = static_cast<size_t>(page.width) * page.height;
    return frame_cache.size == size && std::memcmp(frame_cache.palette.data(), palette_of(page),
                                                   palette_entries(page) * sizeof(uint32_t)) == 0;
}

// The pieces [left, right) of two rows that are known to differ, from the first
// piece that differs to the last.
void differing_columns(const uint8_t* a, const uint8_t* b, int32_t width, int32_t& left, int32_t& right) {
    left = 0;
    while (left + band_piece < width && std::memcmp(a + left, b + left, band_piece) == 0) left += band_piece;
    right = width;
    for (;;) {
        const int32_t start = std::max(left, (right - 1) / band_piece * band_piece);
        if (start == left || std::memcmp(a + start, b + start, size_t(right - start)) != 0) return;
        right = start;
    }
}

void remember_palette(const Image& page) {
    size_t size = static_cast<size_t>(page.width) * page.height;
    frame_cache.pixels.resize(size);  // keeps its capacity
    frame_cache.size = size;
    std::copy_n(palette_of(page), palette_entries(page), frame_cache.palette.begin());
}

void remember_rows(const Image& page, const Band& band) {
    for (int32_t row = band.first; row < band.end; ++row) {
        const size_t at = static_cast<size_t>(row) * page.width + band.left;
        std::memcpy(frame_cache.pixels.data() + at, page.pixels + at, size_t(band.right - band.left));
    }
}

}  // namespace

const uint32_t* palette_of(const Image& page) {
    return page.palette ? page.palette : default_palette.data();
}

void compare_with_cache(const Image& page, std::vector<Band>& bands, bool take) {
    bands.clear();
    if (!cache_matches_layout(page)) {
        bands.push_back(whole_band(page));
        if (take) {
            remember_palette(page);
            remember_rows(page, bands.back());
        }
        return;
    }
    const size_t width = page.width;
    for (int32_t row = 0; row < page.height; ++row) {
        const size_t at = row * width;
        uint8_t* cached = frame_cache.pixels.data() + at;
        const uint8_t* now = page.pixels + at;
        if (std::memcmp(cached, now, width) == 0) continue;
        int32_t left, right;
        differing_columns(cached, now, page.width, left, right);
        if (take) std::memcpy(cached + left, now + left, size_t(right - left));
        if (!bands.empty() && row - bands.back().end < band_gap) {
            Band& band = bands.back();
            band.end = row + 1;
            band.left = std::min(band.left, left);
            band.right = std::max(band.right, right);
        } else {
            bands.push_back({row, row + 1, left, right});
        }
    }
}

}  // namespace rt
