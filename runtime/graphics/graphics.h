// Graphics: the image store with image handles, screen pages and the default
// palette; image loading with colour matching; image copy with a clear colour;
// clearing, lines, circles and pixel reads.
//
// An image handle is an integer: -n names image number n, 0 and above name screen
// pages (page 0 is the visible one). Numbers 0 and 1 never name an image.
// Only the program thread changes the store; the display thread reads the display page.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace rt {

struct StrVal;

// Flag bits of an image record.
constexpr uint32_t image_owns_palette = 1;
constexpr uint32_t image_is_page = 2;
constexpr uint32_t image_owns_pixels = 4;
constexpr uint32_t no_clear_colour = 0xFFFFFFFFu;

// Print modes as stored in the record.
constexpr uint8_t print_keep_background = 1;
constexpr uint8_t print_only_background = 2;
constexpr uint8_t print_fill_background = 3;

struct Image {
    uint8_t in_use = 0;
    uint8_t text_screen = 0;          // mode 0: character cells instead of pixels
    uint16_t width = 0, height = 0;   // pixels (mode 0: cells)
    uint8_t bytes_per_pixel = 0;      // 1 palette modes, 2 mode 0 cells, 4 mode 32
    uint8_t bits_per_pixel = 0;
    uint32_t colour_mask = 0;         // 2^bits - 1; all ones for mode 32
    uint16_t mode = 0;
    int32_t foreground = 0;
    uint32_t background = 0;
    uint32_t drawing_colour = 0;
    int32_t font = 16;                // 8, 14 or 16: cell height
    uint16_t top_row = 1, bottom_row = 1, cursor_row = 1, cursor_column = 1;
    uint8_t cursor_visible = 0, cursor_first = 4, cursor_last = 4;
    uint8_t pending_wrap = 0;
    uint8_t* pixels = nullptr;        // row-major, width * bytes_per_pixel per row
    uint32_t flags = 0;
    uint32_t* palette = nullptr;      // 256 entries 0xAARRGGBB; null for mode 32
    uint32_t clear_colour = no_clear_colour;
    uint8_t print_mode = print_fill_background;
    uint8_t alpha_off = 0;            // alpha switch: 32-bit copies do not blend
    // View, graphics cursor and coordinate window: copied whole between pages.
    struct View {
        int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        float cursor_x = 0, cursor_y = 0;
        float scale_x = 1, scale_y = 1;
        double origin_x = 0, origin_y = 0;
    } view;
};

// ------------------------------------------------------------ the store
// (Re)starts the store: every image freed, numbers 0 and 1 reserved, no screen yet.
void images_init();
// The record of an image number (valid until the number is freed).
Image& image(int32_t number);
// Count of numbers handed out so far (numbers below it may be in use).
int32_t image_count();
// Record of a handle after validation: a negative handle must name an image in use
// (else error 258); a page number is created on demand. Null on error.
Image* image_of_handle(int32_t handle);
// Image number of a handle (same rules), or 0 on error.
int32_t image_number_of_handle(int32_t handle);
// Frees an image that is not a page of the screen.
void free_image(int32_t number);

// Default 256-colour palette (0xAARRGGBB, alpha 0xFF) and the 64-entry EGA set.
extern const std::array<uint32_t, 256> default_palette;
extern const std::array<uint32_t, 64> ega_palette;

// The three roles, as image numbers. The display thread reads the display page.
extern std::atomic<int32_t> display_page;
extern int32_t destination_image;
extern int32_t source_image;
int32_t destination_handle();
int32_t source_handle();
int32_t display_handle();

// mode given: 0..2, 7..13, 32 or 256. Handle; -1 when memory runs out; 0 on error.
int32_t new_image(int32_t width, int32_t height, int32_t mode, bool mode_given);
// An image handle makes that image the screen; 0 (a mode) makes the text screen.
void select_screen(int32_t handle);
// The start-up form: eight 80 by 25 text pages.
void select_text_screen();
void set_dest(int32_t handle);

// ------------------------------------------------------------ loading
// mode given: 32 or 256. Handle, -1 when the file cannot be loaded, 0 on error.
int32_t load_image(const StrVal* file_name, int32_t mode, bool mode_given);

// ------------------------------------------------------------ copy
// Presence bits of put_image.
constexpr uint32_t put_dest_corner_1 = 1;
constexpr uint32_t put_dest_corner_2 = 2;
constexpr uint32_t put_source_handle = 4;
constexpr uint32_t put_dest_handle = 8;
constexpr uint32_t put_source_corner_1 = 16;
constexpr uint32_t put_source_corner_2 = 32;
void put_image(double x1, double y1, double x2, double y2, int32_t source, int32_t destination,
               double sx1, double sy1, double sx2, double sy2, uint32_t presence);
// presence bit 1 = colour given, 2 = image given.
void set_clear_color(bool none_form, uint32_t colour, int32_t handle, uint32_t presence);

// ------------------------------------------------------------ drawing
// Pixel coordinate of a number: single precision, then nearest, ties to even.
int32_t to_pixel(double v);
// presence bit 1 = kind given, 2 = fill colour given.
void clear_screen(int32_t kind, uint32_t fill, uint32_t presence);
// shape 0 line, 1 box, 2 filled box; presence 1 = first point, 2 = colour, 4 = style.
void draw_line(bool relative_1, double x1, double y1, bool relative_2, double x2, double y2,
               uint32_t colour, int32_t shape, uint32_t style, uint32_t presence);
// presence 1 = colour, 2 = start angle, 4 = end angle, 8 = aspect.
void draw_circle(bool relative, double x, double y, double radius, uint32_t colour,
                 double start_angle, double end_angle, double aspect, uint32_t presence);
// Palette index at a pixel of the source image; -1 outside the view.
int64_t point_color(double x, double y);

}  // namespace rt
