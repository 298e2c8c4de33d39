// Turns Linux console fonts (PSF 1 or 2, plain or gzip-compressed) into the
// constant code page 437 glyph tables of runtime/text/font_data.cpp.
//
//   psf_to_cpp --out <file.cpp> --tall <8x16 source>... --small <8x8 source>...
//   psf_to_cpp --check <source>...        coverage of code page 437 per font
//
// Every glyph is picked by its meaning, not its position: through the font's
// Unicode table, or through the order named after the file (path:cp865) for
// fonts without one. For each code the first source that has it wins, so a
// font that lacks a few shapes can be completed from a second one. Every code
// must be found; otherwise nothing is written and the missing codes are listed.
#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// Unicode meanings of the 256 codes of code page 437, the first entry
// preferred. Several codes are drawn under more than one name by different
// fonts (beta for sharp s, mu for micro, the empty set for phi, element-of for
// epsilon).
using CodePage = std::array<std::vector<uint32_t>, 256>;

const CodePage cp437 = [] {
    CodePage t{};
    const uint32_t low[32] = {0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
                              0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
                              0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
                              0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC};
    const uint32_t high[128] = {
        0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 80
        0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
        0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 90
        0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
        0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // A0
        0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
        0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0
        0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
        0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0
        0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
        0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0
        0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
        0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // E0
        0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
        0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // F0
        0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};
    for (int c = 0; c < 32; ++c) t[c] = {low[c]};
    for (int c = 32; c < 127; ++c) t[c] = {uint32_t(c)};
    t[127] = {0x2302};
    for (int c = 128; c < 256; ++c) t[c] = {high[c - 128]};
    t[0xE1].push_back(0x03B2);
    t[0xE6].push_back(0x03BC);
    t[0xED].insert(t[0xED].end(), {0x03D5, 0x2205});
    t[0xEE].push_back(0x2208);
    t[0xF9].push_back(0x00B7);
    return t;
}();

// The Nordic page: 437 with o-slash, O-slash and the currency sign in place of
// cent, yen and the right guillemet.
const CodePage cp865 = [] {
    CodePage t = cp437;
    t[0x9B] = {0x00F8};
    t[0x9D] = {0x00D8};
    t[0xAF] = {0x00A4};
    return t;
}();

// The multilingual page: 437 below 0x80 and its own upper half.
const CodePage cp850 = [] {
    CodePage t = cp437;
    const uint32_t high[128] = {
        0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 80
        0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
        0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 90
        0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,
        0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // A0
        0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
        0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,  // B0
        0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,
        0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,  // C0
        0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
        0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,  // D0
        0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
        0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,  // E0
        0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,
        0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,  // F0
        0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0};
    for (int c = 128; c < 256; ++c) t[c] = {high[c - 128]};
    return t;
}();

struct Font {
    int width = 0, height = 0, count = 0;
    int bytes_per_row = 0;
    std::vector<uint8_t> bitmaps;                 // count * height * bytes_per_row
    std::map<uint32_t, int> glyph_of;             // code point -> glyph index
    bool has_table = false;
};

bool read_file(const char* path, std::vector<uint8_t>& out) {
    gzFile f = gzopen(path, "rb");
    if (!f) return false;
    uint8_t buf[65536];
    int n;
    while ((n = gzread(f, buf, sizeof buf)) > 0) out.insert(out.end(), buf, buf + n);
    gzclose(f);
    return n == 0;
}

uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

// Decodes one UTF-8 sequence at p (< end); returns its length, 0 when malformed.
int utf8(const uint8_t* p, const uint8_t* end, uint32_t& cp) {
    int len = *p < 0x80 ? 1 : (*p & 0xE0) == 0xC0 ? 2 : (*p & 0xF0) == 0xE0 ? 3 : (*p & 0xF8) == 0xF0 ? 4 : 0;
    if (len == 0 || end - p < len) return 0;
    cp = len == 1 ? *p : *p & (0x7F >> len);
    for (int i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (p[i] & 0x3F);
    }
    return len;
}

bool parse_psf(const std::vector<uint8_t>& d, Font& font, std::string& why) {
    size_t table = 0;
    if (d.size() >= 4 && d[0] == 0x36 && d[1] == 0x04) {
        font.width = 8;
        font.height = d[3];
        font.count = (d[2] & 1) ? 512 : 256;
        font.has_table = (d[2] & 6) != 0;
        font.bytes_per_row = 1;
        table = 4 + size_t(font.count) * font.height;
        if (d.size() < table) return why = "truncated PSF1 glyphs", false;
        font.bitmaps.assign(d.begin() + 4, d.begin() + table);
        if (font.has_table) {
            int g = 0;
            bool in_sequence = false;
            for (size_t i = table; i + 1 < d.size() && g < font.count; i += 2) {
                uint16_t u = d[i] | d[i + 1] << 8;
                if (u == 0xFFFF) ++g, in_sequence = false;
                else if (u == 0xFFFE) in_sequence = true;
                else if (!in_sequence) font.glyph_of.emplace(u, g);
            }
        }
        return true;
    }
    if (d.size() >= 32 && le32(&d[0]) == 0x864AB572u) {
        uint32_t header = le32(&d[8]), flags = le32(&d[12]), count = le32(&d[16]);
        uint32_t size = le32(&d[20]), height = le32(&d[24]), width = le32(&d[28]);
        if (count == 0 || count > 65536 || height == 0 || height > 64 || width == 0 || width > 32)
            return why = "implausible PSF2 header", false;
        font.width = int(width);
        font.height = int(height);
        font.count = int(count);
        font.bytes_per_row = int((width + 7) / 8);
        if (size != uint32_t(font.bytes_per_row) * height) return why = "PSF2 glyph size mismatch", false;
        table = header + size_t(count) * size;
        if (d.size() < table) return why = "truncated PSF2 glyphs", false;
        font.bitmaps.assign(d.begin() + header, d.begin() + table);
        font.has_table = (flags & 1) != 0;
        if (font.has_table) {
            int g = 0;
            bool in_sequence = false;
            const uint8_t* end = d.data() + d.size();
            for (const uint8_t* p = d.data() + table; p < end && g < font.count;) {
                if (*p == 0xFF) { ++g, ++p, in_sequence = false; continue; }
                if (*p == 0xFE) { ++p, in_sequence = true; continue; }
                uint32_t cp;
                int len = utf8(p, end, cp);
                if (len == 0) return why = "malformed PSF2 Unicode table", false;
                if (!in_sequence) font.glyph_of.emplace(cp, g);
                p += len;
            }
        }
        return true;
    }
    return why = "not a PSF font", false;
}

// A source argument: a font file, optionally followed by ":cp437", ":cp850" or
// ":cp865" to name the order of a font that has no Unicode table (the order
// then replaces any table the font has).
struct Source {
    std::string path, order;
    Font font;
};

bool load(const std::string& argument, Source& source) {
    size_t colon = argument.rfind(':');
    source.path = argument.substr(0, colon);
    source.order = colon == std::string::npos ? "" : argument.substr(colon + 1);
    const CodePage* order = source.order == "cp437"   ? &cp437
                            : source.order == "cp850" ? &cp850
                            : source.order == "cp865" ? &cp865
                                                      : nullptr;
    std::vector<uint8_t> data;
    std::string why;
    Font& font = source.font;
    if (!source.order.empty() && !order) why = "unknown order " + source.order;
    else if (!read_file(source.path.c_str(), data)) why = "cannot read";
    else if (!parse_psf(data, font, why)) {}
    else if (font.width != 8) why = "glyphs are not 8 pixels wide";
    else if (!order && !font.has_table) why = "no Unicode table: name its order (path:cp437)";
    else {
        if (order) {
            // Every code's own first name before any other name, so that a
            // name shared by two codes goes to the code it belongs to.
            font.glyph_of.clear();
            for (size_t n = 0; n < 4; ++n)
                for (int c = 0; c < 256 && c < font.count; ++c)
                    if (n < (*order)[c].size()) font.glyph_of.emplace((*order)[c][n], c);
        }
        return true;
    }
    std::fprintf(stderr, "%s: %s\n", source.path.c_str(), why.c_str());
    return false;
}

// Where each code's glyph comes from: the first source that has a glyph of one
// of the code's names. Code 0 falls back to glyph 0 of the first source (blank
// in every console font) when no font names it.
struct Pick {
    int source = -1, glyph = -1;
};

std::array<Pick, 256> pick_glyphs(const std::vector<Source>& sources) {
    std::array<Pick, 256> picks{};
    for (int c = 0; c < 256; ++c)
        for (int s = 0; s < int(sources.size()) && picks[c].source < 0; ++s)
            for (uint32_t u : cp437[c]) {
                auto it = sources[s].font.glyph_of.find(u);
                if (it != sources[s].font.glyph_of.end()) {
                    picks[c] = {s, it->second};
                    break;
                }
            }
    if (picks[0].source < 0) picks[0] = {0, 0};
    return picks;
}

int count_missing(const std::array<Pick, 256>& picks) {
    int n = 0;
    for (int c = 0; c < 256; ++c)
        if (picks[c].source < 0) std::fprintf(stderr, "no glyph for code 0x%02X (U+%04X)\n", c, cp437[c][0]), ++n;
    return n;
}

// The provenance line of one source: which codes it gave and from which glyphs.
std::string provenance(const std::vector<Source>& sources, const std::array<Pick, 256>& picks, int s) {
    std::string moved;
    int given = 0;
    char buf[32];
    for (int c = 0; c < 256; ++c) {
        if (picks[c].source != s) continue;
        ++given;
        if (picks[c].glyph != c) {
            std::snprintf(buf, sizeof buf, " %02X<-%02X", c, picks[c].glyph);
            moved += buf;
        }
    }
    const Source& src = sources[s];
    size_t slash = src.path.rfind('/');
    std::string line = (slash == std::string::npos ? src.path : src.path.substr(slash + 1));
    line += src.order.empty() ? " (by its Unicode table)" : " (in " + src.order + " order)";
    line += ": " + std::to_string(given) + " codes";
    if (!moved.empty()) line += "; code<-glyph:" + moved;
    return line;
}

bool load_all(const std::vector<std::string>& arguments, std::vector<Source>& sources, int height) {
    for (const std::string& a : arguments) {
        sources.emplace_back();
        if (!load(a, sources.back())) return false;
        if (sources.back().font.height != height) {
            std::fprintf(stderr, "%s: %d rows, need %d\n", a.c_str(), sources.back().font.height, height);
            return false;
        }
    }
    return !sources.empty();
}

// One byte of packed bits per glyph row, leftmost pixel in bit 7.
std::vector<uint8_t> packed(const std::vector<Source>& sources, const std::array<Pick, 256>& picks, int height) {
    std::vector<uint8_t> out;
    for (int c = 0; c < 256; ++c) {
        const Font& f = sources[picks[c].source].font;
        for (int r = 0; r < height; ++r) out.push_back(f.bitmaps[(size_t(picks[c].glyph) * height + r) * f.bytes_per_row]);
    }
    return out;
}

void write_table(FILE* out, const char* name, const std::vector<uint8_t>& rows, int height) {
    std::fprintf(out, "const std::array<uint8_t, %zu> %s = {\n", rows.size(), name);
    for (int c = 0; c < 256; ++c) {
        std::fprintf(out, "   ");
        for (int r = 0; r < height; ++r) std::fprintf(out, " 0x%02X,", rows[size_t(c) * height + r]);
        std::fprintf(out, "  // %02X\n", c);
    }
    std::fprintf(out, "};\n");
}

int usage(const char* self) {
    std::fprintf(stderr,
                 "usage: %s --out <file.cpp> --tall <8x16 source>... --small <8x8 source>...\n"
                 "       %s --check <source>...\n"
                 "a source is a PSF file, optionally :cp437, :cp850 or :cp865 for a font without a table\n",
                 self, self);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string out_path;
    std::vector<std::string> tall_args, small_args, check_args;
    std::vector<std::string>* list = nullptr;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--out" && i + 1 < argc) out_path = argv[++i], list = nullptr;
        else if (a == "--tall") list = &tall_args;
        else if (a == "--small") list = &small_args;
        else if (a == "--check") list = &check_args;
        else if (list && a.rfind("--", 0) != 0) list->push_back(a);
        else return usage(argv[0]);
    }

    if (!check_args.empty()) {
        int status = 0;
        for (const std::string& a : check_args) {
            std::vector<Source> one(1);
            if (!load(a, one[0])) { status = 1; continue; }
            auto picks = pick_glyphs(one);
            int n = count_missing(picks);
            std::printf("%s: %dx%d, %d glyphs, %d of 256 codes; %s\n", a.c_str(), one[0].font.width,
                        one[0].font.height, one[0].font.count, 256 - n, provenance(one, picks, 0).c_str());
            if (n) status = 1;
        }
        return status;
    }
    if (out_path.empty() || tall_args.empty() || small_args.empty()) return usage(argv[0]);

    std::vector<Source> tall, small;
    if (!load_all(tall_args, tall, 16) || !load_all(small_args, small, 8)) return 1;
    auto tall_picks = pick_glyphs(tall), small_picks = pick_glyphs(small);
    if (count_missing(tall_picks) + count_missing(small_picks)) return 1;

    FILE* out = std::fopen(out_path.c_str(), "w");
    if (!out) return std::perror(out_path.c_str()), 1;
    std::fprintf(out,
                 "// Generated by tools/fonts/psf_to_cpp from Linux console fonts; FONTS.md\n"
                 "// tells where they come from and under which licence. Do not edit.\n"
                 "// Glyph n of code page 437: one byte per pixel row, leftmost pixel in bit 7.\n");
    for (size_t s = 0; s < tall.size(); ++s)
        std::fprintf(out, "// 8x16: %s\n", provenance(tall, tall_picks, int(s)).c_str());
    for (size_t s = 0; s < small.size(); ++s)
        std::fprintf(out, "// 8x8: %s\n", provenance(small, small_picks, int(s)).c_str());
    std::fprintf(out, "#include \"runtime/text/font_data.h\"\n\nnamespace rt::font_data {\n\n");
    write_table(out, "vga_8x16", packed(tall, tall_picks, 16), 16);
    std::fprintf(out, "\n");
    write_table(out, "vga_8x8", packed(small, small_picks, 8), 8);
    std::fprintf(out, "\n}  // namespace rt::font_data\n");
    return std::fclose(out) == 0 ? 0 : 1;
}
