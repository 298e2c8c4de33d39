// Presentation and input on a real X server (run under xvfb-run with a
// 1024x768 screen). First the display thread's wait: a wake of its word ends
// it without input, a key pressed ends it with input. Then an 800x600 page
// asked for full-screen must fill the screen centred at (112, 84) with black
// borders, and Alt+Enter presses must cycle between full-screen and a window. The screen is photographed with
// ImageMagick's `import` after each step; the photographs are checked here and
// kept as PNG files in the folder given as the first argument.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "runtime/graphics/graphics.h"
#include "runtime/host/host.h"
#include "runtime/input/input.h"
#include "runtime/platform/process.h"
#include "runtime/platform/wait.h"

namespace {

std::string shot_folder = ".";
int failures = 0;

void check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!ok) ++failures;
}

uint32_t page_colour(const rt::Image& page, int32_t x, int32_t y) {
    return page.palette[page.pixels[y * page.width + x]] & 0xFFFFFFu;
}

// Presents a few frames on the program thread and lets the X server catch up.
void present_for_a_while() {
    for (int i = 0; i < 20; ++i) {
        rt::limit_rate(60);
        rt::display_now();
    }
    rt::platform::poll_wait(500);
}

// Photographs the X screen; returns it as a surface (null when that fails).
SDL_Surface* photograph(const std::string& name) {
    std::string bmp = shot_folder + "/" + name + ".bmp";
    std::string png = shot_folder + "/" + name + ".png";
    std::string command = "import -window root BMP3:" + bmp + " && convert " + bmp + " " + png;
    if (std::system(command.c_str()) != 0) return nullptr;
    return SDL_LoadBMP(bmp.c_str());
}

uint32_t shot_pixel(SDL_Surface* s, int32_t x, int32_t y) {
    const uint8_t* p = static_cast<uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    uint32_t v = 0;
    std::memcpy(&v, p, s->format->BytesPerPixel);
    uint8_t r, g, b;
    SDL_GetRGB(v, s->format, &r, &g, &b);
    return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}

void check_full_screen(const rt::Image& page, const std::string& name) {
    SDL_Surface* video = SDL_GetVideoSurface();
    check(rt::full_screen_state.load() == rt::ScreenMode::best, name + ": full-screen state 1");
    check(video && video->w == 1024 && video->h == 768, name + ": 1024x768 video surface");
    check(video && (video->flags & SDL_FULLSCREEN), name + ": full-screen surface");
    SDL_Surface* shot = photograph(name);
    check(shot && shot->w == 1024 && shot->h == 768, name + ": photograph of the 1024x768 screen");
    if (!shot) return;
    check(shot_pixel(shot, 112, 84) == page_colour(page, 0, 0), name + ": page corner at (112, 84)");
    check(shot_pixel(shot, 911, 683) == page_colour(page, 799, 599), name + ": far corner at (911, 683)");
    check(shot_pixel(shot, 512, 384) == page_colour(page, 400, 300), name + ": page centre");
    bool black = true;
    for (auto [x, y] : {std::pair{0, 0}, {111, 84}, {112, 83}, {912, 683}, {911, 684}, {1023, 767}, {50, 400},
                        {1000, 400}, {512, 20}, {512, 750}})
        black = black && shot_pixel(shot, x, y) == 0;
    check(black, name + ": black borders");
    SDL_FreeSurface(shot);
}

void check_window(const std::string& name) {
    SDL_Surface* video = SDL_GetVideoSurface();
    check(rt::full_screen_state.load() == rt::ScreenMode::windowed, name + ": windowed state");
    check(video && video->w == 800 && video->h == 600 && !(video->flags & SDL_FULLSCREEN),
          name + ": 800x600 window");
    if (SDL_Surface* shot = photograph(name)) SDL_FreeSurface(shot);
}

// Alt+Enter: a real key press through the X server when xdotool is there, else
// straight into the count that the key handling keeps.
void press_alt_enter() {
    static const bool have_xdotool = std::system("command -v xdotool >/dev/null 2>&1") == 0;
    if (have_xdotool && std::system("xdotool key alt+Return") == 0) return;
    std::printf("(xdotool missing: Alt+Enter counted directly)\n");
    rt::mode_toggle_count.fetch_add(1);
}

// The wait of the display thread on its request word, on a window of SDL's
// own that covers the screen, before the runtime starts. Each wait could last
// a minute: what ended it is what is checked.
void check_input_wait() {
    rt::platform::init_process();
    if (SDL_Init(SDL_INIT_VIDEO) < 0 || !SDL_SetVideoMode(1024, 768, 32, 0)) {
        check(false, "input wait: a window to wait on");
        return;
    }
    for (int i = 0; i < 50; ++i) {  // the window mapped, its first events taken
        SDL_PumpEvents();
        rt::platform::poll_wait(10);
    }
    for (SDL_Event e; SDL_PollEvent(&e);) {
    }
    std::atomic<int32_t> word{0};
    std::thread waker([&] {
        rt::platform::poll_wait(100);
        word.store(1);
        rt::platform::wake_word_waiters(word);
    });
    const bool input_before_wake = rt::platform::wait_on_word_or_input(word, 0, 60000);
    waker.join();
    check(!input_before_wake && word.load() == 1, "input wait: a wake of the word ends it, no input");

    static const bool have_xdotool = std::system("command -v xdotool >/dev/null 2>&1") == 0;
    if (have_xdotool && std::system("xdotool mousemove 500 400 key space") == 0) {
        bool input = false;
        for (int tries = 0; tries < 3 && !input; ++tries) input = rt::platform::wait_on_word_or_input(word, 1, 20000);
        SDL_Event e{};
        bool space = false;
        while (SDL_PollEvent(&e)) space = space || (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_SPACE);
        check(input && space, "input wait: a key pressed ends it, with input");
    } else {
        std::printf("(xdotool missing: the key is not tried)\n");
    }
    SDL_Quit();
}

void routine() {
    std::printf("full-screen modes:");
    for (const rt::VideoMode& m : rt::full_screen_modes) std::printf(" %dx%d", m.width, m.height);
    std::printf("%s\n", rt::any_video_size ? " (any size)" : "");

    rt::set_full_screen(0);
    int32_t handle = rt::new_image(800, 600, 256, true);
    rt::select_screen(handle);
    rt::Image& page = rt::image(-handle);
    for (int32_t y = 0; y < 600; ++y)
        for (int32_t x = 0; x < 800; ++x) {
            bool edge = x == 0 || y == 0 || x == 799 || y == 599;
            page.pixels[y * 800 + x] = uint8_t(edge ? 15 : 32 + (x / 25 + y / 25) % 216);
        }

    present_for_a_while();
    check_full_screen(page, "1_full_screen");

    press_alt_enter();
    present_for_a_while();
    check_window("2_alt_enter_window");

    press_alt_enter();
    present_for_a_while();
    check_full_screen(page, "3_alt_enter_full_screen");

    std::printf("%d failure(s)\n", failures);
    std::fflush(stdout);
    if (failures) rt::platform::exit_process(1);
    rt::end_request.store(1);
    rt::stop_program_thread();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) shot_folder = argv[1];
    setenv("SDL_AUDIODRIVER", "dummy", 1);  // the X server's display, no sound card
    // The listed modes' choice, unscaled (the scaled looks: screens_test.sh).
    setenv("SUPERVIVEDAS_SCALE", "original", 1);
    std::system(("mkdir -p '" + shot_folder + "'").c_str());
    check_input_wait();
    return rt::runtime_main(1, argv, routine);
}
