// The desktop icons against the window icon held in the program: the same
// yacht at every size, and the same bytes on every run of the generator.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/host/window_art.h"

namespace {

using Picture = std::vector<std::array<int, 3>>;  // rows of red, green, blue

// Any picture SDL_image reads, as 24-bit colours; empty when it cannot.
Picture colours_of(SDL_Surface* loaded, int& size) {
    Picture out;
    if (!loaded) return out;
    SDL_PixelFormat rgb{};
    rgb.BitsPerPixel = 32;
    rgb.BytesPerPixel = 4;
    rgb.Rmask = 0xFF0000;
    rgb.Gmask = 0xFF00;
    rgb.Bmask = 0xFF;
    rgb.Rshift = 16;
    rgb.Gshift = 8;
    SDL_Surface* s = SDL_ConvertSurface(loaded, &rgb, SDL_SWSURFACE);
    SDL_FreeSurface(loaded);
    if (!s) return out;
    size = s->w == s->h ? s->w : -1;
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) {
            uint32_t p = static_cast<const uint32_t*>(s->pixels)[size_t(y) * s->pitch / 4 + x];
            out.push_back({int(p >> 16 & 255), int(p >> 8 & 255), int(p & 255)});
        }
    SDL_FreeSurface(s);
    return out;
}

// Down to 32 by 32: the pixel just past the middle of each 32nd (a picture
// drawn from the 32-pixel design shows that design's colour there), or with
// `average` the mean of the 32nd.
Picture to_32(const Picture& p, int size, bool average) {
    const int k = size / 32;
    Picture out(32 * 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            if (!average) {
                out[size_t(y) * 32 + x] = p[size_t(y * k + k / 2) * size + x * k + k / 2];
                continue;
            }
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int j = 0; j < k; ++j)
                    for (int i = 0; i < k; ++i) sum += p[size_t(y * k + j) * size + x * k + i][c];
                out[size_t(y) * 32 + x][c] = sum / (k * k);
            }
        }
    return out;
}

// Pixels farther than `step` from the reference, by |dr| + |dg| + |db|.
int differing(const Picture& a, const Picture& b, int step = 60) {
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i)
        n += std::abs(a[i][0] - b[i][0]) + std::abs(a[i][1] - b[i][1]) + std::abs(a[i][2] - b[i][2]) > step;
    return n;
}

TEST(DesktopIcons, TheWindowIconsYachtAtEverySize) {
    int size = 0;
    SDL_RWops* bmp = SDL_RWFromConstMem(rt::icon_bmp.data(), int(rt::icon_bmp.size()));
    const Picture window = colours_of(SDL_LoadBMP_RW(bmp, 1), size);
    ASSERT_EQ(size, 32);
    // The measure tells a different picture: the yacht turned round is far off.
    Picture turned(window.size());
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) turned[size_t(y) * 32 + x] = window[size_t(y) * 32 + 31 - x];
    EXPECT_GT(differing(turned, window), 100);

    for (int wanted : {32, 64, 128, 256, 512}) {
        const std::string file = std::string(ICON_DIR) + "/supervivedas_" + std::to_string(wanted) + ".png";
        const Picture icon = colours_of(IMG_Load(file.c_str()), size);
        ASSERT_EQ(size, wanted) << file;
        if (wanted == 32) {
            EXPECT_EQ(icon, window) << "the 32-pixel icon is the window icon, pixel for pixel";
            continue;
        }
        // Smoothed edges pass near the middles at 64 pixels, so there only
        // the averages are compared, a few blended edge pixels allowed.
        if (wanted >= 128) {
            EXPECT_EQ(differing(to_32(icon, wanted, false), window, 0), 0) << file;
        }
        EXPECT_LE(differing(to_32(icon, wanted, true), window), 40) << file;
    }

    // The Windows icon: a directory of 32-bit bitmaps, each entry where its
    // directory says, rows bottom up; its 32-pixel one is the window icon too.
    const std::string ico_file = std::string(ICON_DIR) + "/supervivedas.ico";
    std::ifstream in(ico_file, std::ios::binary);
    const std::string ico{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto word = [&](size_t at, int bytes) {
        uint32_t v = 0;
        for (int i = bytes - 1; i >= 0; --i) v = v << 8 | uint8_t(at + i < ico.size() ? ico[at + i] : 0);
        return v;
    };
    ASSERT_GE(ico.size(), 6u) << ico_file;
    EXPECT_EQ(word(0, 2), 0u);
    EXPECT_EQ(word(2, 2), 1u) << "an icon, not a cursor";
    std::vector<int> sizes;
    size_t end = 6 + 16 * word(4, 2);
    for (uint32_t i = 0; i < word(4, 2); ++i) {
        const size_t entry = 6 + 16 * i, at = word(entry + 12, 4), bytes = word(entry + 8, 4);
        const int side = word(entry, 1) ? int(word(entry, 1)) : 256;
        sizes.push_back(side);
        EXPECT_EQ(at, end) << "entry " << i << " follows the one before";
        end = at + bytes;
        EXPECT_EQ(word(entry + 6, 2), 32u);
        EXPECT_EQ(word(at, 4), 40u) << "a bitmap header";
        EXPECT_EQ(word(at + 4, 4), uint32_t(side));
        EXPECT_EQ(word(at + 8, 4), uint32_t(2 * side)) << "colours and mask";
        EXPECT_EQ(bytes, 40u + side * side * 4 + (side + 31) / 32 * 4 * side);
        if (side != 32) continue;
        Picture icon;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const size_t p = at + 40 + (size_t(31 - y) * 32 + x) * 4;
                icon.push_back({int(word(p + 2, 1)), int(word(p + 1, 1)), int(word(p, 1))});
            }
        EXPECT_EQ(icon, window) << "the 32-pixel entry is the window icon";
    }
    EXPECT_EQ(end, ico.size()) << "nothing after the last entry";
    EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48, 256}));
}

}  // namespace
