// A small program on the real platform layer for the window tests: it shows an
// 800 by 600 page (windowed, or full-screen when asked) or raises an error.
// "stuck" shows the page and then blocks inside a library call for good;
// "sleeping" sleeps for a minute in sleep_seconds, and says when the exit
// handlers run (the orderly end, not the one that leaves a stuck thread).
//   window_probe [window|fullscreen|error|stuck|sleeping]
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

#include "runtime/graphics/graphics.h"
#include "runtime/host/host.h"
#include "runtime/host/step.h"

namespace {

const char* mode = "window";

void draw_page(int32_t page) {
    rt::Image& img = rt::image(-page);
    // Colour bands, so that a screenshot shows where the page lies.
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) img.pixels[y * img.width + x] = uint8_t(32 + (x / 25) % 24 + 24 * (y / 200));
}

void routine() {
    int32_t page = 0;
    if (std::strcmp(mode, "fullscreen") == 0) rt::step(1, [] { rt::set_full_screen(0); });
    rt::step(2, [&] { page = rt::new_image(800, 600, 256, true); });
    rt::step(3, [&] { rt::select_screen(page); });
    rt::step(4, [&] { draw_page(page); });
    rt::step(5, [] { rt::display_now(); });
    if (std::strcmp(mode, "stuck") == 0) {
        rt::step(43, [] {
            std::printf("stuck\n");
            std::fflush(stdout);
            int ends[2];
            char byte;
            // Nobody writes: the read never returns.
            if (pipe(ends) == 0) [[maybe_unused]] ssize_t n = read(ends[0], &byte, 1);
        });
    }
    if (std::strcmp(mode, "sleeping") == 0) {
        std::atexit([] { std::printf("exit handlers ran\n"); });
        rt::step(44, [] {
            std::printf("sleeping\n");
            std::fflush(stdout);
            rt::sleep_seconds(60);
        });
    }
    if (std::strcmp(mode, "error") == 0) {
        rt::step(41, [] { rt::raise_error(5); });
        rt::step(42, [] {
            std::printf("continued\n");
            std::fflush(stdout);
        });
    }
    for (;;) {
        rt::step(6, [] { rt::limit_rate(60); });
        rt::step(7, [] { rt::display_now(); });
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) mode = argv[1];
    return rt::runtime_main(1, argv, routine);
}
