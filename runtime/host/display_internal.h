// Internals of the display update shared with its tests and benchmark: the
// pixel loops that turn a page into 32-bit video words, and a way to forget the
// video state.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "runtime/host/host.h"

struct SDL_Surface;

namespace rt {

// Where a picture goes: 32-bit words, `stride` words from one row to the next.
struct PixelTarget {
    uint32_t* pixels = nullptr;
    size_t stride = 0;
    int32_t width = 0, height = 0;
};

// Converts a palette picture (one byte per pixel, `src_stride` bytes per row)
// into `dst`, starting at `dst_row0`: every pixel becomes palette[index], written
// `factor_x` times across and repeated on `factor_y` lines (factors 1 or 2).
void convert_palette_rows(const uint8_t* src, size_t src_stride, int32_t width, int32_t height,
                          const uint32_t* palette, uint32_t* dst_row0, size_t dst_stride,
                          int32_t factor_x, int32_t factor_y);
// The same, one word at a time: what the conversion does on processors without
// the byte-permute instructions of the fast path.
void convert_palette_rows_portable(const uint8_t* src, size_t src_stride, int32_t width, int32_t height,
                                   const uint32_t* palette, uint32_t* dst_row0, size_t dst_stride,
                                   int32_t factor_x, int32_t factor_y);
// True when this processor takes the fast path (64 pixels a step).
bool vector_conversion_available();

// The same for a 32-bit picture: rows copied as they are.
void copy_rgb_rows(const uint32_t* src, size_t src_stride, int32_t width, int32_t height,
                   uint32_t* dst_row0, size_t dst_stride, int32_t factor_x, int32_t factor_y);

// Copies a side buffer of 0xAARRGGBB words (surface size, tightly packed) into a
// locked 32-bit surface whose channel masks are not the usual ones.
void copy_side_buffer(const uint32_t* side, SDL_Surface* surface);

// Forgets the video state, the frame cache and the rate limiter's mark: the next
// display update sets the video mode anew and redraws everything.
void display_forget();
// The rate limiters' marks alone.
void forget_frame_marks();

// Whether the latest frame sent to the window was sent by the display thread.
extern std::atomic<bool> last_present_on_display_thread;

// display_now's hand-over: the program thread takes the display page's changes
// into the frame cache (a palette page) or copies it whole (any other page)
// while no frame is waiting to be presented; the display thread presents that.
void copy_display_page();
void present_display_page_copy();
// The frame taken is not presented (a display update of the live page comes instead).
void drop_display_page_copy();

// Hands a full-screen request to whichever thread presents, and waits until it is served.
void ask_full_screen(ScreenMode wanted);

}  // namespace rt
