#include "tools/page_png/page_png.h"

#include <png.h>

#include <array>
#include <cstdio>
#include <vector>

namespace page_png {

namespace {

// Writes a PNG of `width` x `height` whose rows `fill_row` makes; `colours`
// non-null makes it a palette PNG.
template <class FillRow>
bool write(const std::string& path, int width, int height, int colour_type, const png_color* colours,
           size_t row_bytes, FillRow fill_row) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row(row_bytes);
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, colour_type, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colours) png_set_PLTE(png, info, colours, 256);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, fill_row(y, row.data()));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

}  // namespace

bool write_indexed(const std::string& path, const Page& page) {
    if (!page.pixels || !page.palette) return false;
    std::array<png_color, 256> colours;
    for (size_t i = 0; i < colours.size(); ++i) {
        const uint32_t c = page.palette[i];
        colours[i] = {png_byte(c >> 16), png_byte(c >> 8), png_byte(c)};
    }
    return write(path, page.width, page.height, PNG_COLOR_TYPE_PALETTE, colours.data(), 0,
                 [&](int y, png_byte*) -> const png_byte* { return page.pixels + size_t(y) * page.stride; });
}

bool write_rgb(const std::string& path, const Page& page, int scale) {
    if (!page.pixels || !page.palette || scale < 1) return false;
    const int width = page.width * scale;
    return write(path, width, page.height * scale, PNG_COLOR_TYPE_RGB, nullptr, size_t(width) * 3,
                 [&](int y, png_byte* row) -> const png_byte* {
                     const uint8_t* source = page.pixels + size_t(y / scale) * page.stride;
                     for (int x = 0; x < width; ++x) {
                         const uint32_t c = page.palette[source[x / scale]];
                         row[size_t(x) * 3] = png_byte(c >> 16);
                         row[size_t(x) * 3 + 1] = png_byte(c >> 8);
                         row[size_t(x) * 3 + 2] = png_byte(c);
                     }
                     return row;
                 });
}

}  // namespace page_png
