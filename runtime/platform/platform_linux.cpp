// The Linux platform layer: program path, working directory, clock, sleeps,
// key state and thread/process end.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <pthread.h>
#include <signal.h>
#include <sched.h>
#include <unistd.h>

#include <SDL.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <vector>

#include "runtime/platform/platform.h"

namespace rt::platform {

namespace {

timespec process_start{};

// Set by the signal handler, read by the display thread.
std::atomic<bool> termination{false};
static_assert(std::atomic<bool>::is_always_lock_free, "written from a signal handler");

extern "C" void on_termination_signal(int) { termination.store(true); }

uint64_t monotonic_ms(const timespec& t) {
    return uint64_t(t.tv_sec) * 1000u + uint64_t(t.tv_nsec) / 1000000u;
}

void sleep_for(uint32_t ms) {
    if (ms == 0) {
        sched_yield();
        return;
    }
    timespec want{time_t(ms / 1000), long(ms % 1000) * 1000000L};
    while (nanosleep(&want, &want) == -1 && errno == EINTR) {
    }
}

// Scroll Lock has no SDL modifier bit: its keyboard indicator is read from X.
std::mutex indicator_lock;
Display* indicator_display = nullptr;
bool indicator_tried = false;
Atom scroll_lock_atom = None;

bool scroll_lock_on() {
    std::lock_guard<std::mutex> guard(indicator_lock);
    if (!indicator_tried) {
        indicator_tried = true;
        if (std::getenv("DISPLAY")) indicator_display = XOpenDisplay(nullptr);
        if (indicator_display) scroll_lock_atom = XInternAtom(indicator_display, "Scroll Lock", False);
    }
    if (!indicator_display || scroll_lock_atom == None) return false;
    Bool on = False;
    if (!XkbGetNamedIndicator(indicator_display, scroll_lock_atom, nullptr, &on, nullptr, nullptr))
        return false;
    return on == True;
}

}  // namespace

void init_process() {
    clock_gettime(CLOCK_MONOTONIC, &process_start);
    // SDL 1.2 over SDL2 draws the window through an SDL2 renderer and, on X11,
    // a framebuffer that is itself a texture of an OpenGL renderer. Where OpenGL
    // is done in software (no GPU, a virtual X server) that costs half a core at
    // 60 frames a second. Plain shared-memory images are what classic SDL 1.2
    // sends, and they cost little everywhere. A player's own settings win.
    setenv("SDL_RENDER_DRIVER", "software", 0);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
    // Installed before SDL starts, so SDL keeps them: a termination request is
    // served by the display loop at any moment, start-up included.
    struct sigaction action{};
    action.sa_handler = on_termination_signal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal_number, &action, nullptr);
    // The display update may run on the program thread while the display thread
    // takes events, and dialogs open connections of their own: Xlib must lock.
    XInitThreads();
}

bool termination_requested() { return termination.load(); }

std::string program_file_path() {
    std::vector<char> buffer(65536);
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return {};
    return std::string(buffer.data(), size_t(n));
}

bool set_working_directory(const std::string& folder) { return chdir(folder.c_str()) == 0; }

void detach_console() {}

uint32_t ticks_ms() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint32_t(monotonic_ms(now) - monotonic_ms(process_start));
}

void sleep_ms(uint32_t ms) { sleep_for(ms); }

void sleep_ms_unless(uint32_t ms, const std::atomic<int32_t>& word) {
    const uint64_t until = wait_clock_ms() + ms;
    for (uint64_t now = wait_clock_ms(); now < until && word.load(std::memory_order_acquire) == 0;
         now = wait_clock_ms())
        wait_on_word(word, 0, uint32_t(until - now));
}

void poll_wait(uint32_t ms) { sleep_for(ms); }

bool calendar_milliseconds(int64_t& milliseconds) {
    timespec now{};
    if (clock_gettime(CLOCK_REALTIME, &now) != 0) return false;
    milliseconds = int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    return true;
}

bool local_seconds_of_day(int64_t seconds, int32_t& seconds_of_day) {
    time_t t = time_t(seconds);
    tm local{};
    if (!localtime_r(&t, &local)) return false;
    seconds_of_day = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    return true;
}

KeyState read_key_state() {
    KeyState k;
    SDLMod mod = SDL_GetModState();
    k.caps_lock = (mod & KMOD_CAPS) != 0;
    k.num_lock = (mod & KMOD_NUM) != 0;
    k.left_shift = (mod & KMOD_LSHIFT) != 0;
    k.right_shift = (mod & KMOD_RSHIFT) != 0;
    k.left_ctrl = (mod & KMOD_LCTRL) != 0;
    k.right_ctrl = (mod & KMOD_RCTRL) != 0;
    k.left_alt = (mod & KMOD_LALT) != 0;
    k.right_alt = (mod & KMOD_RALT) != 0;
    k.scroll_lock = scroll_lock_on();
    return k;
}

namespace {

extern "C" int on_display_connection_lost(Display*) {
    static const char line[] = "The connection to the X server was lost.\n";
    [[maybe_unused]] ssize_t written = write(STDERR_FILENO, line, sizeof line - 1);
    _exit(1);
}

}  // namespace

void watch_display_connection() { XSetIOErrorHandler(on_display_connection_lost); }

void abandon_process(int code) {
    std::fflush(nullptr);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    _exit(code);
}

void exit_thread() { pthread_exit(nullptr); }

void exit_process(int code) {
    std::fflush(nullptr);
    std::exit(code);
}

void frame_boundary() {}

}  // namespace rt::platform
