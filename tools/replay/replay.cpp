// The replay runner: the real game routine and runtime on the virtual clock,
// driven by a script of key events (or the autopilot) frame by frame. At every
// presented frame it applies that frame's events, can write the game state as a
// JSON line and save the screen page as PNG, and it ends at the last frame asked
// for. The same script gives the same bytes on every run.
//
//   replay [--script FILE] [--frames N] [--json FILE] [--json-every N]
//          [--png LIST] [--png-screens] [--png-dir DIR] [--time HH:MM:SS]
//          [--autopilot win|lose] [--check-window]
//
// --check-window compares the window with the screen page at every frame (each
// pixel against its palette colour) and ends with exit code 3 at the first
// frame where they differ; "window checked N frames" goes to stderr at the end.
// --json-every N writes every Nth frame, the last one and each frame whose screen
// differs from the frame before. LIST is a comma-separated list of frames and ranges (10,20-30) and "end" (the
// frame the program shows while it waits for its last key after Q);
// --png-screens saves the last frame of each screen and the first of the next.
// Pictures are named frame_NNNNNN.png and end.png. Paths are
// taken relative to the folder the runner is started in.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include <SDL.h>

#include "game/game.h"
#include "game/state.h"
#include "runtime/graphics/graphics.h"
#include "runtime/host/display_internal.h"
#include "runtime/host/host.h"
#include "runtime/input/input.h"
#include "runtime/platform/virtual/virtual.h"
#include "runtime/platform/wait.h"
#include "tools/replay/autopilot.h"
#include "tools/replay/dump.h"
#include "tools/replay/script.h"

namespace replay {

namespace {

struct Options {
    std::string script_path;
    int64_t last_frame = 0;  // 0: run to the program's end
    std::string json_path;
    int64_t json_every = 1;
    std::set<int64_t> png_frames;
    bool png_at_end = false;
    bool png_screens = false;
    std::string png_dir = ".";
    int32_t seconds_of_day = 12 * 3600;
    bool autopilot = false;
    bool check_window = false;
    PilotMode pilot_mode = PilotMode::win;
};

// The runner's own record: what it was asked, and what it has done.
struct Run {
    Options options;
    Script script;
    std::FILE* json = nullptr;
    std::set<int32_t> held;  // symbols the script or autopilot holds down
    Autopilot pilot;
    std::atomic<int64_t> frame{0};
    game::Screen previous_screen = game::Screen::start_up;
    PageCopy previous_page;  // kept for --png-screens
    int64_t windows_checked = 0;
};

Run run;

[[noreturn]] void usage(const std::string& why) {
    std::fprintf(stderr,
                 "replay: %s\n"
                 "usage: replay [--script FILE] [--frames N] [--json FILE|-] [--json-every N]\n"
                 "              [--png LIST] [--png-screens] [--png-dir DIR] [--time HH:MM:SS]\n"
                 "              [--autopilot win|lose] [--check-window]\n",
                 why.c_str());
    std::exit(2);
}

int64_t parse_count(const std::string& s, const char* what) {
    try {
        size_t used = 0;
        long long v = std::stoll(s, &used);
        if (used == s.size() && v >= 1) return v;
    } catch (...) {
    }
    usage(std::string("bad ") + what + " '" + s + "'");
}

std::string absolute(const std::string& path) { return std::filesystem::absolute(path).string(); }

Options parse_options(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) usage(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--script") {
            o.script_path = absolute(value());
        } else if (arg == "--frames") {
            o.last_frame = parse_count(value(), "frame count");
        } else if (arg == "--json") {
            std::string v = value();
            o.json_path = v == "-" ? v : absolute(v);
        } else if (arg == "--json-every") {
            o.json_every = parse_count(value(), "interval");
        } else if (arg == "--png") {
            std::stringstream list(value());
            std::string item;
            while (std::getline(list, item, ',')) {
                if (item == "end") {
                    o.png_at_end = true;
                } else if (auto dash = item.find('-'); dash != std::string::npos) {
                    int64_t a = parse_count(item.substr(0, dash), "frame"), b = parse_count(item.substr(dash + 1), "frame");
                    for (int64_t f = a; f <= b; ++f) o.png_frames.insert(f);
                } else {
                    o.png_frames.insert(parse_count(item, "frame"));
                }
            }
        } else if (arg == "--png-screens") {
            o.png_screens = true;
        } else if (arg == "--png-dir") {
            o.png_dir = absolute(value());
        } else if (arg == "--time") {
            int h = 0, m = 0, s = 0;
            std::string v = value();
            if (std::sscanf(v.c_str(), "%d:%d:%d", &h, &m, &s) != 3 || h < 0 || h > 23 || m < 0 || m > 59 || s < 0 ||
                s > 59)
                usage("bad time of day '" + v + "'");
            o.seconds_of_day = h * 3600 + m * 60 + s;
        } else if (arg == "--check-window") {
            o.check_window = true;
        } else if (arg == "--autopilot") {
            std::string v = value();
            if (v != "win" && v != "lose") usage("the autopilot either wins or loses");
            o.autopilot = true;
            o.pilot_mode = v == "win" ? PilotMode::win : PilotMode::lose;
        } else {
            usage("unknown argument '" + arg + "'");
        }
    }
    if (o.png_dir == ".") o.png_dir = absolute(".");
    return o;
}

// Flushes what was written and ends the process at once: the runtime's threads
// are left as they are, no exit handler runs.
[[noreturn]] void finish(int code) {
    if (run.options.check_window) std::fprintf(stderr, "window checked %lld frames\n", (long long)run.windows_checked);
    if (run.json) std::fflush(run.json);
    std::fflush(nullptr);
    std::_Exit(code);
}

std::string frame_name(int64_t frame) {
    char name[64];
    std::snprintf(name, sizeof name, "frame_%06lld.png", static_cast<long long>(frame));
    return name;
}

void save_picture(const std::string& name) {
    std::string path = run.options.png_dir + "/" + name;
    if (!save_page_png(path)) std::fprintf(stderr, "replay: cannot write %s\n", path.c_str());
}

void press(Key k) {
    rt::translate_key_down(k.symbol, k.unicode);
    run.held.insert(k.symbol);
}

void release(Key k) {
    rt::translate_key_up(k.symbol);
    run.held.erase(k.symbol);
}

void apply(const Event& e, int64_t frame) {
    switch (e.kind) {
        case Event::Kind::press: press(e.key); break;
        case Event::Kind::release: release(e.key); break;
        case Event::Kind::type:
            press(e.key);
            release(e.key);
            break;
        case Event::Kind::release_all: {
            std::set<int32_t> held = run.held;
            for (int32_t symbol : held) release({symbol, 0});
            break;
        }
        case Event::Kind::answer:
            rt::virtual_platform::push_answer(e.word == "yes"  ? rt::platform::Answer::yes
                                              : e.word == "no" ? rt::platform::Answer::no
                                                               : rt::platform::Answer::ok);
            break;
        case Event::Kind::shot: save_picture(frame_name(frame)); break;
    }
}

void hold(int32_t symbol, bool down) {
    if (down && !run.held.count(symbol)) press({symbol, 0});
    if (!down && run.held.count(symbol)) release({symbol, 0});
}

// The window as display_now left it against the page it shows: every pixel in
// its palette colour. display_now hands a copy of the page over and returns;
// once the display thread has presented it, it is idle until the next frame.
void check_window(int64_t frame) {
    for (int32_t asked; (asked = rt::window_requests.load()) & rt::window_request_frame;)
        rt::platform::wait_on_word(rt::window_requests, asked, 16);
    const SDL_Surface* window = SDL_GetVideoSurface();
    const rt::Image& page = rt::image(rt::display_page);
    if (!window || rt::auto_display.load() != rt::AutoDisplay::off || page.bytes_per_pixel != 1) return;
    const uint32_t* palette = page.palette ? page.palette : rt::default_palette.data();
    for (int32_t y = 0; y < page.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(window->pixels) +
                                                            size_t(y) * window->pitch);
        for (int32_t x = 0; x < page.width; ++x)
            if ((row[x] & 0xFFFFFFu) != (palette[page.pixels[size_t(y) * page.width + x]] & 0xFFFFFFu)) {
                std::fprintf(stderr, "replay: frame %lld: the window differs from the page at (%d, %d)\n",
                             (long long)frame, x, y);
                finish(3);
            }
    }
    ++run.windows_checked;
}

// At every display_now, on the program thread.
void on_frame() {
    const int64_t n = run.frame.fetch_add(1) + 1;
    const Options& o = run.options;
    const bool last = o.last_frame != 0 && n >= o.last_frame;
    const game::Screen screen = game::screen.load();
    const bool screen_changed = screen != run.previous_screen;
    run.previous_screen = screen;
    if (run.json && (n % o.json_every == 0 || last || screen_changed)) write_state_line(run.json, n);
    if (o.png_frames.count(n) || (o.png_screens && screen_changed)) save_picture(frame_name(n));
    if (o.png_screens) {
        if (screen_changed && n > 1) replay::save_png(run.options.png_dir + "/" + frame_name(n - 1), run.previous_page);
        copy_page(run.previous_page);
    }
    if (o.check_window) check_window(n);
    if (last) finish(0);
    for (const Event& e : run.script.at_frame(n)) apply(e, n);
    if (o.autopilot) {
        Controls c = steer(run.pilot, n);
        if (c.done) {
            if (run.json) write_state_line(run.json, n);
            finish(0);
        }
        hold(275, c.right);  // the right and left arrows
        hold(276, c.left);
        if (c.type_space) {
            press({32, ' '});
            release({32, ' '});
        }
    }
}

// The watcher below. The runtime ends the process through exit(), whose
// handlers destroy `run`: an exit handler of its own stops and joins the
// watcher before that.
std::atomic<bool> stopping{false};
std::thread watcher;

void stop_watcher() {
    stopping.store(true);
    if (watcher.joinable() && watcher.get_id() != std::this_thread::get_id()) watcher.join();
}

// end_program turns automatic presentation back on once it waits for its last
// key; no frame is presented after that, so the "end" events are given here.
// A glance every 10 ms is enough: the game only waits for that key.
void watch_for_end() {
    for (;;) {
        rt::platform::poll_wait(10);
        if (stopping.load()) return;
        if (run.frame.load() > 0 && rt::auto_display.load() == rt::AutoDisplay::on) break;
    }
    const int64_t n = run.frame.load();
    if (run.json) write_state_line(run.json, n);
    if (run.options.png_at_end) save_picture("end.png");
    std::vector<Event> events = run.script.at_frame(end_frame);
    if (events.empty()) {
        std::fprintf(stderr, "replay: the program waits for a key that the script does not give\n");
        finish(0);
    }
    if (run.json) std::fflush(run.json);
    for (const Event& e : events) apply(e, n);
}

}  // namespace

}  // namespace replay

int main(int argc, char** argv) {
    using namespace replay;
    run.options = parse_options(argc, argv);
    const Options& o = run.options;
    if (!o.script_path.empty()) {
        std::ifstream in(o.script_path);
        if (!in) usage("cannot read " + o.script_path);
        std::stringstream text;
        text << in.rdbuf();
        std::string error;
        auto script = parse_script(text.str(), error);
        if (!script) usage(o.script_path + ", " + error);
        run.script = *script;
    }
    if (!o.json_path.empty()) {
        // Binary: the same bytes on every system (no CR before each line end).
        run.json = o.json_path == "-" ? stdout : std::fopen(o.json_path.c_str(), "wb");
        if (!run.json) usage("cannot write " + o.json_path);
        static char buffer[1 << 20];
        std::setvbuf(run.json, buffer, _IOFBF, sizeof buffer);
    }
    run.pilot.mode = o.pilot_mode;
    // Headless, whatever the caller's environment says.
    // SDL's putenv, which every system has; it keeps the strings.
    static char video_driver[] = "SDL_VIDEODRIVER=dummy", audio_driver[] = "SDL_AUDIODRIVER=dummy";
    SDL_putenv(video_driver);
    SDL_putenv(audio_driver);
    // The window is checked against the page pixel for pixel: unscaled, as the
    // game's own mode choice lays it out.
    static char look[] = "SUPERVIVEDAS_SCALE=original", display[] = "SUPERVIVEDAS_DISPLAY=";
    SDL_putenv(look);
    SDL_putenv(display);
    rt::virtual_platform::set_calendar(1000000000, o.seconds_of_day);
    // The game takes its clock base one second into the virtual clock, where
    // start-up once waited for the calendar second: the tick counts and timer
    // readings of a replay stay the same as they have always been.
    rt::virtual_platform::set_ticks(1000);
    rt::virtual_platform::set_frame_hook(on_frame);
    watcher = std::thread(watch_for_end);
    std::atexit(stop_watcher);

    // The game takes no options: it gets the program name alone.
    char* game_argv[] = {argv[0], nullptr};
    return rt::runtime_main(1, game_argv, game::game_routine);
}
