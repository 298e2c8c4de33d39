// 8-bit pages (palette indices and 256 colours) written as PNG files: what the
// replay runner, the contact sheets and the text sheet save of what the game shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace page_png {

// A rectangle of a page: `height` rows of `width` indices, `stride` bytes apart,
// and the page's colours as 0xRRGGBB (a top byte is ignored).
struct Page {
    int width = 0, height = 0;
    const uint8_t* pixels = nullptr;
    size_t stride = 0;
    const uint32_t* palette = nullptr;
};

// An 8-bit palette PNG with the indices kept; false on failure.
bool write_indexed(const std::string& path, const Page& page);
// A 24-bit RGB PNG, each pixel drawn as a scale x scale block; false on failure.
bool write_rgb(const std::string& path, const Page& page, int scale = 1);

}  // namespace page_png
