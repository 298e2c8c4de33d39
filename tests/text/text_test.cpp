// Fonts, cursor, wrap, scroll, print modes and the control bytes of the text output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/platform/virtual/virtual.h"
#include "tests/text/text_fixture.h"

namespace {

using text_test::TextPage;
using text_test::fit;
using text_test::print;

// A glyph as rows of '#' (set) and '.' (clear).
std::vector<std::string> picture(int32_t font, uint8_t code) {
    std::vector<std::string> rows;
    const uint8_t* bits = rt::glyph(font, code);
    for (int32_t y = 0; y < rt::font_height(font); ++y) {
        std::string row;
        for (int32_t x = 0; x < 8; ++x) row += bits[y * 8 + x] ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

TEST(TextFonts, WorkingTablesHoldOneBytePerPixel) {
    rt::fonts_init();
    for (int32_t i = 0; i < 256 * 128; ++i) ASSERT_TRUE(rt::font_8x16()[i] == 0 || rt::font_8x16()[i] == 255) << i;
    for (int32_t i = 0; i < 256 * 64; ++i) ASSERT_TRUE(rt::font_8x8()[i] == 0 || rt::font_8x8()[i] == 255) << i;
    EXPECT_EQ(rt::glyph(16, 'A'), rt::font_8x16() + 128 * 'A');
    EXPECT_EQ(rt::glyph(14, 'A'), rt::font_8x16() + 128 * 'A' + 8);  // rows 1-14 of the 16
    EXPECT_EQ(rt::glyph(8, 'A'), rt::font_8x8() + 64 * 'A');
    EXPECT_EQ(rt::font_height(8), 8);
    EXPECT_EQ(rt::font_height(14), 14);
    EXPECT_EQ(rt::font_height(16), 16);
}

// Shapes that a Latin-1 or other national font would get wrong.
TEST(TextFonts, GlyphsHaveTheCodePage437Shapes) {
    rt::fonts_init();
    using P = std::vector<std::string>;
    EXPECT_EQ(picture(16, 0x01), (P{"........", "........", ".######.", "#......#", "#.#..#.#", "#......#",
                                    "#......#", "#.####.#", "#..##..#", "#......#", "#......#", ".######.",
                                    "........", "........", "........", "........"}));
    EXPECT_EQ(picture(16, 0xE0), (P{"........", "........", "........", "........", "........", ".###.##.",
                                    "##.###..", "##.##...", "##.##...", "##.##...", "##.###..", ".###.##.",
                                    "........", "........", "........", "........"}));
    // Cent, yen and the right guillemet come from a second 8x8 font.
    EXPECT_EQ(picture(8, 0x9B), (P{"...##...", "...##...", ".######.", "##......", "##......", ".######.",
                                   "...##...", "...##..."}));
    EXPECT_EQ(picture(8, 0x9D), (P{".##..##.", ".##..##.", "..####..", ".######.", "...##...", ".######.",
                                   "...##...", "...##..."}));
    EXPECT_EQ(picture(8, 0xAF), (P{"........", "##..##..", ".##..##.", "..##..##", ".##..##.", "##..##..",
                                   "........", "........"}));
    for (int32_t font : {8, 16}) {
        const int32_t h = rt::font_height(font);
        EXPECT_EQ(picture(font, 0xDB), P(size_t(h), "########")) << font;
        EXPECT_EQ(picture(font, 0x00), P(size_t(h), "........")) << font;
        EXPECT_EQ(picture(font, 0xFF), P(size_t(h), "........")) << font;
        // Box drawing joins up: the single vertical line fills every row.
        for (const std::string& row : picture(font, 0xB3)) EXPECT_EQ(row, "...##...") << font;
    }
}

TEST_F(TextPage, FullLineLeavesPendingWrapAndTheLineEndMovesDownOnce) {
    cursor_at(5, 1);
    print(std::string(100, 'X'), false);
    expect_cursor(5, 100, true);
    print("", false);
    expect_cursor(5, 100, true);
    print("", true);
    expect_cursor(6, 1, false);
    print("", true);
    expect_cursor(7, 1, false);

    // With the line end in the same call the wrap is the only new line.
    cursor_at(10, 1);
    print(std::string(100, 'X'), true);
    expect_cursor(11, 1, false);
}

TEST_F(TextPage, TheCharacterAfterAFullLineStartsTheNextRow) {
    cursor_at(5, 1);
    print(std::string(100, 'X') + "B", false);
    EXPECT_TRUE(cell_shows(5, 100, 'X', 15, 0));
    EXPECT_TRUE(cell_shows(6, 1, 'B', 15, 0));
    expect_cursor(6, 2, false);

    cursor_at(8, 1);
    print(std::string(100, 'X'), false);
    print("Y", false);
    EXPECT_TRUE(cell_shows(9, 1, 'Y', 15, 0));
    expect_cursor(9, 2, false);
}

TEST_F(TextPage, ATrailingLineFeedIsStillFollowedByTheLineEnd) {
    cursor_at(3, 1);
    print("A\n", true);
    expect_cursor(5, 1, false);
    print("A\r", false);
    expect_cursor(6, 1, false);
}

TEST_F(TextPage, NewLineOnTheBottomRowScrollsTheTextArea) {
    for (int32_t y = 0; y < 600; ++y) std::fill_n(&px(0, y), 800, uint8_t(y % 200 + 1));
    EXPECT_EQ(page->bottom_row, 36);
    rt::set_color(15, 55, 0, 3);
    cursor_at(36, 1);
    print("", true);
    expect_cursor(36, 1, false);
    for (int32_t y = 0; y < 560; ++y) ASSERT_EQ(px(0, y), (y + 16) % 200 + 1) << y;
    for (int32_t y = 560; y < 576; ++y) ASSERT_EQ(px(799, y), 55) << y;
    for (int32_t y = 576; y < 600; ++y) ASSERT_EQ(px(400, y), y % 200 + 1) << y;  // row 37 and below kept

    // From row 37 the line end comes back to the bottom row.
    cursor_at(37, 1);
    print("", true);
    expect_cursor(36, 1, false);
}

TEST_F(TextPage, WrappingOnTheBottomRowScrollsTheLineUp) {
    cursor_at(36, 100);
    print("AB", false);
    EXPECT_TRUE(cell_shows(35, 100, 'A', 15, 0));
    EXPECT_TRUE(cell_shows(36, 1, 'B', 15, 0));
    expect_cursor(36, 2, false);
}

TEST_F(TextPage, LocateChecksRowColumnAndCursorShape) {
    rt::locate(37, 1, 0, 0, 0, 3);
    EXPECT_EQ(error(), 0);
    expect_cursor(37, 1, false);

    const struct {
        int32_t row, column, visibility, start, end;
        uint32_t presence;
    } bad[] = {{38, 1, 0, 0, 0, 3}, {1, 101, 0, 0, 0, 3}, {0, 1, 0, 0, 0, 1},  {1, 0, 0, 0, 0, 2},
               {70000, 1, 0, 0, 0, 1}, {1, 1, 2, 0, 0, 4}, {1, 1, 0, 32, 0, 8}, {1, 1, 0, 0, -1, 8}};
    for (const auto& b : bad) {
        cursor_at(4, 7);
        rt::locate(b.row, b.column, b.visibility, b.start, b.end, b.presence);
        EXPECT_EQ(error(), 5) << b.row << "," << b.column;
        clear_error();
        expect_cursor(4, 7, false);
    }

    rt::locate(0, 100, 0, 0, 0, 2);  // the column alone keeps the row
    expect_cursor(4, 100, false);
    rt::locate(0, 0, 1, 0, 31, 12);
    EXPECT_EQ(error(), 0);
    EXPECT_EQ(page->cursor_visible, 1);
    EXPECT_EQ(page->cursor_last, 31);

    print("X", false);  // a wrap is pending at column 100; locate ends it
    expect_cursor(4, 100, true);
    cursor_at(4, 100);
    expect_cursor(4, 100, false);

    // In a narrower view only the last row of the image is allowed outside it.
    rt::set_text_view(*page, 5, 20);
    for (int32_t row : {4, 21, 36}) {
        rt::locate(row, 1, 0, 0, 0, 1);
        EXPECT_EQ(error(), 5) << row;
        clear_error();
    }
    rt::locate(37, 1, 0, 0, 0, 1);
    EXPECT_EQ(error(), 0);
}

TEST_F(TextPage, FitTextStartsANewLineOnlyWhenTheTextWouldNotFit) {
    cursor_at(3, 90);
    fit(std::string(20, 'a'));  // 89 * 8 + 160 > 800
    expect_cursor(4, 1, false);
    cursor_at(3, 90);
    fit(std::string(11, 'a'));  // 89 * 8 + 88 = 800 still fits
    expect_cursor(3, 90, false);
    cursor_at(3, 1);
    fit(std::string(300, 'a'));
    expect_cursor(3, 1, false);
    print(std::string(100, 'a'), false);
    fit("abc");
    expect_cursor(3, 100, true);

    // The game's way of printing a line.
    cursor_at(7, 90);
    const std::string line(20, 'Q');
    fit(line);
    print(line, false);
    print("", true);
    EXPECT_TRUE(cell_shows(8, 1, 'Q', 15, 0));
    EXPECT_TRUE(cell_shows(8, 20, 'Q', 15, 0));
    EXPECT_TRUE(cell_shows(7, 90, ' ', 0, 0));
    expect_cursor(9, 1, false);
}

TEST_F(TextPage, PrintModesDecideWhichCellPixelsChange) {
    rt::set_color(15, 4, 0, 3);
    const struct {
        int32_t argument;
        uint8_t stored;
        bool draws_set, draws_clear;
    } modes[] = {{1, rt::print_fill_background, true, true},
                 {2, rt::print_keep_background, true, false},
                 {3, rt::print_only_background, false, true}};
    for (const auto& m : modes) {
        fill(77);
        rt::set_print_mode(m.argument, 0, false);
        ASSERT_EQ(error(), 0);
        EXPECT_EQ(page->print_mode, m.stored);
        cursor_at(2, 3);
        print("A", false);
        const uint8_t* bits = rt::glyph(16, 'A');
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = 0; x < 8; ++x) {
                uint8_t want = bits[y * 8 + x] ? (m.draws_set ? 15 : 77) : (m.draws_clear ? 4 : 77);
                ASSERT_EQ(px(16 + x, 16 + y), want) << m.argument << " at " << x << "," << y;
            }
        EXPECT_EQ(px(15, 16), 77);  // neighbouring cells untouched
        EXPECT_EQ(px(24, 31), 77);
        EXPECT_EQ(px(16, 32), 77);
    }
}

TEST_F(TextPage, SetPrintModeChecksModeAndHandle) {
    rt::set_print_mode(2, 0, false);
    for (int32_t mode : {0, 4, -1}) {
        rt::set_print_mode(mode, 0, false);
        EXPECT_EQ(error(), 5) << mode;
        clear_error();
    }
    EXPECT_EQ(page->print_mode, rt::print_keep_background);

    rt::set_print_mode(3, -1, true);
    EXPECT_EQ(error(), 258);
    clear_error();
    EXPECT_EQ(page->print_mode, rt::print_keep_background);

    int32_t other = rt::new_image(16, 16, 256, true);
    rt::set_print_mode(3, other, true);
    EXPECT_EQ(error(), 0);
    EXPECT_EQ(rt::image(-other).print_mode, rt::print_only_background);
    EXPECT_EQ(page->print_mode, rt::print_keep_background);
    rt::free_image(-other);
    rt::set_print_mode(3, other, true);  // a freed image is no longer a handle
    EXPECT_EQ(error(), 258);
}

TEST_F(TextPage, SetColorChecksRangeAndTakesOnlyWhatIsGiven) {
    rt::set_color(15, 55, 0, 3);
    EXPECT_EQ(page->foreground, 15);
    EXPECT_EQ(page->background, 55u);
    const struct {
        uint32_t fore, back, third, presence;
    } bad[] = {{256, 0, 0, 1}, {0, 256, 0, 2}, {0xFFFFFFFFu, 0, 0, 1}, {1, 2, 3, 7}, {1, 2, 0, 4}};
    for (const auto& b : bad) {
        rt::set_color(b.fore, b.back, b.third, b.presence);
        EXPECT_EQ(error(), 5) << b.fore << "," << b.back;
        clear_error();
        EXPECT_EQ(page->foreground, 15);
        EXPECT_EQ(page->background, 55u);
    }
    rt::set_color(7, 9, 0, 0);
    EXPECT_EQ(page->foreground, 15);
    rt::set_color(255, 9, 0, 1);
    EXPECT_EQ(page->foreground, 255);
    EXPECT_EQ(page->background, 55u);
    rt::set_color(3, 0, 0, 2);
    EXPECT_EQ(page->foreground, 255);
    EXPECT_EQ(page->background, 0u);
    EXPECT_EQ(error(), 0);
}

TEST_F(TextPage, TabMovesToTheNextColumnOfTheFormEightKPlusOne) {
    const struct {
        int32_t from, to;
    } tabs[] = {{1, 9}, {2, 9}, {8, 9}, {9, 17}, {16, 17}, {89, 97}};
    for (const auto& t : tabs) {
        cursor_at(3, t.from);
        print("\t", false);
        expect_cursor(3, t.to, false);
    }
    fill(77);
    cursor_at(4, 1);
    print("A\tB", false);
    EXPECT_TRUE(cell_shows(4, 1, 'A', 15, 0));
    EXPECT_TRUE(cell_shows(4, 5, ' ', 0, 0));  // the tab prints spaces
    EXPECT_TRUE(cell_shows(4, 9, 'B', 15, 0));
}

// On a page of 80 columns a tab can fill the line: its last space wraps like a
// character, so what follows starts the next row.
TEST_F(TextPage, TabThatFillsTheLineWrapsLikeACharacter) {
    const int32_t narrow = rt::new_image(640, 480, 256, true);
    rt::set_dest(narrow);
    page = &rt::image(-narrow);
    fill(77);
    cursor_at(3, 73);
    print("\tX", false);
    EXPECT_TRUE(cell_shows(3, 80, ' ', 0, 0));
    EXPECT_TRUE(cell_shows(4, 1, 'X', 15, 0));
    expect_cursor(4, 2, false);

    cursor_at(6, 75);
    print("\t", false);  // the last byte: the wrap waits
    expect_cursor(6, 80, true);
    print("", true);
    expect_cursor(7, 1, false);
    cursor_at(8, 75);
    print("\t", true);  // one new line, not two
    expect_cursor(9, 1, false);

    rt::set_dest(handle);
    rt::free_image(-narrow);
}

TEST_F(TextPage, CursorControlBytesMoveWithinTheViewAndDrawNothing) {
    fill(77);
    const struct {
        int32_t row, column;
        char byte;
        int32_t to_row, to_column;
    } moves[] = {
        {5, 10, 28, 5, 11},   {5, 100, 28, 6, 1},   {36, 100, 28, 36, 100}, {37, 5, 28, 37, 6},
        {5, 10, 29, 5, 9},    {6, 1, 29, 5, 100},   {1, 1, 29, 1, 1},       {37, 1, 29, 37, 1},
        {5, 10, 30, 4, 10},   {1, 10, 30, 1, 10},   {37, 10, 30, 37, 10},   {5, 10, 31, 6, 10},
        {36, 10, 31, 36, 10}, {20, 30, 11, 1, 1},   {20, 30, 10, 21, 1},    {20, 30, 13, 21, 1},
    };
    for (const auto& m : moves) {
        cursor_at(m.row, m.column);
        print(std::string(1, m.byte), false);
        expect_cursor(m.to_row, m.to_column, false);
    }
    for (int32_t y = 0; y < 600; ++y)
        for (int32_t x = 0; x < 800; ++x) ASSERT_EQ(px(x, y), 77) << x << "," << y;
}

TEST_F(TextPage, FormFeedClearsThePageWithTheBackground) {
    fill(77);
    rt::set_color(15, 55, 0, 3);
    cursor_at(20, 30);
    print("\fA", false);
    EXPECT_TRUE(cell_shows(1, 1, 'A', 15, 55));
    expect_cursor(1, 2, false);
    EXPECT_EQ(px(799, 599), 55);
    EXPECT_EQ(px(8, 0), 55);
}

TEST_F(TextPage, BellPlaysAToneAndPausesAQuarterSecond) {
    fill(77);
    cursor_at(2, 2);
    const uint64_t slept = rt::virtual_platform::slept_ms(), sleeps = rt::virtual_platform::sleep_count();
    print("\a", false);
    EXPECT_EQ(rt::virtual_platform::slept_ms() - slept, 250u);
    EXPECT_EQ(rt::virtual_platform::sleep_count() - sleeps, 1u);
    expect_cursor(2, 2, false);
    EXPECT_EQ(px(8, 16), 77);
}

TEST_F(TextPage, EveryOtherByteDrawsItsGlyph) {
    fill(77);
    rt::set_color(14, 1, 0, 3);
    cursor_at(1, 1);
    const std::string codes{'\0', '\x08', '\x1B', '\x7F', '\x80', '\xDB', '\xFF'};
    print(codes, false);
    for (size_t i = 0; i < codes.size(); ++i) EXPECT_TRUE(cell_shows(1, int32_t(i) + 1, uint8_t(codes[i]), 14, 1)) << i;
    expect_cursor(1, int32_t(codes.size()) + 1, false);
}

TEST_F(TextPage, NothingHappensWhileAnErrorIsPending) {
    fill(77);
    cursor_at(3, 4);
    rt::set_print_mode(2, 0, false);
    rt::raise_error(11);
    print("Hello", true);
    fit(std::string(200, 'a'));
    rt::locate(10, 10, 0, 0, 0, 3);
    rt::set_color(1, 2, 0, 3);
    rt::set_print_mode(1, 0, false);
    rt::set_print_mode(1, -1, true);
    rt::set_text_view(*page, 2, 3);
    EXPECT_EQ(error(), 11);
    expect_cursor(3, 4, false);
    EXPECT_EQ(page->foreground, 15);
    EXPECT_EQ(page->background, 0u);
    EXPECT_EQ(page->print_mode, rt::print_keep_background);
    EXPECT_EQ(page->top_row, 1);
    EXPECT_EQ(px(24, 32), 77);
}

// The end of the program restricts the view to the last row and prints its prompt there.
TEST_F(TextPage, PromptOnTheLastRowOfARestrictedView) {
    rt::set_color(15, 55, 0, 3);
    fill(9);
    cursor_at(36, 1);
    print("Row 36", false);
    rt::set_text_view(*page, 37, 37);
    expect_cursor(37, 1, false);
    print("", true);
    print("Press any key to continue", false);
    expect_cursor(37, 26, false);
    EXPECT_TRUE(cell_shows(36, 1, 'R', 15, 55));
    EXPECT_EQ(px(799, 575), 9);  // row 36 beyond its text kept the page
    const std::string prompt = "Press any key to continue";
    for (size_t i = 0; i < prompt.size(); ++i) EXPECT_TRUE(cell_shows(37, int32_t(i) + 1, uint8_t(prompt[i]), 15, 55));
    EXPECT_EQ(px(799, 576), 55);  // the rest of the row was blanked by the line end
    EXPECT_EQ(px(799, 592), 9);   // the 8 pixel rows below the last text row stay

    for (auto [top, bottom] : {std::pair<uint16_t, uint16_t>{0, 5}, {10, 5}, {1, 38}}) {
        rt::set_text_view(*page, top, bottom);
        EXPECT_EQ(error(), 5) << top << "-" << bottom;
        clear_error();
    }
    EXPECT_EQ(page->top_row, 37);
}

// Images smaller than one cell: printing stays inside the pixels and ends.
TEST_F(TextPage, PrintingOnImagesSmallerThanACellStaysInside) {
    for (auto [w, h] : {std::pair<int32_t, int32_t>{5, 10}, {12, 3}, {1, 1}}) {
        int32_t tiny = rt::new_image(w, h, 256, true);
        rt::set_dest(tiny);
        rt::Image& img = rt::image(-tiny);
        print("AB\tC\x1C\x1D", true);
        print(std::string(50, '\xDB'), false);
        rt::fit_text(nullptr);
        EXPECT_EQ(error(), 0);
        EXPECT_GE(img.cursor_column, 1);
        // The last full block covers the cell's part of the image and no more.
        EXPECT_EQ(img.pixels[size_t(h - 1) * w + std::min(w, 8) - 1], 15);
        rt::set_dest(handle);
        rt::free_image(-tiny);
    }
}

TEST_F(TextPage, TextScreenCellsHoldCharacterAndAttribute) {
    rt::select_text_screen();
    rt::Image& screen = rt::image(rt::destination_image);
    ASSERT_TRUE(screen.text_screen);
    auto cell = [&](int32_t row, int32_t column) {
        size_t at = (size_t(row - 1) * screen.width + size_t(column - 1)) * 2;
        return uint16_t(screen.pixels[at] | screen.pixels[at + 1] << 8);
    };
    EXPECT_EQ(rt::bottom_row_for(screen), 24);
    rt::set_color(14, 1, 0, 3);
    cursor_at(2, 79);
    print("Hi!", false);
    EXPECT_EQ(cell(2, 79), 0x1E00 | 'H');
    EXPECT_EQ(cell(2, 80), 0x1E00 | 'i');
    EXPECT_EQ(cell(3, 1), 0x1E00 | '!');
    rt::locate(25, 1, 0, 0, 0, 1);  // the last row, as on the pixel page
    EXPECT_EQ(error(), 0);
    rt::locate(26, 1, 0, 0, 0, 1);
    EXPECT_EQ(error(), 5);
    clear_error();
    cursor_at(24, 1);
    print("", true);  // scrolls: row 3 moves to row 2, row 24 is blanked
    EXPECT_EQ(cell(2, 1), 0x1E00 | '!');
    EXPECT_EQ(cell(24, 80), 0x1E00 | ' ');
    rt::set_color(32, 0, 0, 1);
    EXPECT_EQ(error(), 5);
    clear_error();
    rt::set_color(31, 16, 0, 2);
    EXPECT_EQ(error(), 5);
    clear_error();
    rt::set_print_mode(2, 0, false);
    EXPECT_EQ(error(), 5);
    clear_error();
    rt::set_print_mode(1, 0, false);
    EXPECT_EQ(error(), 0);
}

}  // namespace
