#include "tests/ending.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "runtime/graphics/graphics.h"
#include "runtime/host/host.h"
#include "runtime/host/step.h"
#include "runtime/platform/clock.h"

namespace test_support {

std::atomic<bool> helper_stopping{false};
std::atomic<int64_t> steps_run{0};

namespace {

char program_name[] = "test";
char* program_argv[] = {program_name, nullptr};
std::thread helper;

}  // namespace

void run(void (*routine)()) {
    const char* factor = std::getenv("TEST_TIME_FACTOR");  // slower under the sanitizers
    std::thread([seconds = 10 * (factor ? std::max(1, std::atoi(factor)) : 1)] {
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        std::fprintf(stderr, "watchdog\n");
        std::_Exit(7);
    }).detach();
    rt::runtime_main(1, program_argv, routine);
    std::_Exit(99);  // only reached when a thread cannot be created
}

void push_key(bool down, SDLKey symbol, Uint16 unicode) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = symbol;
    e.key.keysym.unicode = unicode;
    SDL_PushEvent(&e);
}

void push_quit() {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

void start_helper(void (*body)()) {
    helper = std::thread(body);
    std::atexit([] {
        helper_stopping.store(true);
        if (helper.joinable() && helper.get_id() != std::this_thread::get_id()) helper.join();
    });
}

void page_on_screen() {
    int32_t page = 0;
    rt::step(1, [&] { page = rt::new_image(800, 600, 256, true); });
    rt::step(2, [&] { rt::select_screen(page); });
}

void idle_steps() {
    for (;;) rt::step(900, [] {
            steps_run.fetch_add(1);
            rt::platform::sleep_ms(1);
        });
}

}  // namespace test_support
