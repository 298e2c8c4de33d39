// The Linux process: start-up settings, the termination signals, the program
// file, the working directory, the X server's connection and the ways a thread
// or the process ends. The virtual platform uses this file as it is.
#include <X11/Xlib.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "runtime/platform/process.h"

namespace rt::platform {

namespace {

// Set by the signal handler, read by the display thread.
std::atomic<bool> termination{false};
static_assert(std::atomic<bool>::is_always_lock_free, "written from a signal handler");

extern "C" void on_termination_signal(int) { termination.store(true); }

extern "C" int on_display_connection_lost(Display*) {
    static const char line[] = "The connection to the X server was lost.\n";
    [[maybe_unused]] ssize_t written = write(STDERR_FILENO, line, sizeof line - 1);
    _exit(1);
}

}  // namespace

void init_process() {
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

void set_environment_default(const char* name, const char* value) { setenv(name, value, 0); }

std::string program_file_path() {
    std::vector<char> buffer(65536);
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return {};
    return std::string(buffer.data(), size_t(n));
}

bool set_working_directory(const std::string& folder) { return chdir(folder.c_str()) == 0; }

void detach_console() {}

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

}  // namespace rt::platform
