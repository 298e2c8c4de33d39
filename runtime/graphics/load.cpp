// Image loading: SDL_image decodes, and the picture is matched to the palette of
// the destination image, with a spare palette index for transparent pixels.
#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "runtime/graphics/graphics.h"
#include "runtime/graphics/graphics_internal.h"
#include "runtime/core/core.h"
#include "runtime/values/values.h"

namespace rt {

using namespace graphics_detail;

namespace {

constexpr int32_t no_index = -1;

// Owns the decoded picture and its 32-bit form for the length of one load.
struct Surfaces {
    SDL_Surface* picture = nullptr;
    SDL_Surface* argb = nullptr;
    ~Surfaces() {
        if (argb) SDL_FreeSurface(argb);
        if (picture) SDL_FreeSurface(picture);
    }
};

// Red, green and blue bytes of up to 256 colours.
struct Colours {
    std::array<uint8_t, 256> r{}, g{}, b{};
    int32_t count = 0;
};

Colours colours_of(const uint32_t* palette, int32_t count) {
    Colours c;
    c.count = count;
    for (int32_t i = 0; i < count; ++i) {
        c.r[i] = uint8_t(palette[i] >> 16);
        c.g[i] = uint8_t(palette[i] >> 8);
        c.b[i] = uint8_t(palette[i]);
    }
    return c;
}

// Nearest entry by |dr| + |dg| + |db|; the lowest index wins a tie.
int32_t nearest(const Colours& to, int32_t r, int32_t g, int32_t b, int32_t excluded) {
    int32_t best = 0, best_distance = 1000;
    for (int32_t i = 0; i < to.count; ++i) {
        if (i == excluded) continue;
        int32_t d = std::abs(r - to.r[i]) + std::abs(g - to.g[i]) + std::abs(b - to.b[i]);
        if (d < best_distance) {
            best_distance = d;
            best = i;
        }
    }
    return best;
}

// The index used least often; the highest index wins a tie.
int32_t least_used(const std::array<uint32_t, 256>& uses, int32_t count) {
    int32_t best = 0;
    uint32_t best_uses = UINT32_MAX;
    for (int32_t i = 0; i < count; ++i) {
        if (uses[i] <= best_uses) {
            best_uses = uses[i];
            best = i;
        }
    }
    return best;
}

const uint32_t* argb_row(const SDL_Surface* s, int32_t y) {
    return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) +
                                             size_t(y) * s->pitch);
}
const uint8_t* byte_row(const SDL_Surface* s, int32_t y) {
    return static_cast<const uint8_t*>(s->pixels) + size_t(y) * s->pitch;
}

bool is_palette_picture(const SDL_Surface* s) {
    return s->format->BitsPerPixel == 8 && s->format->palette != nullptr;
}

// Colours of the picture's palette, entries past its size black.
Colours picture_colours(const SDL_Surface* s) {
    Colours c;
    const SDL_Palette* p = s->format->palette;
    int32_t n = p->ncolors < 256 ? p->ncolors : 256;
    for (int32_t i = 0; i < n; ++i) {
        c.r[i] = p->colors[i].r;
        c.g[i] = p->colors[i].g;
        c.b[i] = p->colors[i].b;
    }
    c.count = 256;
    return c;
}

// The first pixel that the 32-bit form shows transparent names the transparent
// index, if its index lies within the picture's palette.
int32_t transparent_index(const Surfaces& s) {
    int32_t palette_size = s.picture->format->palette->ncolors;
    for (int32_t y = 0; y < s.argb->h; ++y) {
        const uint32_t* argb = argb_row(s.argb, y);
        const uint8_t* index = byte_row(s.picture, y);
        for (int32_t x = 0; x < s.argb->w; ++x)
            if ((argb[x] >> 24) == 0 && index[x] < palette_size) return index[x];
    }
    return no_index;
}

// Copies what prints and draws use from the destination.
void take_settings(Image& img, const Image& from) {
    img.font = from.font;
    img.foreground = from.foreground;
    img.background = from.background;
    img.drawing_colour = uint32_t(from.foreground);
    img.print_mode = from.print_mode;
    img.bottom_row = bottom_row_of(img);
}

int32_t palette_entries(const Image& img) {
    return img.colour_mask >= 255 ? 256 : int32_t(img.colour_mask) + 1;
}

// An 8-bit picture onto a palette destination: one match per picture colour.
void match_palette_picture(Image& img, const Surfaces& s, const Colours& dest) {
    Colours pic = picture_colours(s.picture);
    int32_t transparent = transparent_index(s);
    std::array<uint8_t, 256> best{};
    for (int32_t i = 0; i < 256; ++i)
        best[i] = uint8_t(nearest(dest, pic.r[i], pic.g[i], pic.b[i], no_index));

    std::array<uint32_t, 256> uses{};
    bool any_transparent = false;
    for (int32_t y = 0; y < img.height; ++y) {
        const uint8_t* in = byte_row(s.picture, y);
        uint8_t* out = img.pixels + size_t(y) * img.width;
        for (int32_t x = 0; x < img.width; ++x) {
            if (in[x] == transparent) {
                any_transparent = true;
                continue;
            }
            out[x] = best[in[x]];
            ++uses[out[x]];
        }
    }
    if (!any_transparent) return;

    int32_t clear = least_used(uses, dest.count);
    img.clear_colour = uint32_t(clear);
    for (int32_t i = 0; i < 256; ++i)
        best[i] = uint8_t(nearest(dest, pic.r[i], pic.g[i], pic.b[i], clear));
    for (int32_t y = 0; y < img.height; ++y) {
        const uint8_t* in = byte_row(s.picture, y);
        uint8_t* out = img.pixels + size_t(y) * img.width;
        for (int32_t x = 0; x < img.width; ++x)
            out[x] = in[x] == transparent ? uint8_t(clear) : best[in[x]];
    }
}

// A true-colour picture onto a palette destination: one match per pixel.
void match_true_colour_picture(Image& img, const Surfaces& s, const Colours& dest) {
    std::array<uint32_t, 256> uses{};
    bool any_transparent = false;
    auto walk = [&](int32_t excluded, bool count) {
        // Neighbouring pixels often share a colour: reuse the last match.
        uint32_t last_rgb = 0xFFFFFFFFu;
        int32_t last_match = 0;
        for (int32_t y = 0; y < img.height; ++y) {
            const uint32_t* in = argb_row(s.argb, y);
            uint8_t* out = img.pixels + size_t(y) * img.width;
            for (int32_t x = 0; x < img.width; ++x) {
                if ((in[x] >> 24) == 0) {
                    any_transparent = true;
                    if (excluded != no_index) out[x] = uint8_t(excluded);
                    continue;
                }
                uint32_t rgb = in[x] & 0xFFFFFFu;
                if (rgb != last_rgb) {
                    last_rgb = rgb;
                    last_match = nearest(dest, int32_t(rgb >> 16), int32_t(rgb >> 8 & 0xFF),
                                         int32_t(rgb & 0xFF), excluded);
                }
                out[x] = uint8_t(last_match);
                if (count) ++uses[last_match];
            }
        }
    };
    walk(no_index, true);
    if (!any_transparent) return;
    int32_t clear = least_used(uses, dest.count);
    img.clear_colour = uint32_t(clear);
    walk(clear, false);
}

// The whole file through SDL's file abstraction; empty when it cannot be read.
std::vector<uint8_t> read_file(const char* name) {
    std::vector<uint8_t> bytes;
    SDL_RWops* file = SDL_RWFromFile(name, "rb");
    if (!file) return bytes;
    try {
        constexpr size_t block = 65536;
        for (;;) {
            size_t size = bytes.size();
            bytes.resize(size + block);
            int got = SDL_RWread(file, bytes.data() + size, 1, int(block));
            bytes.resize(size + size_t(got > 0 ? got : 0));
            if (got <= 0) break;
        }
    } catch (const std::bad_alloc&) {
        bytes.clear();
        bytes.shrink_to_fit();
    }
    SDL_RWclose(file);
    return bytes;
}

// The largest picture taken, checked on the file's own size fields before
// SDL_image allocates anything. SDL 1.2 makes no surface 16,384 or more pixels
// wide (a row's byte count is a 16-bit word), and records keep sizes in 16 bits.
// The total is 2^24 pixels (4,096 by 4,096, some 35 times the 800 by 600
// page): a load holds the picture three times (decoded, 32-bit form, the new
// image), at most 9 bytes a pixel, so even a damaged file that declares the
// largest picture taken costs some 150 MB and well under a second, where a few
// hundred bytes declaring hundreds of megapixels would cost gigabytes.
constexpr uint32_t max_picture_width = 16383;
constexpr uint32_t max_picture_height = 65535;
constexpr uint64_t max_picture_pixels = uint64_t(1) << 24;

bool picture_size_fits(uint64_t width, uint64_t height) {
    return width >= 1 && height >= 1 && width <= max_picture_width && height <= max_picture_height &&
           width * height <= max_picture_pixels;
}

uint32_t le16(const std::vector<uint8_t>& p, size_t at) { return p[at] | uint32_t(p[at + 1]) << 8; }
uint32_t le32(const std::vector<uint8_t>& p, size_t at) { return le16(p, at) | le16(p, at + 2) << 16; }

// The LZW codes of a GIF image, read as SDL_image's decoder reads them: a
// code above the next free table entry (which no encoder writes) makes the
// decoder link entries into a loop, and it follows that loop past the end of
// its stack, over the pointer beside it. `data` is the image's data blocks
// joined. Data that ends early is let pass: the decoder stops there.
bool lzw_codes_sound(const std::vector<uint8_t>& data, uint8_t min_code_size) {
    constexpr uint32_t table_size = 4096;
    const uint32_t clear = 1u << min_code_size, end = clear + 1;
    uint32_t code_size = min_code_size + 1, next_size = 2 * clear, next = clear + 2;
    bool fresh = true;  // the code after a clear starts the table anew
    const uint64_t bits = uint64_t(data.size()) * 8;
    for (uint64_t at = 0; at + code_size <= bits;) {
        uint32_t code = 0;
        for (uint32_t i = 0; i < code_size; ++i, ++at) code |= uint32_t((data[size_t(at / 8)] >> (at % 8)) & 1) << i;
        if (code == clear) {
            code_size = min_code_size + 1;
            next_size = 2 * clear;
            next = clear + 2;
            fresh = true;
            continue;
        }
        if (code == end) return true;
        if (code > next || (fresh && code > clear)) return false;
        if (fresh) {
            fresh = false;
            continue;
        }
        if (next < table_size && ++next >= next_size && next_size < table_size) {
            next_size *= 2;
            ++code_size;
        }
    }
    return true;
}

// SDL_image reads a GIF up to the end of its first image and some damaged
// files would stop it for good: one that ends inside an extension (it waits for
// ever for the closing empty block); an LZW code size above 8 (from 12 on its
// decoder spins or reads past its tables); a first image that SDL cannot make
// a surface for (it writes through the null surface). A file that ends before
// its first image is complete would load with its tail blank; LZW codes that
// name no table entry yet (see lzw_codes_sound). Such files are
// refused here by walking the blocks as the reader does, and every further
// image is held to the same sizes and code sizes, though a cut after the first
// one is let pass; anything that is not a GIF passes. `colours` gets the size
// of the colour table the first image uses (256 when the file is not a GIF).
bool gif_is_readable(const std::vector<uint8_t>& p, int32_t& colours) {
    colours = 256;
    if (p.size() < 6 || std::memcmp(p.data(), "GIF", 3) != 0) return true;
    const size_t n = p.size();
    if (n < 13) return false;
    // The logical screen is never allocated, but a damaged one is a damaged file.
    if (uint64_t(le16(p, 6)) * le16(p, 8) > max_picture_pixels) return false;
    size_t at = 13;
    auto colour_table = [&](uint8_t flags) {
        if (flags & 0x80) at += 3 * (size_t(2) << (flags & 7));
        return at <= n;
    };
    // One data block: its length byte and bytes; false when the file ends first.
    auto block = [&](uint8_t& length) {
        if (at >= n) return false;
        length = p[at++];
        if (n - at < length) return false;
        at += length;
        return true;
    };
    auto blocks = [&] {
        uint8_t length = 0;
        do {
            if (!block(length)) return false;
        } while (length != 0);
        return true;
    };
    if (!colour_table(p[10])) return false;
    if (p[10] & 0x80) colours = 2 << (p[10] & 7);
    // Past the first complete image, the end of the file is as good as a trailer.
    bool first_image_read = false;
    while (at < n) {
        uint8_t c = p[at++];
        if (c == ';') return first_image_read;
        if (c == '!') {
            if (at >= n) return first_image_read;
            uint8_t label = p[at++], length = 0;
            // The graphic control block is taken whatever its length.
            if ((label == 0xF9 && !block(length)) || !blocks()) return first_image_read;
            continue;
        }
        if (c != ',') continue;  // stray bytes are skipped
        if (n - at < 9) return first_image_read;
        if (!picture_size_fits(le16(p, at + 4), le16(p, at + 6))) return false;
        uint8_t flags = p[at + 8];
        if (!first_image_read && (flags & 0x80)) colours = 2 << (flags & 7);
        at += 9;
        if (!colour_table(flags) || at >= n) return first_image_read;
        uint8_t code_size = p[at++];
        if (code_size < 2 || code_size > 8) return false;
        const size_t data_start = at;
        if (!blocks()) return first_image_read;
        if (!first_image_read) {
            // Only the first image is decoded.
            std::vector<uint8_t> data;
            for (size_t b = data_start; p[b] != 0; b += 1 + p[b]) data.insert(data.end(), p.begin() + b + 1, p.begin() + b + 1 + p[b]);
            if (!lzw_codes_sound(data, code_size)) return false;
        }
        first_image_read = true;
    }
    return first_image_read;
}

// SDL_image takes a BMP's headers without checking that they were read: a file
// cut inside them would give a picture of whatever size was in memory. It reads
// the 12 bytes of the old header or at least the 40 of the Windows one, and
// then allocates the picture by the size and depth it found there; a depth the
// format does not have (0, 17, 32,769 bits) gives a surface that crashes SDL's
// conversion.
bool bmp_is_readable(const std::vector<uint8_t>& p) {
    if (p.size() < 2 || p[0] != 'B' || p[1] != 'M') return true;
    if (p.size() < 18) return false;
    const uint32_t info_size = le32(p, 14);
    if (info_size < 12 || p.size() - 14 < std::max<uint64_t>(info_size, info_size == 12 ? 12 : 40))
        return false;
    const bool old_header = info_size == 12;
    const uint32_t bits = le16(p, old_header ? 24 : 28);
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    if (old_header) return picture_size_fits(le16(p, 18), le16(p, 20));
    // The height is negative for rows stored top down.
    const int64_t width = int32_t(le32(p, 18)), height = int32_t(le32(p, 22));
    return width > 0 && picture_size_fits(uint64_t(width), uint64_t(height < 0 ? -height : height));
}

SDL_Surface* decode_file(const char* name) {
    std::vector<uint8_t> bytes = read_file(name);
    int32_t colours = 256;
    if (bytes.empty() || bytes.size() > size_t(INT32_MAX) || !gif_is_readable(bytes, colours) ||
        !bmp_is_readable(bytes))
        return nullptr;
    SDL_RWops* memory = SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
    if (!memory) return nullptr;
    // The name's extension tells the formats that carry no signature.
    const char* dot = std::strrchr(name, '.');
    SDL_Surface* picture = IMG_LoadTyped_RW(memory, 1, const_cast<char*>(dot ? dot + 1 : ""));
    // The palette has 256 entries whatever the file's colour table holds; the
    // entries past it are black in classic SDL 1.2 and white over SDL2. Black
    // on both. Only the colour key makes a pixel transparent: classic SDL 1.2
    // ignores an entry's fourth byte, but SDL2 takes it for alpha once some
    // entries have one (a BMP of 1 or 4 bits leaves its own entries at 0 and
    // the rest at 255, and would convert with holes), so it is 0 throughout.
    if (picture && picture->format->palette) {
        SDL_Palette* palette = picture->format->palette;
        for (int32_t i = 0; i < palette->ncolors; ++i)
            palette->colors[i] = i < colours ? SDL_Color{palette->colors[i].r, palette->colors[i].g,
                                                         palette->colors[i].b, 0}
                                             : SDL_Color{0, 0, 0, 0};
    }
    return picture;
}

SDL_Surface* decode(const char* name) {
    SDL_Surface* picture = decode_file(name);
    if (!picture) report_unusable_file("picture", name);
    return picture;
}

// The picture decoded into a new image; its number, or 0 when it cannot be had.
int32_t load_file(const char* name, int32_t mode, bool mode_given, const Image* dest) {
    Surfaces s;
    s.picture = decode(name);
    if (!s.picture) return 0;

    SDL_PixelFormat argb_format{};
    argb_format.BitsPerPixel = 32;
    argb_format.BytesPerPixel = 4;
    argb_format.Rmask = 0x00FF0000;
    argb_format.Gmask = 0x0000FF00;
    argb_format.Bmask = 0x000000FF;
    argb_format.Amask = 0xFF000000;
    argb_format.Rshift = 16;
    argb_format.Gshift = 8;
    argb_format.Bshift = 0;
    argb_format.Ashift = 24;
    argb_format.alpha = 255;
    // Formats other than GIF and BMP are only sized once decoded.
    const int32_t width = s.picture->w, height = s.picture->h;
    if (width <= 0 || height <= 0 || !picture_size_fits(uint32_t(width), uint32_t(height))) return 0;
    // A colour-keyed picture converts to alpha 0 at its key.
    s.argb = SDL_ConvertSurface(s.picture, &argb_format, SDL_SWSURFACE);
    if (!s.argb) return 0;

    if (SDL_MUSTLOCK(s.picture) && SDL_LockSurface(s.picture) != 0) return 0;
    struct Unlock {
        SDL_Surface* s;
        ~Unlock() {
            if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
        }
    } unlock{s.picture};

    bool palette_target = !mode_given && dest->bytes_per_pixel == 1;
    if (palette_target) {
        int32_t number = make_image(width, height, dest->mode);
        if (number == 0) return 0;
        Image& img = image(number);
        std::memcpy(img.palette, dest->palette, 256 * sizeof(uint32_t));
        img.clear_colour = no_clear_colour;
        Colours dest_colours = colours_of(img.palette, palette_entries(img));
        if (is_palette_picture(s.picture))
            match_palette_picture(img, s, dest_colours);
        else
            match_true_colour_picture(img, s, dest_colours);
        take_settings(img, *dest);
        return number;
    }

    if (mode_given && mode == 256) {
        // Index for index, with the picture's own palette.
        if (!is_palette_picture(s.picture)) return 0;
        int32_t number = make_image(width, height, 256);
        if (number == 0) return 0;
        Image& img = image(number);
        const SDL_Palette* p = s.picture->format->palette;
        for (int32_t i = 0; i < 256; ++i)
            img.palette[i] = i < p->ncolors ? 0xFF000000u | uint32_t(p->colors[i].r) << 16 |
                                                  uint32_t(p->colors[i].g) << 8 | p->colors[i].b
                                            : 0xFF000000u;
        for (int32_t y = 0; y < height; ++y)
            std::memcpy(img.pixels + size_t(y) * width, byte_row(s.picture, y), size_t(width));
        int32_t transparent = transparent_index(s);
        img.clear_colour = transparent == no_index ? no_clear_colour : uint32_t(transparent);
        return number;
    }

    // A 32-bit target takes the 32-bit form as it is.
    int32_t number = make_image(width, height, 32);
    if (number == 0) return 0;
    Image& img = image(number);
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(img.pixels + size_t(y) * width * 4, argb_row(s.argb, y), size_t(width) * 4);
    if (!mode_given) take_settings(img, *dest);
    return number;
}

}  // namespace

int32_t load_image(const StrVal* file_name, int32_t mode, bool mode_given) {
    if (error_pending()) return 0;
    const Image* dest = role_image(destination_image, false);
    if (mode_given ? (mode != 32 && mode != 256) : (!dest || dest->text_screen)) {
        raise_error(5);
        return 0;
    }
    if (!file_name || file_name->length == 0 || !file_name->text) return -1;
    std::string name(reinterpret_cast<const char*>(file_name->text), file_name->length);
    // A zero byte would silently name a different file.
    if (name.find('\0') != std::string::npos) return -1;
    int32_t number = load_file(name.c_str(), mode, mode_given, dest);
    return number != 0 ? -number : -1;
}

}  // namespace rt
