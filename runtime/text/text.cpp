// Text output into an image: colours, the text cursor, printing with wrap and
// scroll, and the print modes. Everything runs on the program thread.
//
// Pixel images are laid out in cells of 8 pixels by the font height; a text
// screen (mode 0) is its own grid of 16-bit cells, character in the low byte
// and attribute (foreground | background << 4) in the high byte.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "runtime/graphics/graphics.h"
#include "runtime/core/core.h"
#include "runtime/platform/clock.h"
#include "runtime/sound/sound.h"
#include "runtime/text/text.h"
#include "runtime/values/values.h"

namespace rt {

namespace {

constexpr int32_t illegal_function_call = 5;

// The text grid of an image, in the units of its pixels.
struct Grid {
    int32_t cell_width, cell_height;
    int32_t columns, rows;
};

Grid grid_of(const Image& img) {
    if (img.text_screen) return {1, 1, img.width, img.height};
    int32_t h = font_height(img.font);
    return {8, h, img.width / 8, img.height / h};
}

// The column the cursor stays in when a line is full: never 0, even on an image
// narrower than one cell.
int32_t last_column(const Grid& g) { return std::max(g.columns, 1); }

Image* destination() {
    Image& img = image(destination_image);
    return img.in_use && img.pixels ? &img : nullptr;
}

uint16_t cell_value(const Image& img, uint8_t code) {
    uint32_t attribute = (uint32_t(img.foreground) & 15) | (img.background & 15) << 4;
    return uint16_t(code | attribute << 8);
}

void put_pixel(Image& img, int32_t x, int32_t y, uint32_t colour) {
    size_t at = size_t(y) * img.width + size_t(x);
    if (img.bytes_per_pixel == 4)
        std::memcpy(img.pixels + at * 4, &colour, 4);
    else
        img.pixels[at] = uint8_t(colour & img.colour_mask);
}

// Fills pixel rows [y1, y2) with the background colour (blank cells on a text screen).
void fill_rows(Image& img, int32_t y1, int32_t y2) {
    y2 = std::min<int32_t>(y2, img.height);
    if (y1 >= y2) return;
    if (img.text_screen) {
        uint16_t blank = cell_value(img, ' ');
        for (int32_t y = y1; y < y2; ++y)
            for (int32_t x = 0; x < img.width; ++x)
                std::memcpy(img.pixels + (size_t(y) * img.width + x) * 2, &blank, 2);
    } else if (img.bytes_per_pixel == 1) {
        std::memset(img.pixels + size_t(y1) * img.width, int(img.background & img.colour_mask),
                    size_t(y2 - y1) * img.width);
    } else {
        for (int32_t y = y1; y < y2; ++y)
            for (int32_t x = 0; x < img.width; ++x) put_pixel(img, x, y, img.background);
    }
}

// Moves the text rows below the top row of the view up by one and blanks the
// bottom row.
void scroll(Image& img) {
    const Grid g = grid_of(img);
    const size_t row_bytes = size_t(img.width) * img.bytes_per_pixel;
    const int32_t from = img.top_row * g.cell_height;  // first pixel row of text row top + 1
    const int32_t to = from - g.cell_height;
    const int32_t end = std::min<int32_t>(img.bottom_row * g.cell_height, img.height);
    if (end > from)
        std::memmove(img.pixels + size_t(to) * row_bytes, img.pixels + size_t(from) * row_bytes,
                     size_t(end - from) * row_bytes);
    fill_rows(img, (img.bottom_row - 1) * g.cell_height, img.bottom_row * g.cell_height);
}

void draw_glyph(Image& img, uint8_t code) {
    const Grid g = grid_of(img);
    const int32_t x0 = (img.cursor_column - 1) * g.cell_width, y0 = (img.cursor_row - 1) * g.cell_height;
    if (x0 < 0 || y0 < 0) return;
    if (img.text_screen) {
        if (x0 >= img.width || y0 >= img.height) return;
        uint16_t cell = cell_value(img, code);
        std::memcpy(img.pixels + (size_t(y0) * img.width + x0) * 2, &cell, 2);
        return;
    }
    // Clipped, so that an image smaller than one cell stays intact.
    const int32_t w = std::min<int32_t>(8, img.width - x0), h = std::min(g.cell_height, img.height - y0);
    const uint8_t* bits = glyph(img.font, code);
    const uint32_t fore = uint32_t(img.foreground), back = img.background;
    for (int32_t r = 0; r < h; ++r)
        for (int32_t p = 0; p < w; ++p) {
            bool set = bits[r * 8 + p] != 0;
            if (img.print_mode == print_keep_background) {
                if (set) put_pixel(img, x0 + p, y0 + r, fore);
            } else if (img.print_mode == print_only_background) {
                if (!set) put_pixel(img, x0 + p, y0 + r, back);
            } else {
                put_pixel(img, x0 + p, y0 + r, set ? fore : back);
            }
        }
}

// Draws a glyph at the cursor and moves one column on. Past the last full cell
// the cursor goes to the next line when more output follows; otherwise it stays
// in the last column with a wrap pending. True when it went to a new line.
bool put_character(Image& img, uint8_t code, bool more_follows) {
    const Grid g = grid_of(img);
    draw_glyph(img, code);
    ++img.cursor_column;
    if (int64_t(g.cell_width) * (img.cursor_column - 1) <= int64_t(img.width) - g.cell_width) return false;
    if (more_follows) {
        new_line(img);
        return true;
    }
    img.cursor_column = uint16_t(last_column(g));
    img.pending_wrap = 1;
    return false;
}

// Spaces until the cursor lands on a column of the form 8k + 1; each space
// wraps like any character. True when the last space went to a new line.
bool tab(Image& img, bool more_follows) {
    // A page narrower than 8 columns has no such column to reach.
    const bool has_stops = grid_of(img).columns >= 8;
    for (;;) {
        const bool again = has_stops && img.cursor_column % 8 != 0;
        const bool wrapped = put_character(img, ' ', more_follows || again);
        if (!again) return wrapped;
    }
}

void cursor_right(Image& img) {
    const int32_t last = last_column(grid_of(img));
    if (img.cursor_row < img.bottom_row || img.cursor_column < last) {
        if (img.cursor_column + 1 > last) {
            img.cursor_column = 1;
            ++img.cursor_row;
        } else {
            ++img.cursor_column;
        }
    }
}

void cursor_left(Image& img) {
    if (img.cursor_column != 1 || (img.cursor_row > img.top_row && img.cursor_row <= img.bottom_row)) {
        if (img.cursor_column <= 1) {
            img.cursor_column = uint16_t(last_column(grid_of(img)));
            --img.cursor_row;
        } else {
            --img.cursor_column;
        }
    }
}

void print_bytes(Image& img, const uint8_t* bytes, uint32_t length, bool line_end) {
    if (img.pending_wrap) {
        if (length > 0) {
            img.pending_wrap = 0;
            new_line(img);
        } else if (line_end) {
            img.pending_wrap = 0;
        }
    }
    // Whether the last byte was a character whose wrap already ended the line.
    bool wrapped_at_end = false;
    for (uint32_t i = 0; i < length && !error_pending(); ++i) {
        const uint8_t b = bytes[i];
        const bool more = i + 1 < length;
        wrapped_at_end = false;
        switch (b) {
            case 7:
                play_tone(783.99, 0.2);
                platform::sleep_ms(250);
                break;
            case 9: wrapped_at_end = tab(img, more || line_end) && !more; break;
            case 10:
            case 13: new_line(img); break;
            case 11:
                img.cursor_row = img.top_row;
                img.cursor_column = 1;
                break;
            case 12: clear_screen(0, 0, 0); break;
            case 28: cursor_right(img); break;
            case 29: cursor_left(img); break;
            case 30:
                if (img.top_row < img.cursor_row && img.cursor_row <= img.bottom_row) --img.cursor_row;
                break;
            case 31:
                if (img.top_row <= img.cursor_row && img.cursor_row < img.bottom_row) ++img.cursor_row;
                break;
            default: wrapped_at_end = put_character(img, b, more || line_end) && !more;
        }
    }
    if (line_end && !wrapped_at_end && !error_pending()) new_line(img);
}

// Colours a set_color call may give: a palette image takes its indices, a text
// screen 32 foregrounds (16 and up blink on real hardware) and 16 backgrounds,
// a 32-bit image any colour.
bool colours_allowed(const Image& img, uint32_t colour, bool background) {
    if (img.text_screen) return colour <= (background ? 15u : 31u);
    if (img.bytes_per_pixel == 4) return true;
    return colour <= img.colour_mask;
}

}  // namespace

uint16_t bottom_row_for(const Image& img) {
    const Grid g = grid_of(img);
    return uint16_t(std::clamp(g.rows - 1, 1, 65535));
}

void new_line(Image& img) {
    img.pending_wrap = 0;
    img.cursor_column = 1;
    if (img.cursor_row + 1 <= img.bottom_row) {
        ++img.cursor_row;
        return;
    }
    scroll(img);
    img.cursor_row = img.bottom_row;
}

// No image kind here has a third colour: giving one is an error.
void set_color(uint32_t foreground, uint32_t background, uint32_t /*third*/, uint32_t presence) {
    if (error_pending() || (presence & 7) == 0) return;
    Image* img = destination();
    if (!img) return;
    if ((presence & 4) || ((presence & 1) && !colours_allowed(*img, foreground, false)) ||
        ((presence & 2) && !colours_allowed(*img, background, true))) {
        raise_error(illegal_function_call);
        return;
    }
    if (presence & 1) img->foreground = int32_t(foreground);
    if (presence & 2) img->background = background;
}

void locate(int32_t row, int32_t column, int32_t visibility, int32_t cursor_start, int32_t cursor_end,
            uint32_t presence) {
    if (error_pending()) return;
    Image* img = destination();
    if (!img) return;
    const Grid g = grid_of(*img);
    // The row just below the view's bottom row is reachable here only when it is
    // the last row of the image.
    const bool bad_row = (presence & 1) && (row < img->top_row || (row > img->bottom_row && row != g.rows));
    const bool bad_column = (presence & 2) && (column < 1 || column > g.columns);
    const bool bad_visibility = (presence & 4) && visibility != 0 && visibility != 1;
    const bool bad_shape =
        (presence & 8) && (cursor_start < 0 || cursor_start > 31 || cursor_end < 0 || cursor_end > 31);
    if (bad_row || bad_column || bad_visibility || bad_shape) {
        raise_error(illegal_function_call);
        return;
    }
    if (presence & 1) img->cursor_row = uint16_t(row);
    if (presence & 2) img->cursor_column = uint16_t(column);
    if (presence & 4) img->cursor_visible = uint8_t(visibility);
    if (presence & 8) {
        img->cursor_first = uint8_t(cursor_start);
        img->cursor_last = uint8_t(cursor_end);
    }
    img->pending_wrap = 0;
}

void fit_text(const StrVal* s) {
    if (error_pending()) return;
    Image* img = destination();
    if (!img || img->pending_wrap || img->cursor_column == 1) return;
    const Grid g = grid_of(*img);
    const int64_t length = s ? s->length : 0;
    if (int64_t(img->cursor_column - 1) * g.cell_width + length * g.cell_width > img->width) new_line(*img);
}

void print_text(const StrVal* s, bool new_line_requested) {
    if (error_pending()) return;
    Image* img = destination();
    if (!img) return;
    print_bytes(*img, s ? s->text : nullptr, s ? s->length : 0, new_line_requested);
}

void set_print_mode(int32_t mode, int32_t handle, bool handle_given) {
    if (error_pending()) return;
    Image* img = handle_given ? image_of_handle(handle) : destination();
    if (!img) return;
    if (mode < 1 || mode > 3 || (img->text_screen && mode != 1)) {
        raise_error(illegal_function_call);
        return;
    }
    static constexpr uint8_t stored[4] = {0, print_fill_background, print_keep_background, print_only_background};
    img->print_mode = stored[mode];
}

void set_text_view(Image& img, uint16_t top, uint16_t bottom) {
    if (error_pending()) return;
    const Grid g = grid_of(img);
    if (top < 1 || bottom < top || bottom > std::max(g.rows, 1)) {
        raise_error(illegal_function_call);
        return;
    }
    img.top_row = top;
    img.bottom_row = bottom;
    img.cursor_row = top;
    img.cursor_column = 1;
    img.pending_wrap = 0;
}

}  // namespace rt
