#include "assets/generator/icon.h"

#include <png.h>

#include <cstdio>
#include <iterator>
#include <utility>
#include <sstream>

namespace assets {

namespace {

constexpr Rgb sky{0xA0, 0xE0, 0xFF}, sea{0x00, 0x55, 0xAA}, sail{0xFF, 0xFF, 0xFF};
constexpr Rgb hull{0xC0, 0x20, 0x20}, mast{0x60, 0x40, 0x20}, flag{0xFF, 0xC0, 0x00};

Shape polygon(Rgb colour, std::vector<Point> points) { return {colour, std::move(points)}; }
Shape box(Rgb colour, double x0, double y0, double x1, double y1) {
    return polygon(colour, {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
}

bool inside(const Shape& s, double x, double y) {
    if (s.points.empty()) {
        double dx = (x - s.centre.x) / s.rx, dy = (y - s.centre.y) / s.ry;
        return dx * dx + dy * dy <= 1;
    }
    bool in = false;
    for (size_t i = 0, j = s.points.size() - 1; i < s.points.size(); j = i++) {
        const Point &a = s.points[i], &b = s.points[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
    }
    return in;
}

std::string hex(Rgb c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

bool write_png(const std::string& path, int size, const std::vector<uint8_t>& rgb) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        std::perror(path.c_str());
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    if (info && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, out);
        png_set_compression_level(png, 9);
        png_set_IHDR(png, info, png_uint_32(size), png_uint_32(size), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < size; ++y) png_write_row(png, rgb.data() + size_t(y) * size * 3);
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    ok = std::fclose(out) == 0 && ok;
    if (!ok) std::fprintf(stderr, "%s: cannot write the icon\n", path.c_str());
    return ok;
}

void put16(std::string& out, unsigned v) { out += char(v & 255), out += char(v >> 8 & 255); }
void put32(std::string& out, unsigned v) { put16(out, v & 0xFFFF), put16(out, v >> 16); }

}  // namespace

std::string icon_ico() {
    // Uncompressed 32-bit bitmaps, which every Windows reads: rows bottom up in
    // blue, green, red, alpha, then the AND mask (all shown).
    std::string header, images;
    put16(header, 0), put16(header, 1), put16(header, std::size(ico_sizes));
    const unsigned first = 6 + 16 * std::size(ico_sizes);
    for (int size : ico_sizes) {
        const unsigned mask_row = (size + 31) / 32 * 4;
        const unsigned bytes = 40 + size * size * 4 + mask_row * size;
        header += char(size & 255), header += char(size & 255), header += '\0', header += '\0';
        put16(header, 1), put16(header, 32), put32(header, bytes), put32(header, first + images.size());
        put32(images, 40), put32(images, size), put32(images, 2 * size), put16(images, 1), put16(images, 32);
        put32(images, 0), put32(images, bytes - 40), put32(images, 0), put32(images, 0);
        put32(images, 0), put32(images, 0);
        const std::vector<uint8_t> rgb = render_icon(size);
        for (int y = size - 1; y >= 0; --y)
            for (int x = 0; x < size; ++x) {
                const uint8_t* p = rgb.data() + (size_t(y) * size + x) * 3;
                images += char(p[2]), images += char(p[1]), images += char(p[0]), images += char(255);
            }
        images.append(size_t(mask_row) * size, '\0');
    }
    return header + images;
}

std::vector<Shape> icon_shapes() {
    std::vector<Shape> shapes{
        box(sky, 0, 0, 32, 22),
        box(sea, 0, 22, 32, 32),
    };
    // Wave crests in the sky's colour.
    const Point crests[] = {{2, 24}, {11, 24}, {21, 24}, {30, 24}, {5, 26},
                            {15, 26}, {25, 26}, {3, 29}, {13, 29}, {23, 29}};
    for (Point p : crests) shapes.push_back({sky, {}, {p.x + 0.5, p.y + 0.5}, 0.7, 0.4});
    shapes.push_back(box(mast, 15, 2, 16, 19));
    shapes.push_back(polygon(flag, {{15, 2}, {17, 2}, {18, 4}, {15, 4}}));
    // Mainsail and jib: edges of slope one, apexes a little off the pixel
    // centres so that no centre lies on an edge.
    shapes.push_back(polygon(sail, {{15, 4.6}, {15, 18}, {1.6, 18}}));
    shapes.push_back(polygon(sail, {{17, 7.6}, {17, 18}, {27.4, 18}}));
    shapes.push_back(polygon(hull, {{2.5, 19}, {29.5, 19}, {25.5, 23}, {6.5, 23}}));
    return shapes;
}

std::vector<uint8_t> render_icon(int size) {
    const std::vector<Shape> shapes = icon_shapes();
    // One sample per pixel centre at the design size; 4 by 4 above it.
    const int n = size <= 32 ? 1 : 4;
    const double unit = 32.0 / size;
    std::vector<uint8_t> rgb(size_t(size) * size * 3);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int sum[3] = {0, 0, 0};
            for (int sy = 0; sy < n; ++sy)
                for (int sx = 0; sx < n; ++sx) {
                    double px = (x + (sx + 0.5) / n) * unit, py = (y + (sy + 0.5) / n) * unit;
                    Rgb c{0, 0, 0};
                    for (const Shape& s : shapes)
                        if (inside(s, px, py)) c = s.colour;
                    sum[0] += c.r;
                    sum[1] += c.g;
                    sum[2] += c.b;
                }
            uint8_t* out = rgb.data() + (size_t(y) * size + x) * 3;
            for (int i = 0; i < 3; ++i) out[i] = uint8_t((sum[i] + n * n / 2) / (n * n));
        }
    return rgb;
}

std::string icon_svg() {
    std::ostringstream svg;
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"128\" height=\"128\" viewBox=\"0 0 32 32\">\n"
           "  <title>Supervivedas</title>\n";
    for (const Shape& s : icon_shapes()) {
        if (s.points.empty()) {
            svg << "  <ellipse cx=\"" << s.centre.x << "\" cy=\"" << s.centre.y << "\" rx=\"" << s.rx
                << "\" ry=\"" << s.ry << "\" fill=\"" << hex(s.colour) << "\"/>\n";
            continue;
        }
        svg << "  <polygon points=\"";
        for (size_t i = 0; i < s.points.size(); ++i)
            svg << (i ? " " : "") << s.points[i].x << "," << s.points[i].y;
        svg << "\" fill=\"" << hex(s.colour) << "\"/>\n";
    }
    svg << "</svg>\n";
    return svg.str();
}

bool write_icons(const std::string& folder) {
    bool ok = true;
    for (int size : icon_sizes)
        ok = write_png(folder + "/supervivedas_" + std::to_string(size) + ".png", size, render_icon(size)) && ok;
    for (const auto& [name, text] : {std::pair{"supervivedas.svg", icon_svg()}, std::pair{"supervivedas.ico", icon_ico()}}) {
        const std::string path = folder + "/" + name;
        FILE* out = std::fopen(path.c_str(), "wb");
        bool written = out && std::fwrite(text.data(), 1, text.size(), out) == text.size();
        written = out && std::fclose(out) == 0 && written;
        if (!written) std::perror(path.c_str());
        ok = ok && written;
    }
    return ok;
}

}  // namespace assets
