// The frame cache: the palette page as the window last showed it (or is about
// to), and the search for what a new page changes. The display update compares
// with it and takes the changes in, to convert only those; display_now does so
// on the program thread, while no frame is waiting and the
// game does not present by itself, so that the two threads never use it at once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/graphics/graphics.h"

namespace rt {

struct FrameCache {
    std::vector<uint8_t> pixels;
    std::array<uint32_t, 256> palette{};
    size_t size = 0;  // 0: nothing cached, the next page is sent whole
};
extern FrameCache frame_cache;

// Rows [first, end) and columns [left, right) of a palette page that hold
// every difference from the frame cache in those rows.
struct Band {
    int32_t first = 0, end = 0;
    int32_t left = 0, right = 0;
};

inline Band whole_band(const Image& page) { return {0, page.height, 0, page.width}; }

// The page's palette, or the default one for a page without its own.
const uint32_t* palette_of(const Image& page);

// The bands of `page` that differ from the frame cache, the whole page when the
// cache holds another size or palette. With `take`, what differs is copied into
// the cache as it is found.
void compare_with_cache(const Image& page, std::vector<Band>& bands, bool take);

}  // namespace rt
