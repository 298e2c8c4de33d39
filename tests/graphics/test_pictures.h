// Pictures written by the tests, and a fixture with the game's screen page.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/graphics/graphics.h"
#include "runtime/values/values.h"

namespace graphics_test {

struct Rgb {
    uint8_t r, g, b;
};
Rgb rgb_of(uint32_t argb);

// An 8-bit GIF: `pixels` row-major palette indices, `palette` of up to 256 colours
// (padded to a power of two); `transparent` -1 for none.
void write_gif(const std::string& path, int width, int height, const std::vector<uint8_t>& pixels,
               const std::vector<Rgb>& palette, int transparent);
// A 24-bit BMP of row-major colours, through SDL_SaveBMP.
void write_bmp24(const std::string& path, int width, int height, const std::vector<Rgb>& pixels);

std::vector<uint8_t> read_file(const std::string& path);
void write_file(const std::string& path, const std::vector<uint8_t>& bytes);

// A string value over `text`, built by hand.
struct Name {
    std::string text;
    rt::StrVal value;
    explicit Name(std::string t);
    Name(const Name&) = delete;
    const rt::StrVal* get() const { return &value; }
};

// Fresh store, no pending error, and the game's 800 by 600 page of 256 colours
// selected as the screen. Pictures go into a folder of the test's own.
class Screen : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    rt::Image& page() { return rt::image(rt::display_page); }
    uint8_t at(int x, int y) { return page().pixels[size_t(y) * page().width + x]; }
    std::string file(const std::string& name) const { return (folder / name).string(); }
    int32_t pending() const;
    void clear_error() const;

    int32_t page_handle = 0;
    std::filesystem::path folder;
};

}  // namespace graphics_test
