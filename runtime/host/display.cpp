// Presentation: the display update that brings the display page into the
// window (mode choice, windowed and full-screen layout, the changes found by the
// frame cache converted), display_now and set_full_screen.
//
// The video state below is process-wide and used by the display thread alone
// while the display thread runs: once the game presents by itself, its
// display_now hands each update over (window_thread.cpp). Without a display
// thread (tests) the calling thread presents.
#include <SDL.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "runtime/graphics/graphics.h"
#include "runtime/host/display_internal.h"
#include "runtime/host/frame_cache.h"
#include "runtime/host/host.h"
#include "runtime/platform/frame.h"
#include "runtime/platform/wait.h"
#include "runtime/text/text.h"

namespace rt {

std::vector<VideoMode> full_screen_modes;
bool any_video_size = false;
std::atomic<bool> last_present_on_display_thread{false};

namespace {

// Full-screen modes narrower than this are never chosen.
constexpr int32_t min_full_screen_width = 640;
// Pictures up to this size are doubled in full-screen.
constexpr int32_t max_doubled_width = 512;
constexpr int32_t max_doubled_height = 384;
constexpr int32_t text_cell_width = 8;

// Where the picture sits on the video surface.
struct Layout {
    int32_t picture_width = 0, picture_height = 0;  // after doubling
    int32_t video_width = 0, video_height = 0;
    int32_t offset_x = 0, offset_y = 0;
    int32_t factor_x = 1, factor_y = 1;
    bool operator==(const Layout&) const = default;
};

struct Video {
    SDL_Surface* surface = nullptr;
    int32_t width = 0, height = 0;  // as last set
    // Drawn into instead of the surface when its masks are not 0xFF0000/0xFF00/0xFF.
    std::vector<uint32_t> side_buffer;
    bool side_buffer_in_use = false;
    bool force_reset = false;
    bool screen_valid = false;
    Layout layout;
};

Video video;
std::vector<uint32_t> text_line;  // one pixel row of a text page

bool doubles(int32_t width, int32_t height) {
    return width <= max_doubled_width && height <= max_doubled_height;
}

// The display page, or null while there is none.
const Image* shown_page() {
    int32_t number = display_page;
    if (number < 2 || number >= image_count()) return nullptr;
    const Image& page = image(number);
    if (!page.in_use || !page.pixels || page.width == 0 || page.height == 0) return nullptr;
    return &page;
}

void picture_size(const Image& page, int32_t& width, int32_t& height) {
    width = page.width;
    height = page.height;
    if (page.text_screen) {
        width *= text_cell_width;
        height *= font_height(page.font);
    }
}

void enter_state(int32_t state) {
    if (state == full_screen_state.load()) return;
    full_screen_state.store(state);
    video.force_reset = true;
    video.screen_valid = false;
    SDL_ShowCursor(state == 0 ? SDL_ENABLE : SDL_DISABLE);
}

bool same_size(const VideoMode& a, const VideoMode& b) {
    return a.width == b.width && a.height == b.height;
}

// Serves one full-screen request or, when there is none, one Alt+Enter press.
void serve_full_screen_request(const ModeChoice& choice, const std::vector<VideoMode>& modes) {
    int32_t request = full_screen_request.load();
    bool taken_request = request != -1;
    if (!taken_request) {
        if (mode_toggle_count.load() <= 0) return;
        mode_toggle_count.fetch_sub(1);
        int32_t state = full_screen_state.load();
        request = state == 0 ? 1 : state == 2 ? 0 : 2;
    }
    switch (request) {
    case 0:
        enter_state(0);
        break;
    case 1:
        if (choice.best >= 0) enter_state(1);
        break;
    case 2:
        if (choice.best_4_3 < 0 || same_size(modes[choice.best_4_3], modes[choice.best]))
            enter_state(0);
        else
            enter_state(2);
        break;
    default:
        break;  // not a state: dropped
    }
    if (taken_request) full_screen_request.compare_exchange_strong(request, -1);
}

Layout lay_out(int32_t width, int32_t height, const ModeChoice& choice,
               const std::vector<VideoMode>& modes) {
    Layout layout;
    layout.picture_width = layout.video_width = width;
    layout.picture_height = layout.video_height = height;
    int32_t state = full_screen_state.load();
    if (state == 0) return layout;
    if (doubles(width, height)) {
        layout.picture_width *= 2;
        layout.picture_height *= 2;
        layout.factor_x = layout.factor_y = 2;
    }
    const VideoMode& mode = modes[state == 1 ? choice.best : choice.best_4_3];
    layout.video_width = mode.width;
    layout.video_height = mode.height;
    layout.offset_x = (mode.width - layout.picture_width) / 2;
    layout.offset_y = (mode.height - layout.picture_height) / 2;
    return layout;
}

bool standard_masks(const SDL_PixelFormat* f) {
    return f->Rmask == 0xFF0000u && f->Gmask == 0xFF00u && f->Bmask == 0xFFu;
}

bool set_video_mode(int32_t width, int32_t height, bool full_screen) {
    SDL_Surface* s = SDL_SetVideoMode(width, height, 32, full_screen ? SDL_FULLSCREEN : 0);
    video.screen_valid = false;
    video.side_buffer_in_use = false;
    if (!s || s->format->BytesPerPixel != 4) {
        // Nothing to draw on; the next update tries again.
        video.surface = nullptr;
        video.width = video.height = 0;
        return false;
    }
    video.surface = s;
    video.width = width;
    video.height = height;
    video.force_reset = false;
    if (standard_masks(s->format)) {
        video.side_buffer = {};
    } else {
        video.side_buffer.assign(static_cast<size_t>(s->w) * s->h, 0);
        video.side_buffer_in_use = true;
    }
    return true;
}

// Lays the picture out and makes sure a video surface of the right size exists.
// A full-screen mode that cannot be set leaves the game in a window.
bool prepare_video(int32_t width, int32_t height, const ModeChoice& choice,
                   const std::vector<VideoMode>& modes) {
    for (;;) {
        Layout layout = lay_out(width, height, choice, modes);
        if (!(layout == video.layout)) video.screen_valid = false;
        video.layout = layout;
        bool current = video.surface && !video.force_reset && layout.video_width == video.width &&
                       layout.video_height == video.height;
        if (current) return true;
        int32_t state = full_screen_state.load();
        if (set_video_mode(layout.video_width, layout.video_height, state != 0)) return true;
        if (state == 0) return false;
        enter_state(0);
    }
}

PixelTarget drawing_target() {
    SDL_Surface* s = video.surface;
    if (video.side_buffer_in_use)
        return {video.side_buffer.data(), static_cast<size_t>(s->w), s->w, s->h};
    return {static_cast<uint32_t*>(s->pixels), static_cast<size_t>(s->pitch) / 4, s->w, s->h};
}

void clear_target(const PixelTarget& t) {
    for (int32_t y = 0; y < t.height; ++y)
        std::fill_n(t.pixels + static_cast<size_t>(y) * t.stride, t.width, 0u);
}

// The bands of rows to convert, their changes taken into the frame cache (the
// `handed` ones when display_now has done that already): none for an unchanged
// frame, the whole page when the cache cannot tell (another size or palette, or
// the screen not valid).
const std::vector<Band>& changed_bands(const Image& page, const std::vector<Band>* handed) {
    static std::vector<Band> bands;
    if (!handed) compare_with_cache(page, bands, true);
    if (!video.screen_valid) {
        bands.assign(1, whole_band(page));
        return bands;
    }
    return handed ? *handed : bands;
}

// display_now's frame: the display page as it was when display_now handed it
// over, so that the program thread draws on while the display thread presents.
// A palette page's changed rows go straight into the frame cache (the program
// thread owns it while no frame is waiting and the game does not present by
// itself), so the display thread converts them from there without comparing
// again; any other page is copied whole.
struct FrameCopy {
    Image page;
    std::vector<uint8_t> pixels;  // pages that are not palette pages
    std::array<uint32_t, 256> palette{};
    std::vector<Band> bands;  // palette pages: the rows changed since the cache
    bool valid = false;
    bool in_cache = false;
};
FrameCopy frame_copy;


void draw_text_page(const Image& page, uint32_t* dst, size_t stride, const Layout& layout) {
    const int32_t cell_height = font_height(page.font);
    const uint32_t* palette = palette_of(page);
    text_line.resize(static_cast<size_t>(page.width) * text_cell_width);
    for (int32_t row = 0; row < page.height; ++row) {
        for (int32_t y = 0; y < cell_height; ++y) {
            for (int32_t column = 0; column < page.width; ++column) {
                uint16_t cell;
                std::memcpy(&cell, page.pixels + (static_cast<size_t>(row) * page.width + column) * 2, 2);
                // Character in the low byte; attribute: foreground in the low
                // nibble, background in the high one (no blinking).
                uint32_t fore = palette[(cell >> 8) & 15], back = palette[cell >> 12];
                const uint8_t* bits = glyph(page.font, static_cast<uint8_t>(cell)) + y * text_cell_width;
                uint32_t* out = text_line.data() + column * text_cell_width;
                for (int32_t x = 0; x < text_cell_width; ++x) out[x] = bits[x] ? fore : back;
            }
            size_t line = (static_cast<size_t>(row) * cell_height + y) * layout.factor_y;
            copy_rgb_rows(text_line.data(), text_line.size(), static_cast<int32_t>(text_line.size()), 1,
                          dst + line * stride, stride, layout.factor_x, layout.factor_y);
        }
    }
}

// Steps 2 to 11 of the display update: everything between the two hold checks.
// `handed`: the rows of a palette page that display_now has already put into
// the frame cache. False when the page did not reach the window whole.
bool present(const Image* shown, const std::vector<Band>* handed = nullptr) {
    if (!shown) return false;
    const Image& page = *shown;
    int32_t width, height;
    picture_size(page, width, height);

    static const std::vector<VideoMode> no_modes;
    const std::vector<VideoMode>& modes = any_video_size ? no_modes : full_screen_modes;
    ModeChoice choice = choose_modes(modes, width, height);
    serve_full_screen_request(choice, modes);
    // A page larger than every listed mode cannot stay full-screen.
    int32_t state = full_screen_state.load();
    if ((state == 1 && choice.best < 0) || (state == 2 && choice.best_4_3 < 0)) enter_state(0);
    if (!prepare_video(width, height, choice, modes)) return false;

    // A palette page is sent in proportion to its change: only the rows that
    // differ from the last frame are converted and updated in the window.
    const bool palette_page = page.bytes_per_pixel == 1 && !page.text_screen;
    static const std::vector<Band> no_bands;
    const std::vector<Band>& bands = palette_page ? changed_bands(page, handed) : no_bands;
    if (palette_page && bands.empty()) return true;

    SDL_Surface* s = video.surface;
    if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) < 0) return false;
    PixelTarget target = drawing_target();
    const bool whole_surface = !video.screen_valid || !palette_page || video.side_buffer_in_use;
    if (!video.screen_valid) clear_target(target);
    const Layout& l = video.layout;
    uint32_t* origin = target.pixels + static_cast<size_t>(l.offset_y) * target.stride + l.offset_x;
    bool fits = l.offset_x >= 0 && l.offset_y >= 0 && l.offset_x + l.picture_width <= target.width &&
                l.offset_y + l.picture_height <= target.height;
    static std::vector<SDL_Rect> rects;
    rects.clear();
    if (fits && palette_page) {
        for (const Band& band : bands) {
            convert_palette_rows(page.pixels + static_cast<size_t>(band.first) * page.width + band.left,
                                 page.width, band.right - band.left, band.end - band.first, palette_of(page),
                                 origin + static_cast<size_t>(band.first) * l.factor_y * target.stride +
                                     static_cast<size_t>(band.left) * l.factor_x,
                                 target.stride, l.factor_x, l.factor_y);
            rects.push_back({Sint16(l.offset_x + band.left * l.factor_x), Sint16(l.offset_y + band.first * l.factor_y),
                             Uint16((band.right - band.left) * l.factor_x), Uint16((band.end - band.first) * l.factor_y)});
        }
    } else if (fits && page.bytes_per_pixel == 4) {
        frame_cache.size = 0;
        copy_rgb_rows(reinterpret_cast<const uint32_t*>(page.pixels), page.width, page.width, page.height,
                      origin, target.stride, l.factor_x, l.factor_y);
    } else if (fits && page.text_screen) {
        frame_cache.size = 0;
        draw_text_page(page, origin, target.stride, l);
    }
    if (video.side_buffer_in_use) copy_side_buffer(video.side_buffer.data(), s);
    if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
    if (whole_surface || rects.empty())
        SDL_UpdateRect(s, 0, 0, 0, 0);
    else
        SDL_UpdateRects(s, int(rects.size()), rects.data());
    video.screen_valid = true;
    last_present_on_display_thread.store(is_display_thread(), std::memory_order_relaxed);
    return fits;
}

// The display thread's answer to a screen switch on the program thread.
void answer_display_hold() {
    int32_t asked = 1;
    if (display_hold.compare_exchange_strong(asked, 2)) platform::poll_wait(0);
}

// The display update but for automatic presentation's word: the page presented
// between the two hold checks. A page's changes are in the frame cache once
// compared: should the page not reach the window, the next one is sent whole.
void present_unless_held(const Image* shown, const std::vector<Band>* handed = nullptr) {
    answer_display_hold();
    if (display_hold.load() != 0 || !present(shown, handed)) frame_cache.size = 0;
    answer_display_hold();
}

}  // namespace

// Hands a full-screen request to whichever thread presents, and waits until it is served.
void ask_full_screen(int32_t wanted) {
    full_screen_request.store(wanted);
    if (auto_display.load() == 1 && display_thread_running.load() != 0) {
        while (full_screen_request.load() != -1 && display_thread_running.load() != 0 &&
               stop_request.load() == 0)
            platform::poll_wait(32);
    } else {
        on_display_thread(window_request_present);
    }
}

void display_forget() {
    video = Video{};
    frame_cache = FrameCache{};
    forget_frame_marks();
}

// ------------------------------------------------------------ presentation

ModeChoice choose_modes(const std::vector<VideoMode>& modes, int32_t width, int32_t height) {
    if (doubles(width, height)) {
        width *= 2;
        height *= 2;
    }
    ModeChoice choice;
    int64_t best_excess = 0, best_4_3_excess = 0;
    for (size_t i = 0; i < modes.size(); ++i) {
        const VideoMode& m = modes[i];
        if (m.width < min_full_screen_width || m.width < width || m.height < height) continue;
        int64_t excess = (int64_t{m.width} + m.height) - (int64_t{width} + height);
        // Equal excess: the later mode wins.
        if (choice.best < 0 || excess <= best_excess) {
            choice.best = static_cast<int32_t>(i);
            best_excess = excess;
        }
        if (m.width / 4 == m.height / 3 && (choice.best_4_3 < 0 || excess <= best_4_3_excess)) {
            choice.best_4_3 = static_cast<int32_t>(i);
            best_4_3_excess = excess;
        }
    }
    return choice;
}

int32_t display_update() {
    // Read first: an update that began before display_now asked for its frame
    // shows an older page, and must not tell display_now it is done.
    int32_t state = auto_display.load();
    present_unless_held(shown_page());
    if (state == -1) auto_display.compare_exchange_strong(state, 0);
    return state;
}

void copy_display_page() {
    const Image* shown = shown_page();
    frame_copy.valid = shown != nullptr;
    if (!shown) return;
    frame_copy.page = *shown;
    if (shown->palette) {
        std::copy_n(shown->palette, frame_copy.palette.size(), frame_copy.palette.begin());
        frame_copy.page.palette = frame_copy.palette.data();
    }
    frame_copy.in_cache = shown->bytes_per_pixel == 1 && !shown->text_screen;
    if (frame_copy.in_cache) {
        compare_with_cache(*shown, frame_copy.bands, true);
        frame_copy.page.pixels = frame_cache.pixels.data();
        return;
    }
    const size_t size = size_t(shown->width) * shown->height * shown->bytes_per_pixel;
    frame_copy.pixels.resize(size);  // keeps its capacity
    std::memcpy(frame_copy.pixels.data(), shown->pixels, size);
    frame_copy.page.pixels = frame_copy.pixels.data();
}

void present_display_page_copy() {
    present_unless_held(frame_copy.valid ? &frame_copy.page : nullptr,
                        frame_copy.in_cache ? &frame_copy.bands : nullptr);
}

void drop_display_page_copy() {
    frame_cache.size = 0;  // it took rows the window has not shown
}

void display_now() {
    if (auto_display.load() != 0) {
        auto_display.store(-1);
        // The display thread's next update sets the word to 0. Without a display
        // thread (or once it is shutting down) nobody would: present here, or
        // leave it to the statement hook that stops this thread.
        while (auto_display.load() != 0) {
            if (stop_request.load() != 0) break;
            if (display_thread_running.load() == 0) {
                display_update();
                break;
            }
            platform::poll_wait(1);
        }
    } else {
        hand_frame_to_display_thread();
    }
    platform::frame_boundary();
}

void set_full_screen(int32_t option) {
    const int32_t wanted = option == 3 ? 2 : option == 1 ? 0 : 1;
    if (wanted == full_screen_state.load()) return;
    ask_full_screen(wanted);
    if (full_screen_state.load() == wanted) return;
    if (wanted == 1) ask_full_screen(2);
    if (wanted == 2) ask_full_screen(1);
}

}  // namespace rt
