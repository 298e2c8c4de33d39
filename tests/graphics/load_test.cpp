// Loading pictures through SDL_image and matching them to the destination palette.
#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <random>
#include <utility>

#include "runtime/host/host.h"
#include "tests/graphics/test_pictures.h"

namespace {

using graphics_test::Name;
using graphics_test::Rgb;
using graphics_test::rgb_of;
using graphics_test::Screen;
using rt::image;

class GraphicsLoad : public Screen {
protected:
    int32_t load(const std::string& path) {
        Name name(path);
        return rt::load_image(name.get(), 0, false);
    }
    // Lowest destination index whose colour is exactly `c`.
    int exact_index(Rgb c) {
        for (int i = 0; i < 256; ++i) {
            Rgb p = rgb_of(page().palette[i]);
            if (p.r == c.r && p.g == c.g && p.b == c.b) return i;
        }
        return -1;
    }
};

// 16 by 16 pixels, pixel p has index p; picture colour i is destination colour
// i mod 201, so only destination entries 0..200 are ever matched.
TEST_F(GraphicsLoad, TransparentGifTakesTheHighestUnusedIndex) {
    std::vector<Rgb> palette(256);
    for (int i = 0; i < 256; ++i) palette[i] = rgb_of(rt::default_palette[i % 201]);
    palette[3] = Rgb{1, 2, 3};
    std::vector<uint8_t> pixels(256);
    for (int i = 0; i < 256; ++i) pixels[i] = uint8_t(i);
    pixels[17] = 3;  // a second transparent pixel
    graphics_test::write_gif(file("sprite.gif"), 16, 16, pixels, palette, 3);

    int32_t h = load(file("sprite.gif"));
    ASSERT_LE(h, -2);
    ASSERT_EQ(pending(), 0);
    const rt::Image& img = image(-h);
    EXPECT_EQ(img.width, 16);
    EXPECT_EQ(img.height, 16);
    EXPECT_EQ(img.mode, 256);
    EXPECT_EQ(img.clear_colour, 255u);
    EXPECT_EQ(std::memcmp(img.palette, page().palette, 1024), 0);
    for (int i = 0; i < 256; ++i) {
        if (pixels[i] == 3) {
            EXPECT_EQ(img.pixels[i], 255) << i;
        } else {
            EXPECT_EQ(img.pixels[i], exact_index(palette[pixels[i]])) << i;
            EXPECT_NE(img.pixels[i], 255) << i;
        }
    }
}

TEST_F(GraphicsLoad, GifWithoutTransparencyKeepsNoClearColour) {
    // Colours near, not at, destination entries.
    std::vector<Rgb> palette = {{2, 1, 0}, {0, 0, 0xA8}, {0xFE, 0xFE, 0x50}, {0x40, 0x02, 0xFD}};
    std::vector<uint8_t> pixels = {0, 1, 2, 3, 3, 2, 1, 0};
    graphics_test::write_gif(file("plain.gif"), 4, 2, pixels, palette, -1);
    int32_t h = load(file("plain.gif"));
    ASSERT_LE(h, -2);
    const rt::Image& img = image(-h);
    EXPECT_EQ(img.clear_colour, rt::no_clear_colour);
    const uint8_t expected[4] = {0, 1, 14, 33};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(img.pixels[i], expected[pixels[i]]) << i;
}

TEST_F(GraphicsLoad, AColourBetweenTwoEntriesTakesTheLowerIndex) {
    for (int i = 0; i < 256; ++i) page().palette[i] = 0xFFFFFFFF;
    page().palette[10] = 0xFF646464;  // (100, 100, 100)
    page().palette[20] = 0xFF6E6464;  // (110, 100, 100)
    page().palette[30] = 0xFF646464;  // a copy of entry 10 never wins
    page().palette[40] = 0xFF5A6464;  // (90, 100, 100): as near to 95 as entry 10
    std::vector<Rgb> palette = {{105, 100, 100}, {95, 100, 100}, {100, 100, 100}};
    graphics_test::write_gif(file("between.gif"), 3, 1, {0, 1, 2}, palette, -1);
    int32_t h = load(file("between.gif"));
    ASSERT_LE(h, -2);
    EXPECT_EQ(image(-h).pixels[0], 10);
    EXPECT_EQ(image(-h).pixels[1], 10);
    EXPECT_EQ(image(-h).pixels[2], 10);
}

// On a 16-colour destination every entry is used, so the clear colour takes an
// entry that opaque colours matched, and those are matched again without it.
TEST_F(GraphicsLoad, SecondMatchingPassLeavesTheClearColourOut) {
    int32_t dest = rt::new_image(8, 8, 12, true);
    rt::set_dest(dest);
    std::vector<Rgb> palette(32);
    for (int i = 0; i < 16; ++i) palette[i] = rgb_of(rt::default_palette[i]);
    palette[16] = Rgb{250, 250, 250};  // nearest 15; without 15, light cyan 11 (tied with 13, 14)
    palette[17] = Rgb{9, 9, 9};        // transparent
    // Entry 15 is used once (index 15) plus once (index 16); every other entry
    // at least twice; 15's count of 2 ties with 14, and the higher index wins.
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 15; ++i) pixels.push_back(uint8_t(i)), pixels.push_back(uint8_t(i));
    pixels.push_back(15);
    pixels.push_back(16);
    pixels.push_back(17);
    pixels.push_back(17);
    graphics_test::write_gif(file("sixteen.gif"), 34, 1, pixels, palette, 17);
    int32_t h = load(file("sixteen.gif"));
    ASSERT_LE(h, -2);
    const rt::Image& img = image(-h);
    EXPECT_EQ(img.mode, 12);
    EXPECT_EQ(img.clear_colour, 15u);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(img.pixels[i], pixels[i]) << i;
    EXPECT_EQ(img.pixels[30], 11);  // white, with 15 left out
    EXPECT_EQ(img.pixels[31], 11);
    EXPECT_EQ(img.pixels[32], 15);
    EXPECT_EQ(img.pixels[33], 15);
    for (int i = 0; i < 34; ++i) EXPECT_LT(img.pixels[i], 16) << i;
}

TEST_F(GraphicsLoad, TrueColourBmpIsMatchedPerPixel) {
    std::vector<Rgb> pixels = {{0, 0, 0},   {0, 0, 170},   {254, 84, 84}, {170, 85, 0},
                               {65, 0, 255}, {1, 1, 1},    {255, 255, 255}, {0x30, 0x30, 0x30}};
    graphics_test::write_bmp24(file("true.bmp"), 4, 2, pixels);
    page().foreground = 3;
    page().print_mode = rt::print_keep_background;
    int32_t h = load(file("true.bmp"));
    ASSERT_LE(h, -2);
    const rt::Image& img = image(-h);
    EXPECT_EQ(img.clear_colour, rt::no_clear_colour);
    EXPECT_EQ(img.foreground, 3);
    EXPECT_EQ(img.print_mode, rt::print_keep_background);
    // (1, 1, 1) ties black 0 and 16; 0x30 grey is nearest grey entry 19 (0x2D).
    const uint8_t expected[8] = {0, 1, 12, 6, 33, 0, 15, 19};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(img.pixels[i], expected[i]) << i;
}

// Palette BMPs of 1, 4 and 8 bits carry no transparency: the fourth byte of
// their colour entries (0 in the file) is no alpha, on either SDL 1.2.
TEST_F(GraphicsLoad, PaletteBmpsOfEveryDepthAreOpaque) {
    // Four pixels: indices 1, 0, 1, 1 of the table {blue 0,0,170; white}.
    const std::vector<uint8_t> indices = {1, 0, 1, 1};
    for (int bits : {1, 4, 8}) {
        const uint32_t entries = 1u << bits, row = 4, offset = 54 + 4 * entries;
        std::vector<uint8_t> b = {'B', 'M'};
        auto le = [&](uint32_t v, int n) {
            for (int i = 0; i < n; ++i) b.push_back(uint8_t(v >> (8 * i)));
        };
        le(offset + row, 4), le(0, 4), le(offset, 4);
        le(40, 4), le(4, 4), le(1, 4), le(1, 2), le(uint32_t(bits), 2), le(0, 4), le(row, 4);
        le(0, 4), le(0, 4), le(entries, 4), le(0, 4);
        for (uint32_t i = 0; i < entries; ++i) le(i == 0 ? 0x0000AA : 0xFFFFFF, 4);  // blue, green, red, 0
        uint32_t packed = 0;  // the row, most significant bits first
        for (size_t x = 0; x < 4; ++x) packed = packed << bits | indices[x];
        packed <<= 32 - 4 * bits;
        for (int i = 3; i >= 0; --i) b.push_back(uint8_t(packed >> (8 * i)));
        graphics_test::write_file(file("palette.bmp"), b);
        const int32_t h = load(file("palette.bmp"));
        ASSERT_LE(h, -2) << bits;
        const rt::Image& img = image(-h);
        EXPECT_EQ(img.clear_colour, rt::no_clear_colour) << bits;
        for (size_t x = 0; x < 4; ++x) EXPECT_EQ(img.pixels[x], indices[x] ? 15 : 1) << bits << " " << x;
        rt::free_image(-h);
    }
}

// Each file that cannot be had is named once on stderr with the reason, by its
// full path even when the game gives it relative to its folder.
TEST_F(GraphicsLoad, NamesThatCannotBeLoaded) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(load(file("missing.gif")), -1);
    EXPECT_EQ(load(""), -1);
    EXPECT_EQ(rt::load_image(nullptr, 0, false), -1);
    graphics_test::write_gif(file("a.gif"), 1, 1, {0}, {{0, 0, 0}}, -1);
    EXPECT_EQ(load(file("a.gif") + std::string(1, '\0') + "x"), -1);
    graphics_test::write_file(file("empty.gif"), {});
    EXPECT_EQ(load(file("empty.gif")), -1);
    graphics_test::write_file(file("text.gif"), {'n', 'o', 't', ' ', 'a', ' ', 'g', 'i', 'f'});
    EXPECT_EQ(load(file("text.gif")), -1);
    std::filesystem::create_directory(file("folder.gif"));
    EXPECT_EQ(load(file("folder.gif")), -1);
    EXPECT_EQ(load(file("missing.gif")), -1);
    EXPECT_LE(load(file("a.gif")), -2);
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    EXPECT_EQ(load("voilier1.gif"), -1);
    std::filesystem::current_path(before);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Unable to load picture " + file("missing.gif") + ": not found\n" +
              "Unable to load picture " + file("empty.gif") + ": damaged\n" +
              "Unable to load picture " + file("text.gif") + ": damaged\n" +
              "Unable to load picture " + file("folder.gif") + ": not a file\n" +
              "Unable to load picture " + file("voilier1.gif") + ": not found\n");
    EXPECT_EQ(pending(), 0);
}

TEST_F(GraphicsLoad, ModeErrorsAndPendingErrors) {
    graphics_test::write_gif(file("a.gif"), 1, 1, {0}, {{0, 0, 0}}, -1);
    Name name(file("a.gif"));
    EXPECT_EQ(rt::load_image(name.get(), 13, true), 0);
    EXPECT_EQ(pending(), 5);
    // While an error is pending nothing is loaded.
    EXPECT_EQ(rt::load_image(name.get(), 0, false), 0);
    clear_error();

    int32_t text = rt::new_image(80, 25, 0, true);
    rt::set_dest(text);
    EXPECT_EQ(rt::load_image(name.get(), 0, false), 0);
    EXPECT_EQ(pending(), 5);
    clear_error();
    EXPECT_LE(rt::load_image(name.get(), 256, true), -2);  // a mode makes the destination irrelevant
}

TEST_F(GraphicsLoad, Mode256KeepsThePicturesOwnPalette) {
    std::vector<Rgb> palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
    graphics_test::write_gif(file("own.gif"), 3, 1, {2, 1, 0}, palette, 1);
    Name name(file("own.gif"));
    int32_t h = rt::load_image(name.get(), 256, true);
    ASSERT_LE(h, -2);
    const rt::Image& img = image(-h);
    EXPECT_EQ(img.pixels[0], 2);
    EXPECT_EQ(img.pixels[1], 1);
    EXPECT_EQ(img.pixels[2], 0);
    EXPECT_EQ(img.palette[0], 0xFF0A141Eu);
    EXPECT_EQ(img.palette[2], 0xFF46505Au);
    EXPECT_EQ(img.palette[255], 0xFF000000u);
    EXPECT_EQ(img.clear_colour, 1u);

    // Mode 32: the 32-bit form as it is, alpha 0 at the transparent pixel.
    int32_t h32 = rt::load_image(name.get(), 32, true);
    ASSERT_LE(h32, -2);
    const auto* argb = reinterpret_cast<const uint32_t*>(image(-h32).pixels);
    EXPECT_EQ(argb[0], 0xFF46505Au);
    EXPECT_EQ(argb[1] >> 24, 0u);
    EXPECT_EQ(argb[2], 0xFF0A141Eu);

    // A true-colour picture has no palette to keep.
    graphics_test::write_bmp24(file("true.bmp"), 1, 1, {{1, 2, 3}});
    Name bmp(file("true.bmp"));
    EXPECT_EQ(rt::load_image(bmp.get(), 256, true), -1);
}

// Sizes SDL cannot make a surface for are refused before SDL_image sees them.
TEST_F(GraphicsLoad, GifImageOfImpossibleSizeIsRefused) {
    graphics_test::write_gif(file("small.gif"), 2, 2, {0, 1, 1, 0}, {{0, 0, 0}, {9, 9, 9}}, -1);
    std::vector<uint8_t> bytes = graphics_test::read_file(file("small.gif"));
    const size_t descriptor = 13 + 6;  // after the two-colour table
    ASSERT_EQ(bytes.at(descriptor), ',');
    for (auto [low, high] : {std::pair{0, 0}, {0, 0x40}, {0xFF, 0xFF}}) {
        std::vector<uint8_t> copy = bytes;
        copy[descriptor + 5] = uint8_t(low);
        copy[descriptor + 6] = uint8_t(high);
        graphics_test::write_file(file("sized.gif"), copy);
        EXPECT_EQ(load(file("sized.gif")), -1) << low << " " << high;
    }
    EXPECT_LE(load(file("small.gif")), -2);
}

// LZW codes of `width` bits each, packed as a GIF packs them (low bits first).
std::vector<uint8_t> packed_codes(const std::vector<uint32_t>& codes, uint32_t width) {
    std::vector<uint8_t> out;
    uint64_t at = 0;
    for (uint32_t code : codes)
        for (uint32_t i = 0; i < width; ++i, ++at) {
            if (at % 8 == 0) out.push_back(0);
            out.back() |= uint8_t(((code >> i) & 1) << (at % 8));
        }
    return out;
}

// A GIF by hand: a two-colour table, a logical screen and one image of the
// given size, the given LZW code size and `data` bytes of image data. The data
// starts with `codes` (by default a clear code, one pixel, the end code).
std::vector<uint8_t> gif_bytes(uint16_t width, uint16_t height, uint8_t code_size, size_t data,
                               std::vector<uint32_t> codes = {}) {
    const auto lo = [](uint16_t v) { return uint8_t(v); };
    const auto hi = [](uint16_t v) { return uint8_t(v >> 8); };
    std::vector<uint8_t> b = {'G', 'I', 'F', '8', '9', 'a', lo(width), hi(width), lo(height), hi(height),
                              0x80, 0, 0, 0, 0, 0, 255, 255, 255,
                              ',', 0, 0, 0, 0, lo(width), hi(width), lo(height), hi(height), 0, code_size};
    const uint32_t clear = code_size < 12 ? 1u << code_size : 0;
    if (codes.empty()) codes = {clear, 0, clear + 1};
    std::vector<uint8_t> bytes = packed_codes(codes, code_size + 1u);
    for (size_t i = bytes.size(); i < data; ++i) bytes.push_back(uint8_t(i));
    for (size_t left = data, at = 0; left > 0;) {
        const size_t n = std::min<size_t>(left, 255);
        b.push_back(uint8_t(n));
        for (size_t i = 0; i < n; ++i) b.push_back(bytes[at++]);
        left -= n;
    }
    b.push_back(0);
    b.push_back(';');
    return b;
}

// Code sizes outside 2..8 (from 12 on SDL_image's decoder spins or reads past its
// tables), codes that name no table entry yet, pictures larger than the store takes (a few hundred bytes that would
// cost gigabytes) and BMP depths that crash SDL's conversion are refused before
// SDL_image sees them, each named as damaged; the largest sizes taken still load.
TEST_F(GraphicsLoad, ImpossibleCodeSizesAndHugePicturesAreRefusedUpFront) {
    std::vector<std::vector<uint8_t>> refused, loaded;
    refused.push_back(gif_bytes(16, 16, 13, 47));
    refused.push_back(gif_bytes(16, 16, 12, 47));
    ASSERT_EQ(refused[0].size(), 80u);
    refused.push_back(gif_bytes(16000, 16000, 8, 300));   // 256 M pixels
    refused.push_back(gif_bytes(4097, 4096, 8, 300));     // one row past 2^24 pixels
    refused.push_back(gif_bytes(16384, 1, 8, 300));       // wider than SDL 1.2 makes

    // giflib writes the smallest code size a table allows: 2 for two colours, 8 for 256.
    std::vector<Rgb> many(256);
    for (int i = 0; i < 256; ++i) many[size_t(i)] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)};
    graphics_test::write_gif(file("two.gif"), 2, 2, {0, 1, 1, 0}, {{0, 0, 0}, {9, 9, 9}}, -1);
    graphics_test::write_gif(file("many.gif"), 16, 16, std::vector<uint8_t>(256, 200), many, -1);
    // After the header, the global table and the image descriptor.
    auto code_size_at = [](const std::vector<uint8_t>& b) { return 13 + 3 * (size_t(2) << (b[10] & 7)) + 10; };
    for (const char* name : {"two.gif", "many.gif"}) {
        const std::vector<uint8_t> bytes = graphics_test::read_file(file(name));
        const size_t at = code_size_at(bytes);
        ASSERT_EQ(bytes.at(at - 10), ',') << name;
        loaded.push_back(bytes);
        for (uint8_t wrong : {0, 1, 9, 12, 255}) {
            refused.push_back(bytes);
            refused.back()[at] = wrong;
        }
        // A second image is held to the same rule; a cut inside it is let pass,
        // since SDL_image reads no further than the first.
        for (uint8_t code_size : {13, 2}) {
            std::vector<uint8_t> two_images(bytes.begin(), bytes.end() - 1);
            const std::vector<uint8_t> second = gif_bytes(1, 1, code_size, 4);
            two_images.insert(two_images.end(), second.begin() + 19, second.end() - (code_size == 2 ? 4 : 0));
            (code_size == 2 ? loaded : refused).push_back(two_images);
        }
    }
    ASSERT_EQ(loaded[0][code_size_at(loaded[0])], 2);
    ASSERT_EQ(loaded[2][code_size_at(loaded[2])], 8);
    loaded.push_back(gif_bytes(16383, 1, 8, 300));
    loaded.push_back(gif_bytes(1, 65535, 8, 300));
    // LZW codes (two colours: clear 4, end 5, next entry 6, three bits each):
    // the entry being made is a code an encoder writes; one past it, which no
    // encoder writes, makes SDL_image's decoder link its table into a loop and
    // follow it past the end of its stack.
    loaded.push_back(gif_bytes(4, 1, 2, 4, {4, 1, 6, 5}));
    refused.push_back(gif_bytes(4, 1, 2, 4, {4, 1, 7, 5}));
    refused.push_back(gif_bytes(4, 1, 2, 4, {4, 6, 5}));  // no entry at all after a clear

    // BMP: 8 by 8 at 24 bits is 246 bytes; its size fields changed.
    graphics_test::write_bmp24(file("small.bmp"), 8, 8, std::vector<Rgb>(64, Rgb{1, 2, 3}));
    const std::vector<uint8_t> bmp = graphics_test::read_file(file("small.bmp"));
    ASSERT_EQ(bmp.size(), 246u);
    auto sized_bmp = [&](int32_t width, int32_t height) {
        std::vector<uint8_t> b = bmp;
        for (int i = 0; i < 4; ++i) {
            b[size_t(18 + i)] = uint8_t(uint32_t(width) >> (8 * i));
            b[size_t(22 + i)] = uint8_t(uint32_t(height) >> (8 * i));
        }
        return b;
    };
    loaded.push_back(sized_bmp(8, -8));  // rows top down
    for (auto [width, height] : {std::pair{16000, 16000}, {16000, -16000}, {20000, 1}, {4097, 4096},
                                 {1, 65536}, {0, 8}, {-8, 8}, {8, 0}, {8, INT32_MIN}})
        refused.push_back(sized_bmp(width, height));
    for (uint16_t bits : {0, 2, 15, 17, 32769}) {  // depths BMP does not have
        refused.push_back(bmp);
        refused.back()[28] = uint8_t(bits), refused.back()[29] = uint8_t(bits >> 8);
    }
    std::vector<uint8_t> short_header(bmp.begin(), bmp.begin() + 14 + 39);
    short_header[14] = 39;  // a header SDL_image would read past
    refused.push_back(short_header);

    testing::internal::CaptureStderr();
    for (size_t i = 0; i < refused.size(); ++i) {
        graphics_test::write_file(file("r" + std::to_string(i)), refused[i]);
        EXPECT_EQ(load(file("r" + std::to_string(i))), -1) << i;
    }
    const std::string report = testing::internal::GetCapturedStderr();
    for (size_t i = 0; i < loaded.size(); ++i) {
        graphics_test::write_file(file("l" + std::to_string(i)), loaded[i]);
        EXPECT_LE(load(file("l" + std::to_string(i))), -2) << i;
    }
    size_t damaged = 0;
    for (size_t at = 0; (at = report.find(": damaged\n", at)) != std::string::npos; ++at) ++damaged;
    EXPECT_EQ(damaged, refused.size()) << report;
    EXPECT_EQ(pending(), 0);
}

// Damaged copies of valid files. A cut one gives -1; a bit-flipped one gives -1
// or a sound image; a failed one leaves no image behind. Run under
// AddressSanitizer to see leaks and stray reads and writes.
TEST_F(GraphicsLoad, TruncatedAndCorruptFilesNeverCrash) {
    std::vector<Rgb> palette(16);
    for (int i = 0; i < 16; ++i) palette[i] = rgb_of(rt::default_palette[i * 7]);
    std::vector<uint8_t> pixels(40 * 30);
    std::vector<Rgb> colours(40 * 30);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = uint8_t((i * 7 + i / 40) % 16);
        colours[i] = palette[pixels[i]];
    }
    graphics_test::write_gif(file("good.gif"), 40, 30, pixels, palette, 5);
    graphics_test::write_bmp24(file("good.bmp"), 40, 30, colours);

    auto load_bytes = [&](const std::vector<uint8_t>& bytes) {
        graphics_test::write_file(file("damaged"), bytes);
        int32_t before = rt::image_count();
        int32_t h = load(file("damaged"));
        EXPECT_EQ(pending(), 0);
        if (h == -1) {
            // A failed load takes no number, or gives the one it took back.
            int32_t probe = rt::new_image(1, 1, 256, true);
            EXPECT_LE(-probe, before);
            rt::free_image(-probe);
            return false;
        }
        EXPECT_LE(h, -2);
        if (h > -2) return false;
        const rt::Image& img = image(-h);
        EXPECT_EQ(img.in_use, 1);
        EXPECT_GT(img.width, 0);
        EXPECT_GT(img.height, 0);
        EXPECT_EQ(img.mode, 256);
        EXPECT_TRUE(img.clear_colour == rt::no_clear_colour || img.clear_colour < 256);
        EXPECT_EQ(std::memcmp(img.palette, page().palette, 1024), 0);
        rt::free_image(-h);
        return true;
    };

    std::mt19937 random(12345);
    int loaded = 0, refused = 0;
    for (const char* good : {"good.gif", "good.bmp"}) {
        const std::vector<uint8_t> bytes = graphics_test::read_file(file(good));
        ASSERT_GT(bytes.size(), 100u);
        ASSERT_TRUE(load_bytes(bytes)) << good;
        // Every cut before the last byte (the GIF trailer) loses picture data.
        for (size_t n = 0; n + 1 < bytes.size(); n += 1 + n / 16)
            EXPECT_FALSE(load_bytes({bytes.begin(), bytes.begin() + long(n)})) << good << " " << n;
        for (int k = 0; k < 300; ++k) {
            std::vector<uint8_t> copy = bytes;
            int flips = 1 + int(random() % 8);
            for (int f = 0; f < flips; ++f)
                copy[random() % copy.size()] ^= uint8_t(1u << (random() % 8));
            (load_bytes(copy) ? loaded : refused) += 1;
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(loaded, 0);
}

}  // namespace
