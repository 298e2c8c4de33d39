// Presentation inside the host, shared with its tests and benchmark: the frame
// (what is brought into the window), its hand-over from the program thread to
// the display thread, and the pixel loops that turn a page into 32-bit video
// words.
//
// A frame goes: the display page --take_frame--> a Frame (a palette page's
// changed rows into the frame cache) --present_frame--> the window. display_now
// takes it on the program thread and hands it over (handover.cpp); the display
// update takes the live page on the presenting thread itself (present.cpp).
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/graphics/graphics.h"
#include "runtime/host/frame_cache.h"
#include "runtime/host/host.h"

struct SDL_Surface;

// For the pixel loops, which touch only the display thread's own buffers and
// the window: under the race checker their millions of accesses a frame would
// push out of its history the page reads it must name to accept their race.
#if defined(__SANITIZE_THREAD__)
#define NOT_RACE_CHECKED __attribute__((no_sanitize("thread")))
#else
#define NOT_RACE_CHECKED
#endif

namespace rt {

// ------------------------------------------------------------------ the frame
struct Frame {
    Image page;  // the display page's record; pixels and palette point below
    std::vector<uint8_t> pixels;  // pages that are not palette pages, copied whole
    std::array<uint32_t, 256> palette{};
    std::vector<Band> bands;  // palette pages: the rows changed since the cache
    bool valid = false;       // there was a display page to take
};

// Takes the display page: a palette page's changes go into the frame cache (the
// frame's pixels are the cache's), any other page is copied.
void take_frame(Frame& frame);
// Brings a frame into the window between the two checks of the display hold.
void present_frame(const Frame& frame);

// -------------------------------------------------------------- the hand-over
// Work on the window the program thread hands to the display thread (bits
// below); each bit is cleared once its work is done.
extern std::atomic<int32_t> window_requests;
constexpr int32_t window_request_present = 1;  // run the display update
constexpr int32_t window_request_caption = 2;  // set the caption
constexpr int32_t window_request_frame = 4;    // present the handed frame
// display_now's frame, while the frame bit is set.
extern Frame handed_frame;

// Has the display thread do `request` (window_request_* bits) and waits until it
// is done; on the display thread itself, or without one, does it at once.
void on_display_thread(int32_t request);
// Does the work asked for (display thread).
void serve_window_requests();
// The display thread's sleep: `ms` milliseconds, serving requests and taking
// window input as they come. False when the window was closed meanwhile.
bool display_thread_idle(uint32_t ms);
// Hands a full-screen request to whichever thread presents, and waits until it is served.
void ask_full_screen(ScreenMode wanted);
// Counts the full-screen requests the display update has taken, so that the
// thread waiting for one wakes as it is taken rather than at its next look.
extern std::atomic<int32_t> full_screen_requests_taken;

// ------------------------------------------------------------- the video side
// Whether the latest frame sent to the window was sent by the display thread.
extern std::atomic<bool> last_present_on_display_thread;
// Forgets the video state, the frame cache and the rate limiter's mark: the next
// display update sets the video mode anew and redraws everything.
void display_forget();
// The rate limiters' marks alone.
void forget_frame_marks();

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

// One axis of a scaled picture: `page` pixels onto `screen` pixels. Each page
// pixel gets `whole` screen pixels (0 when the screen is smaller) and, where the
// screen is not a whole multiple, some get a seam after them: one screen pixel
// blended half and half with the next page pixel, the seams spread evenly.
struct ScaleAxis {
    int32_t page = 0, screen = 0, whole = 0;
    std::vector<int32_t> source;      // per screen pixel: its page pixel (the left one of a seam)
    std::vector<uint8_t> seam;        // per screen pixel: a seam
    std::vector<uint8_t> seam_after;  // per page pixel: a seam follows it
    std::vector<int32_t> first, end;  // per page pixel: the screen pixels it touches, seams included
};
ScaleAxis make_scale_axis(int32_t page, int32_t screen);

struct ScreenRect {
    int32_t x = 0, y = 0, width = 0, height = 0;
};
// Scales the part `band` of a 32-bit picture onto the window's pixels at
// `origin` (the picture's top-left corner, `stride` words a row); returns the
// screen pixels written, relative to `origin`. The seams at the band's edges
// are blended with the picture's pixels beyond it.
ScreenRect scale_picture(const ScaleAxis& across, const ScaleAxis& down, const uint32_t* picture,
                         size_t picture_stride, const Band& band, uint32_t* origin, size_t stride);

// Copies a side buffer of 0xAARRGGBB words (surface size, tightly packed) into a
// locked 32-bit surface whose channel masks are not the usual ones.
void copy_side_buffer(const uint32_t* side, SDL_Surface* surface);

}  // namespace rt
