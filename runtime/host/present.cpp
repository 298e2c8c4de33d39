// Presentation: a frame brought into the window (mode choice, windowed and
// full-screen layout, the rows and pieces the frame cache found changed
// converted and sent as rectangles), and the display update of the live page.
//
// The video state below is process-wide and used by the display thread alone
// while the display thread runs (handover.cpp brings it the program thread's
// frames and requests). Without a display thread (tests) the calling thread
// presents.
#include <SDL.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <span>
#include <vector>

#include "runtime/graphics/graphics.h"
#include "runtime/host/display_internal.h"
#include "runtime/host/frame_cache.h"
#include "runtime/host/host.h"
#include "runtime/input/input.h"
#include "runtime/platform/wait.h"
#include "runtime/platform/window.h"
#include "runtime/text/text.h"

namespace rt {

std::atomic<AutoDisplay> auto_display{AutoDisplay::on};
std::atomic<DisplayHold> display_hold{DisplayHold::free};
std::atomic<ScreenMode> full_screen_state{ScreenMode::windowed};
std::atomic<ScreenMode> full_screen_request{ScreenMode::none};
std::atomic<int32_t> full_screen_requests_taken{0};

std::vector<VideoMode> full_screen_modes;
bool any_video_size = false;
VideoMode desktop_size;
std::atomic<bool> last_present_on_display_thread{false};

namespace {

// Full-screen modes narrower than this are never chosen.
constexpr int32_t min_full_screen_width = 640;
// Pictures up to this size are doubled in full-screen.
constexpr int32_t max_doubled_width = 512;
constexpr int32_t max_doubled_height = 384;
constexpr int32_t text_cell_width = 8;
// The game's page: a scaled window opens at a whole multiple of it.
constexpr VideoMode window_base{800, 600};
// A window opened on a desktop takes at most this share of its height.
constexpr double window_share_of_desktop = 0.85;

// Where the picture sits on the video surface.
struct Layout {
    int32_t picture_width = 0, picture_height = 0;  // after doubling
    int32_t video_width = 0, video_height = 0;
    int32_t offset_x = 0, offset_y = 0;
    int32_t factor_x = 1, factor_y = 1;
    // The page is scaled to the picture's size (not by factors of 1 or 2).
    bool scaled = false;
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
    // A scaled page: its 32-bit picture at the page's size, and the axes that
    // scale it.
    std::vector<uint32_t> picture;
    ScaleAxis across, down;
    // The window's size as the player or the window manager last made it.
    VideoMode window_size;
};

Video video;
// Updates since the video mode was last set.
int32_t updates_in_mode = 0;
// A window's size is asked of the window system this many updates after it
// was set, and as often again: long enough for the set size to have arrived.
constexpr int32_t window_size_check_period = 30;

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

void enter_state(ScreenMode state) {
    if (state == full_screen_state.load()) return;
    full_screen_state.store(state);
    video.force_reset = true;
    video.screen_valid = false;
    SDL_ShowCursor(state == ScreenMode::windowed ? SDL_ENABLE : SDL_DISABLE);
}

bool same_size(const VideoMode& a, const VideoMode& b) {
    return a.width == b.width && a.height == b.height;
}

// Serves one full-screen request or, when there is none, one Alt+Enter press.
void serve_full_screen_request(const ModeChoice& choice, const std::vector<VideoMode>& modes) {
    ScreenMode request = full_screen_request.load();
    const bool taken_request = request != ScreenMode::none;
    if (!taken_request) {
        if (mode_toggle_count.load() <= 0) return;
        mode_toggle_count.fetch_sub(1);
        // Alt+Enter cycles: window, best mode, best 4:3 mode, window.
        switch (full_screen_state.load()) {
        case ScreenMode::windowed: request = ScreenMode::best; break;
        case ScreenMode::best_4_3: request = ScreenMode::windowed; break;
        default: request = ScreenMode::best_4_3; break;
        }
    }
    switch (request) {
    case ScreenMode::windowed:
        enter_state(ScreenMode::windowed);
        break;
    case ScreenMode::best:
        if (choice.best >= 0) enter_state(ScreenMode::best);
        break;
    case ScreenMode::best_4_3:
        if (choice.best_4_3 < 0 || same_size(modes[choice.best_4_3], modes[choice.best]))
            enter_state(ScreenMode::windowed);
        else
            enter_state(ScreenMode::best_4_3);
        break;
    default:
        break;  // not a state: dropped
    }
    if (taken_request && full_screen_request.compare_exchange_strong(request, ScreenMode::none)) {
        full_screen_requests_taken.fetch_add(1, std::memory_order_acq_rel);
        platform::wake_word_waiters(full_screen_requests_taken);
    }
}

bool scaled_look() { return screen_choice.look != Look::original; }

// A window with a scaled look: the size the player gave it, or the largest
// whole multiple of the game's page that takes no more than its share of the desktop.
VideoMode scaled_window_size() {
    if (video.window_size.width > 0) return video.window_size;
    int32_t times = 1;
    if (desktop_size.width > 0 && desktop_size.height > 0) {
        while ((times + 1) * window_base.height <= desktop_size.height * window_share_of_desktop &&
               (times + 1) * window_base.width <= desktop_size.width)
            ++times;
    }
    return {window_base.width * times, window_base.height * times};
}

// The picture's size on an area of `area` pixels in a scaled look.
VideoMode fit_picture(int32_t width, int32_t height, VideoMode area) {
    switch (screen_choice.look) {
    case Look::stretch:
        return area;
    case Look::pixel:
        if (int32_t times = std::min(area.width / width, area.height / height); times >= 1)
            return {width * times, height * times};
        [[fallthrough]];  // smaller than the page: as large as fits
    default:
        if (int64_t{area.width} * height <= int64_t{area.height} * width)
            return {area.width, std::max(1, int32_t(int64_t{area.width} * height / width))};
        return {std::max(1, int32_t(int64_t{area.height} * width / height)), area.height};
    }
}

Layout lay_out(int32_t width, int32_t height, const ModeChoice& choice,
               const std::vector<VideoMode>& modes) {
    Layout layout;
    layout.picture_width = layout.video_width = width;
    layout.picture_height = layout.video_height = height;
    const ScreenMode state = full_screen_state.load();
    if (scaled_look()) {
        const VideoMode area = state == ScreenMode::windowed ? scaled_window_size()
                                                             : modes[state == ScreenMode::best ? choice.best : choice.best_4_3];
        const VideoMode picture = fit_picture(width, height, area);
        layout.video_width = area.width;
        layout.video_height = area.height;
        layout.picture_width = picture.width;
        layout.picture_height = picture.height;
        layout.offset_x = (area.width - picture.width) / 2;
        layout.offset_y = (area.height - picture.height) / 2;
        layout.scaled = picture.width != width || picture.height != height;
        return layout;
    }
    if (state == ScreenMode::windowed) return layout;
    if (doubles(width, height)) {
        layout.picture_width *= 2;
        layout.picture_height *= 2;
        layout.factor_x = layout.factor_y = 2;
    }
    const VideoMode& mode = modes[state == ScreenMode::best ? choice.best : choice.best_4_3];
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
    // A scaled look's window takes whatever size it is given.
    const Uint32 flags = full_screen ? SDL_FULLSCREEN : scaled_look() ? SDL_RESIZABLE : 0;
    SDL_Surface* s = SDL_SetVideoMode(width, height, 32, flags);
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
    updates_in_mode = 0;
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
        const ScreenMode state = full_screen_state.load();
        if (set_video_mode(layout.video_width, layout.video_height, state != ScreenMode::windowed)) return true;
        if (state == ScreenMode::windowed) return false;
        enter_state(ScreenMode::windowed);
    }
}

PixelTarget drawing_target() {
    SDL_Surface* s = video.surface;
    if (video.side_buffer_in_use)
        return {video.side_buffer.data(), static_cast<size_t>(s->w), s->w, s->h};
    return {static_cast<uint32_t*>(s->pixels), static_cast<size_t>(s->pitch) / 4, s->w, s->h};
}

void clear_target(const PixelTarget& t, int32_t top, int32_t bottom, int32_t left, int32_t right) {
    for (int32_t y = top; y < bottom; ++y)
        std::fill(t.pixels + static_cast<size_t>(y) * t.stride + left, t.pixels + static_cast<size_t>(y) * t.stride + right, 0u);
}

// Blacks out what the picture leaves of the target (all of it when the picture
// does not fit): the picture itself is drawn whole after this.
void clear_borders(const PixelTarget& t, const Layout& l, bool fits) {
    if (!fits) {
        clear_target(t, 0, t.height, 0, t.width);
        return;
    }
    const int32_t bottom = l.offset_y + l.picture_height, right = l.offset_x + l.picture_width;
    clear_target(t, 0, l.offset_y, 0, t.width);
    clear_target(t, bottom, t.height, 0, t.width);
    clear_target(t, l.offset_y, bottom, 0, l.offset_x);
    clear_target(t, l.offset_y, bottom, right, t.width);
}

// The size the window manager or the player gave a scaled look's window: told
// by SDL's resize event, or, where that was lost (a tiling window manager
// sizes the window while it is being mapped), asked of the window system.
void take_window_size() {
    const uint32_t asked = window_resize_request.exchange(0);
    if (!scaled_look() || full_screen_state.load() != ScreenMode::windowed) return;
    if (asked != 0) {
        video.window_size = {int32_t(asked >> 16), int32_t(asked & 0xFFFF)};
        return;
    }
    if (!video.surface || ++updates_in_mode % window_size_check_period != 0) return;
    int32_t width = 0, height = 0;
    if (platform::window_inside_size(width, height) && width > 0 && height > 0 &&
        (width != video.width || height != video.height))
        video.window_size = {width, height};
}

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

// A scaled page: a palette page's changed bands (any other page whole)
// converted into the page-sized picture, and scaled from there onto the window.
void draw_scaled(const Image& page, int32_t width, int32_t height, const std::vector<Band>& bands, uint32_t* origin,
                 size_t stride, std::vector<SDL_Rect>& rects) {
    const Layout& l = video.layout;
    if (video.across.page != width || video.across.screen != l.picture_width) video.across = make_scale_axis(width, l.picture_width);
    if (video.down.page != height || video.down.screen != l.picture_height) video.down = make_scale_axis(height, l.picture_height);
    video.picture.resize(size_t(width) * height);
    uint32_t* picture = video.picture.data();
    static const Layout unscaled;
    const Band all[] = {{0, height, 0, width}};
    const bool palette_page = page.bytes_per_pixel == 1 && !page.text_screen;
    if (palette_page) {
        for (const Band& band : bands)
            convert_palette_rows(page.pixels + size_t(band.first) * page.width + band.left, page.width,
                                 band.right - band.left, band.end - band.first, palette_of(page),
                                 picture + size_t(band.first) * width + band.left, size_t(width), 1, 1);
    } else {
        frame_cache.size = 0;
        if (page.text_screen)
            draw_text_page(page, picture, size_t(width), unscaled);
        else
            copy_rgb_rows(reinterpret_cast<const uint32_t*>(page.pixels), page.width, width, height, picture, size_t(width), 1, 1);
    }
    for (const Band& band : palette_page ? std::span<const Band>(bands) : std::span<const Band>(all)) {
        ScreenRect r = scale_picture(video.across, video.down, picture, size_t(width), band, origin, stride);
        rects.push_back({Sint16(l.offset_x + r.x), Sint16(l.offset_y + r.y), Uint16(r.width), Uint16(r.height)});
    }
}

// Steps 2 to 11 of the display update: everything between the two hold checks.
// False when the page did not reach the window whole.
bool send_to_window(const Frame& frame) {
    if (!frame.valid) return false;
    const Image& page = frame.page;
    int32_t width, height;
    picture_size(page, width, height);

    static const std::vector<VideoMode> no_modes;
    static std::vector<VideoMode> desktop_only(1);
    // A scaled look is full-screen on the desktop's own mode, whatever the page's size.
    const bool on_desktop = scaled_look() && desktop_size.width > 0 && desktop_size.height > 0;
    desktop_only[0] = desktop_size;
    const std::vector<VideoMode>& modes = on_desktop ? desktop_only : any_video_size ? no_modes : full_screen_modes;
    const ModeChoice choice = on_desktop ? ModeChoice{0, desktop_size.width / 4 == desktop_size.height / 3 ? 0 : -1}
                                         : choose_modes(modes, width, height);
    serve_full_screen_request(choice, modes);
    take_window_size();
    // A page larger than every listed mode cannot stay full-screen.
    const ScreenMode state = full_screen_state.load();
    if ((state == ScreenMode::best && choice.best < 0) || (state == ScreenMode::best_4_3 && choice.best_4_3 < 0))
        enter_state(ScreenMode::windowed);
    if (!prepare_video(width, height, choice, modes)) return false;

    // A palette page is sent in proportion to its change: only the rows that
    // differ from the last frame are converted and updated in the window.
    const bool palette_page = page.bytes_per_pixel == 1 && !page.text_screen;
    static std::vector<Band> whole(1);
    if (!video.screen_valid) whole[0] = whole_band(page);  // the cache holds the whole page
    const std::vector<Band>& bands = video.screen_valid ? frame.bands : whole;
    if (palette_page && bands.empty()) return true;

    SDL_Surface* s = video.surface;
    if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) < 0) return false;
    PixelTarget target = drawing_target();
    const bool whole_surface = !video.screen_valid || !palette_page || video.side_buffer_in_use;
    const Layout& l = video.layout;
    uint32_t* origin = target.pixels + static_cast<size_t>(l.offset_y) * target.stride + l.offset_x;
    bool fits = l.offset_x >= 0 && l.offset_y >= 0 && l.offset_x + l.picture_width <= target.width &&
                l.offset_y + l.picture_height <= target.height;
    if (!video.screen_valid) clear_borders(target, l, fits);
    static std::vector<SDL_Rect> rects;
    rects.clear();
    if (fits && l.scaled) {
        draw_scaled(page, width, height, bands, origin, target.stride, rects);
    } else if (fits && palette_page) {
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
    DisplayHold asked = DisplayHold::asked;
    if (display_hold.compare_exchange_strong(asked, DisplayHold::held)) platform::poll_wait(0);
}


// The image store's screen switch: the display thread, while it presents on
// its own, is held off the page until the switch is done.
void hold_display() {
    if (auto_display.load(std::memory_order_acquire) == AutoDisplay::off) return;
    if (display_thread_running.load(std::memory_order_acquire) != 1) return;
    DisplayHold free_word = DisplayHold::free;
    display_hold.compare_exchange_strong(free_word, DisplayHold::asked, std::memory_order_acq_rel);
    while (display_hold.load(std::memory_order_acquire) != DisplayHold::held &&
           display_thread_running.load(std::memory_order_acquire) == 1)
        platform::poll_wait(0);
}

void release_display() { display_hold.store(DisplayHold::free, std::memory_order_release); }

const bool screen_switch_installed = (screen_switch = {hold_display, release_display}, true);

}  // namespace

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

void present_frame(const Frame& frame) {
    answer_display_hold();
    // The frame's changes are in the frame cache: should it not reach the
    // window, the next one is sent whole.
    if (display_hold.load() != DisplayHold::free || !send_to_window(frame)) frame_cache.size = 0;
    answer_display_hold();
}

// The one place where the display thread reads the page the program thread
// draws on, without a lock: a frame may show a half-drawn picture, and the next
// one shows it whole. Kept out of line so that the race checker's one accepted
// race is named by it.
[[gnu::noinline]] void read_live_page(Frame& frame) { take_frame(frame); }

AutoDisplay display_update() {
    // Read first: an update that began before display_now asked for its frame
    // shows an older page, and must not tell display_now it is done.
    AutoDisplay state = auto_display.load();
    static Frame live;
    read_live_page(live);
    present_frame(live);
    if (state == AutoDisplay::one_update) auto_display.compare_exchange_strong(state, AutoDisplay::off);
    return state;
}

void take_frame(Frame& frame) {
    const Image* shown = shown_page();
    frame.valid = shown != nullptr;
    if (!shown) return;
    frame.page = *shown;
    if (shown->palette) {
        std::copy_n(shown->palette, frame.palette.size(), frame.palette.begin());
        frame.page.palette = frame.palette.data();
    }
    // A palette page's changed rows go straight into the frame cache, and are
    // converted from there; any other page is copied whole.
    if (shown->bytes_per_pixel == 1 && !shown->text_screen) {
        compare_with_cache(*shown, frame.bands, true);
        frame.page.pixels = frame_cache.pixels.data();
        return;
    }
    const size_t size = size_t(shown->width) * shown->height * shown->bytes_per_pixel;
    frame.pixels.resize(size);  // keeps its capacity
    std::memcpy(frame.pixels.data(), shown->pixels, size);
    frame.page.pixels = frame.pixels.data();
}

}  // namespace rt
