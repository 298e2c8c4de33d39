// Text output: the built-in 8x8 and 8x16 code page 437 fonts, text colours, the
// text cursor of each image, printing with wrap and scroll, and print modes.
// Text is drawn straight into the destination image's pixels.
#pragma once

#include <cstdint>

namespace rt {

struct StrVal;
struct Image;

// Expands the constant font data into the working tables (once, at start-up).
void fonts_init();
// Working tables: one byte per glyph pixel, 0 or 255, 8 bytes per glyph row.
// 8x16 glyph n starts at byte 128 * n, 8x8 glyph n at byte 64 * n.
const uint8_t* font_8x16();
const uint8_t* font_8x8();
// Glyph rows of a font number (8, 14 or 16; any other number counts as 16) and
// the start of glyph `code` in the working tables.
int32_t font_height(int32_t font);
const uint8_t* glyph(int32_t font, uint8_t code);

// Bottom text row of an image from its height and font (at least 1).
uint16_t bottom_row_for(const Image& img);

// presence bit 0 foreground, bit 1 background, bit 2 third argument.
void set_color(uint32_t foreground, uint32_t background, uint32_t third, uint32_t presence);
// presence bit 0 row, bit 1 column, bit 2 visibility, bit 3 cursor shape.
void locate(int32_t row, int32_t column, int32_t visibility, int32_t cursor_start,
            int32_t cursor_end, uint32_t presence);
void fit_text(const StrVal* s);
void print_text(const StrVal* s, bool new_line);
// New line on an image: next row, column 1, scrolling at the bottom row; ends a
// pending wrap.
void new_line(Image& img);
// mode 1 fill background, 2 keep background, 3 only background.
void set_print_mode(int32_t mode, int32_t handle, bool handle_given);

// Restricts the text view of an image to rows top..bottom (at most its last row,
// else error 5) and puts the cursor at column 1 of the top row.
void set_text_view(Image& img, uint16_t top, uint16_t bottom);

}  // namespace rt
