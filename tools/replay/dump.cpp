#include "tools/replay/dump.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <string>

#include "game/state.h"
#include "runtime/graphics/graphics.h"
#include "runtime/platform/virtual/virtual.h"
#include "runtime/values/values.h"

namespace replay {

namespace {

void put_number(std::string& out, float v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", double(v));
    out += buffer;
}

void put_string(std::string& out, const rt::StrVal* s) {
    out += '"';
    for (uint32_t i = 0; s && i < s->length; ++i) {
        unsigned char c = s->text[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += char(c);
        }
    }
    out += '"';
}

}  // namespace

void write_state_line(std::FILE* out, int64_t frame) {
    using Kind = game::Variable::Kind;
    std::string line;
    line.reserve(8192);
    line += "{\"frame\":" + std::to_string(frame);
    line += ",\"screen\":\"";
    line += game::screen_name(game::screen.load());
    line += "\",\"rnd\":" + std::to_string(rt::random_state);
    line += ",\"ticks\":" + std::to_string(rt::virtual_platform::now());
    line += ",\"vars\":{";
    bool first = true;
    for (const game::Variable& v : game::variables()) {
        if (!first) line += ',';
        first = false;
        line += '"';
        line += v.name;
        line += "\":";
        switch (v.kind) {
            case Kind::number: put_number(line, static_cast<const game::Num*>(v.address)->value); break;
            case Kind::numbers: {
                const auto* a = static_cast<const game::NumArray*>(v.address);
                line += '[';
                for (uint32_t i = 0; i < a->count; ++i) {
                    if (i) line += ',';
                    put_number(line, a->data ? a->data[i].value : 0.0f);
                }
                line += ']';
                break;
            }
            case Kind::string: put_string(line, *static_cast<rt::StrVal* const*>(v.address)); break;
            case Kind::strings: {
                const auto* a = static_cast<const game::StrArray*>(v.address);
                line += '[';
                for (uint32_t i = 0; i < a->count; ++i) {
                    if (i) line += ',';
                    put_string(line, a->data ? a->data[i] : nullptr);
                }
                line += ']';
                break;
            }
        }
    }
    line += "}}\n";
    std::fwrite(line.data(), 1, line.size(), out);
}

void copy_page(PageCopy& copy) {
    const rt::Image& page = rt::image(rt::display_page);
    copy.width = page.width;
    copy.height = page.height;
    if (!page.pixels || !page.palette || page.bytes_per_pixel != 1) {
        copy.pixels.clear();
        return;
    }
    copy.pixels.assign(page.pixels, page.pixels + size_t(page.width) * page.height);
    std::copy(page.palette, page.palette + 256, copy.palette.begin());
}

bool save_page_png(const std::string& path) {
    PageCopy copy;
    copy_page(copy);
    return save_png(path, copy);
}

bool save_png(const std::string& path, const PageCopy& page) {
    if (page.pixels.empty()) return false;
    std::array<png_color, 256> colours;
    for (size_t i = 0; i < colours.size(); ++i) {
        uint32_t c = page.palette[i];
        colours[i] = {png_byte(c >> 16), png_byte(c >> 8), png_byte(c)};
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(page.width), png_uint_32(page.height), 8, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, colours.data(), 256);
    png_write_info(png, info);
    for (int y = 0; y < page.height; ++y) png_write_row(png, page.pixels.data() + size_t(y) * size_t(page.width));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

}  // namespace replay
