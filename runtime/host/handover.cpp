// The hand-over between the program thread and the display thread. SDL 1.2
// over SDL2 lets only the thread that made the window draw in it or change it,
// so the program thread never calls the video functions itself: it hands the
// display update (and with it every mode change), the caption and its frames
// over. A frame of display_now is taken from the page at once (the rows that
// changed) and presented while the program thread draws the next one, so that
// a frame costs the program thread no wait. The hand-over is a shared word, as
// everywhere in the host; the wait on it can be cut short so that a frame costs
// no polling interval.
#include <SDL.h>

#include <string>

#include "runtime/host/display_internal.h"
#include "runtime/host/host.h"
#include "runtime/input/input.h"
#include "runtime/platform/frame.h"
#include "runtime/platform/wait.h"
#include "runtime/values/values.h"

namespace rt {

std::atomic<int32_t> window_requests{0};
// Taken by the program thread while the frame bit is clear, presented by the
// display thread while it is set.
Frame handed_frame;

namespace {

// Written by the program thread before it sets the caption bit, read by the
// display thread while the bit is set.
std::string pending_caption;

void serve(int32_t asked) {
    if (asked & window_request_caption) SDL_WM_SetCaption(pending_caption.c_str(), pending_caption.c_str());
    // A display update shows the live page, newer than any frame waiting.
    if (asked & window_request_present) {
        // The waiting frame took rows into the frame cache that the window
        // never showed: the live page is sent whole.
        if (asked & window_request_frame) frame_cache.size = 0;
        display_update();
    } else if (asked & window_request_frame) {
        present_frame(handed_frame);
    }
}

bool presents(int32_t asked) { return (asked & (window_request_present | window_request_frame)) != 0; }

// Waits until the display thread has done `request`, or has stopped serving.
void wait_until_served(int32_t request) {
    for (;;) {
        const int32_t now = window_requests.load(std::memory_order_acquire);
        if ((now & request) == 0) return;
        if (stop_request.load(std::memory_order_acquire) == 1) return;
        if (display_thread_running.load(std::memory_order_acquire) == 0) return;
        platform::wait_on_word(window_requests, now, 16);
    }
}

// Work the display thread does for this thread, or this thread itself where
// there is no display thread to ask (tests) or it is the display thread.
bool serve_here() { return is_display_thread() || display_thread_running.load(std::memory_order_acquire) == 0; }

// A display thread that is shutting down serves nothing more; the statement
// hook after this step stops the thread.
bool shutting_down() { return !is_display_thread() && stop_request.load(std::memory_order_acquire) == 1; }

// display_now's frame with automatic presentation off: the display page's
// changes taken and handed to the display thread without waiting for the
// window (only for the previous frame, when it is still being presented).
void hand_over_frame() {
    if (shutting_down()) return;
    if (serve_here()) {
        serve(window_request_present);
        return;
    }
    // The display thread reads the frame until it clears the bit.
    wait_until_served(window_request_frame);
    if ((window_requests.load(std::memory_order_acquire) & window_request_frame) != 0) return;
    take_frame(handed_frame);
    window_requests.fetch_or(window_request_frame, std::memory_order_acq_rel);
    platform::wake_word_waiters(window_requests);
}

}  // namespace

void serve_window_requests() {
    const int32_t asked = window_requests.load(std::memory_order_acquire);
    if (asked == 0) return;
    serve(asked);
    window_requests.fetch_and(~asked, std::memory_order_acq_rel);
    platform::wake_word_waiters(window_requests);
}

bool display_thread_idle(uint32_t ms) {
    // While the game hands its frames over, a cycle ends with the first frame
    // that comes once three quarters of it have passed (or a quarter late at
    // most), so the thread wakes once a frame rather than once a frame and once
    // a cycle. Without frames the cycle keeps its length. Window input is taken
    // the moment it comes, so that a key reaches the game without waiting for
    // the loop's next pass over the events.
    static bool frames_coming = false;
    const uint64_t start = platform::wait_clock_ms();
    const uint64_t end = start + ms + (frames_coming ? ms / 4 : 0);
    bool served_frame = false;
    for (;;) {
        const int32_t asked = window_requests.load(std::memory_order_acquire);
        uint64_t now = platform::wait_clock_ms();
        if (asked != 0) {
            serve_window_requests();
            served_frame = served_frame || presents(asked);
            now = platform::wait_clock_ms();
            if (frames_coming && served_frame && now >= start + ms * 3 / 4) return true;
            continue;
        }
        if (now >= end) {
            frames_coming = served_frame;
            return true;
        }
        if (platform::wait_on_word_or_input(window_requests, 0, uint32_t(end - now)) && !take_window_events(EventPass::on_input))
            return false;
    }
}

void on_display_thread(int32_t request) {
    if (shutting_down()) return;
    if (serve_here()) {
        serve(request);
        return;
    }
    window_requests.fetch_or(request, std::memory_order_acq_rel);
    platform::wake_word_waiters(window_requests);
    wait_until_served(request);
}

void ask_full_screen(ScreenMode wanted) {
    full_screen_request.store(wanted);
    if (auto_display.load() == AutoDisplay::on && display_thread_running.load() != 0) {
        for (;;) {
            const int32_t taken = full_screen_requests_taken.load(std::memory_order_acquire);
            if (full_screen_request.load() == ScreenMode::none || display_thread_running.load() == 0 ||
                stop_request.load() != 0)
                break;
            platform::wait_on_word(full_screen_requests_taken, taken, 32);
        }
    } else {
        on_display_thread(window_request_present);
    }
}

void display_now() {
    if (auto_display.load() != AutoDisplay::off) {
        auto_display.store(AutoDisplay::one_update);
        // The display thread's next update turns automatic presentation off.
        // Without a display thread (or once it is shutting down) nobody would:
        // present here, or leave it to the statement hook that stops this thread.
        while (auto_display.load() != AutoDisplay::off) {
            if (stop_request.load() != 0) break;
            if (display_thread_running.load() == 0) {
                display_update();
                break;
            }
            platform::poll_wait(1);
        }
    } else {
        hand_over_frame();
    }
    platform::frame_boundary();
}

void set_full_screen(int32_t option) {
    // option: 0 none given, 1 off, 2 stretched, 3 square pixels.
    const ScreenMode wanted = option == 3 ? ScreenMode::best_4_3 : option == 1 ? ScreenMode::windowed : ScreenMode::best;
    if (wanted == full_screen_state.load()) return;
    // A player who chose a window keeps it (Alt+Enter still leaves it).
    if (screen_choice.start == StartScreen::window && wanted != ScreenMode::windowed) return;
    ask_full_screen(wanted);
    if (full_screen_state.load() == wanted) return;
    if (wanted == ScreenMode::best) ask_full_screen(ScreenMode::best_4_3);
    if (wanted == ScreenMode::best_4_3) ask_full_screen(ScreenMode::best);
}

void set_window_title(const StrVal* title) {
    pending_caption.assign(reinterpret_cast<const char*>(title->text), title->length);
    on_display_thread(window_request_caption);
}

}  // namespace rt
