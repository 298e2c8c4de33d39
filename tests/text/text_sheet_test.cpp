// A contact sheet of the text output: every glyph of both fonts and a line in
// each print mode over a striped background, printed through the real
// operations on an 800 by 600 page and saved as a PNG for a look by eye
// (text_sheet.png in the working directory, or the path in TEXT_SHEET_PNG).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/text/text_fixture.h"
#include "tools/page_png/page_png.h"

namespace {

using text_test::TextPage;
using text_test::print;

// Bytes that print_text acts on instead of drawing.
bool is_control(uint8_t c) { return c == 7 || (c >= 9 && c <= 13) || (c >= 28 && c <= 31); }

class TextSheet : public TextPage {
protected:
    // Draws glyph `code` at the cursor cell with fill background, the way print
    // would if the byte were not a control byte, and moves one column on.
    void blit(uint8_t code) {
        const int32_t h = rt::font_height(page->font);
        const uint8_t* bits = rt::glyph(page->font, code);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < 8; ++x)
                px((page->cursor_column - 1) * 8 + x, (page->cursor_row - 1) * h + y) =
                    uint8_t(bits[y * 8 + x] ? page->foreground : page->background);
        ++page->cursor_column;
    }
    void put(uint8_t code) {
        if (is_control(code)) blit(code);
        else print(std::string(1, char(code)), false);
    }
    // 16 rows of 16 glyphs, two columns apart, starting at (row, column) of the
    // current font with rows `step` apart.
    void glyph_grid(int32_t row, int32_t column, int32_t step) {
        for (int32_t r = 0; r < 16; ++r) {
            cursor_at(row + r * step, column);
            for (int32_t c = 0; c < 16; ++c) {
                put(uint8_t(r * 16 + c));
                print(" ", false);
            }
        }
    }
    void use_font(int32_t font) {
        page->font = font;
        page->bottom_row = rt::bottom_row_for(*page);
    }
    // Whether every cell of the grid shows its glyph in fill background.
    bool grid_matches(int32_t row, int32_t column, int32_t step, uint8_t fore, uint8_t back) {
        const int32_t h = rt::font_height(page->font);
        for (int32_t code = 0; code < 256; ++code) {
            const int32_t x0 = (column - 1 + 2 * (code % 16)) * 8, y0 = (row - 1 + step * (code / 16)) * h;
            const uint8_t* bits = rt::glyph(page->font, uint8_t(code));
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < 8; ++x)
                    if (px(x0 + x, y0 + y) != (bits[y * 8 + x] ? fore : back)) return false;
        }
        return true;
    }
};

TEST_F(TextSheet, AllGlyphsAndPrintModes) {
    rt::set_color(15, 1, 0, 3);
    rt::clear_screen(0, 0, 0);
    cursor_at(1, 2);
    print("Code page 437: the 8x16 font (left) and the 8x8 font (right), codes 00-FF", false);

    rt::set_color(14, 1, 0, 3);
    glyph_grid(3, 6, 1);
    EXPECT_TRUE(grid_matches(3, 6, 1, 14, 1));
    rt::set_color(7, 1, 0, 3);
    for (int32_t r = 0; r < 16; ++r) {
        const char label[] = {"0123456789ABCDEF"[r], '0', 0};
        cursor_at(3 + r, 2);
        print(label, false);
    }

    use_font(8);
    rt::set_color(10, 1, 0, 3);
    glyph_grid(5, 56, 2);  // 8-pixel rows: row 5 + 2r lines up with row 3 + r of the 8x16 grid
    EXPECT_TRUE(grid_matches(5, 56, 2, 10, 1));
    use_font(14);
    rt::set_color(11, 1, 0, 3);
    cursor_at(33, 2);
    print("Font 14 uses rows 1-14 of the 8x16 glyphs: \xC9\xCD\xBB \xE0\xE1\xE2\xE3 \xB0\xB1\xB2\xDB", false);
    use_font(16);

    // Print modes over stripes of the hue ring, so that untouched pixels show.
    for (int32_t y = 320; y < 432; ++y)
        for (int32_t x = 0; x < 800; ++x) px(x, y) = uint8_t(32 + (x / 3) % 24);
    const struct {
        int32_t mode;
        const char* text;
    } samples[] = {{1, "Mode 1, fill background: yellow on red, the whole cell painted"},
                   {2, "Mode 2, keep background: yellow glyph pixels only, stripes between strokes"},
                   {3, "Mode 3, only background: red around the letters, stripes inside them"}};
    rt::set_color(14, 4, 0, 3);
    for (int32_t i = 0; i < 3; ++i) {
        rt::set_print_mode(samples[i].mode, 0, false);
        cursor_at(22 + 2 * i, 2);
        print(samples[i].text, false);
    }
    rt::set_print_mode(1, 0, false);
    EXPECT_EQ(error(), 0);
    rt::set_color(15, 1, 0, 3);
    cursor_at(31, 80);
    print("Wrap: this line starts in column 80 and goes on in column 1.", true);
    print("Tabs:\t1\t9\t17\t25", true);

    rt::set_text_view(*page, 37, 37);
    rt::set_color(15, 0, 0, 3);
    print("", true);
    print("Press any key to continue", false);
    EXPECT_EQ(error(), 0);

    const char* path = std::getenv("TEXT_SHEET_PNG");
    EXPECT_TRUE(page_png::write_rgb(path && *path ? path : "text_sheet.png",
                                    {page->width, page->height, page->pixels, page->width, page->palette}));
}

}  // namespace
