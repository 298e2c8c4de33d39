#include "tools/replay/dump.h"

#include <algorithm>
#include <array>
#include <string>

#include "game/state.h"
#include "runtime/graphics/graphics.h"
#include "runtime/platform/virtual/virtual.h"
#include "runtime/values/values.h"
#include "tools/page_png/page_png.h"

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
    const rt::Image& page = rt::image(rt::display_page);
    if (!page.pixels || !page.palette || page.bytes_per_pixel != 1) return false;
    return page_png::write_indexed(path, {page.width, page.height, page.pixels, page.width, page.palette});
}

bool save_png(const std::string& path, const PageCopy& page) {
    if (page.pixels.empty()) return false;
    return page_png::write_indexed(path, {page.width, page.height, page.pixels.data(), size_t(page.width),
                                          page.palette.data()});
}

}  // namespace replay
