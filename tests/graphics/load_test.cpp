// Loading pictures through SDL_image and matching them to the destination palette.
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
