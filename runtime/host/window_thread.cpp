// Work on the window done by the display thread for the program thread. SDL 1.2
// over SDL2 lets only the thread that made the window draw in it or change it,
// so the program thread never calls the video functions itself: it hands the
// display update (and with it every mode change) and the caption over, and waits
// until the display thread has done them. A frame of display_now is taken from
// the page at once (the rows that changed) and presented while the program
// thread draws the next one, so that a frame costs the program thread no wait.
// The hand-over is a shared word, as everywhere in the host; the wait on it can
// be cut short so that a frame costs no polling interval.
#include <SDL.h>

#include <string>

#include "runtime/host/display_internal.h"
#include "runtime/host/host.h"
#include "runtime/platform/wait.h"
#include "runtime/values/values.h"

namespace rt {

std::atomic<int32_t> window_requests{0};

namespace {

// Written by the program thread before it sets the caption bit, read by the
// display thread while the bit is set.
std::string pending_caption;

void serve(int32_t asked) {
    if (asked & window_request_caption) SDL_WM_SetCaption(pending_caption.c_str(), pending_caption.c_str());
    // A display update shows the live page, newer than any frame waiting.
    if (asked & window_request_present) {
        if (asked & window_request_frame) drop_display_page_copy();
        display_update();
    } else if (asked & window_request_frame) {
        present_display_page_copy();
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

}  // namespace

void serve_window_requests() {
    const int32_t asked = window_requests.load(std::memory_order_acquire);
    if (asked == 0) return;
    serve(asked);
    window_requests.fetch_and(~asked, std::memory_order_acq_rel);
    platform::wake_word_waiters(window_requests);
}

void present_automatically() {
    // The frame cache holds that frame's rows already: the live page must be
    // compared with what the window shows.
    serve_window_requests();
    display_update();
}

void display_thread_idle(uint32_t ms) {
    // While the game hands its frames over, a cycle ends with the first frame
    // that comes once three quarters of it have passed (or a quarter late at
    // most), so the thread wakes once a frame rather than once a frame and once
    // a cycle. Without frames the cycle keeps its length.
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
            if (frames_coming && served_frame && now >= start + ms * 3 / 4) return;
            continue;
        }
        if (now >= end) {
            frames_coming = served_frame;
            return;
        }
        platform::wait_on_word(window_requests, 0, uint32_t(end - now));
    }
}

void on_display_thread(int32_t request) {
    // A display thread that is shutting down serves nothing more; the statement
    // hook after this step stops the thread.
    if (!is_display_thread() && stop_request.load(std::memory_order_acquire) == 1) return;
    if (is_display_thread() || display_thread_running.load(std::memory_order_acquire) == 0) {
        serve(request);
        return;
    }
    window_requests.fetch_or(request, std::memory_order_acq_rel);
    platform::wake_word_waiters(window_requests);
    wait_until_served(request);
}

void hand_frame_to_display_thread() {
    if (!is_display_thread() && stop_request.load(std::memory_order_acquire) == 1) return;
    if (is_display_thread() || display_thread_running.load(std::memory_order_acquire) == 0) {
        serve(window_request_present);
        return;
    }
    // The display thread reads the copy until it clears the bit.
    wait_until_served(window_request_frame);
    if ((window_requests.load(std::memory_order_acquire) & window_request_frame) != 0) return;
    copy_display_page();
    window_requests.fetch_or(window_request_frame, std::memory_order_acq_rel);
    platform::wake_word_waiters(window_requests);
}

void set_window_title(const StrVal* title) {
    pending_caption.assign(reinterpret_cast<const char*>(title->text), title->length);
    on_display_thread(window_request_caption);
}

}  // namespace rt
