// The player's options: window or full-screen, and how the page fills the
// screen. The same choices come from the environment for launchers that cannot
// pass options; an option given wins over its variable. Nothing is written down:
// the game keeps no settings.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/host/host.h"

#ifndef PROGRAM_VERSION
#define PROGRAM_VERSION "0"
#endif

namespace rt {

ScreenChoice screen_choice;

namespace {

constexpr const char* program_name = "supervivedas";

const char* const usage =
    "Usage: supervivedas [OPTION]...\n"
    "An arcade sailing race for one player.\n"
    "\n"
    "  -w, --window          play in a window\n"
    "  -f, --fullscreen      play full-screen (the default)\n"
    "      --scale=LOOK      how the 800x600 picture fills the screen:\n"
    "                          sharp     as large as fits, seams softened (the default)\n"
    "                          pixel     the largest whole multiple\n"
    "                          original  unscaled, in the screen mode that fits it best\n"
    "                          stretch   the whole screen, whatever its shape\n"
    "  -h, --help            show this help and end\n"
    "  -v, --version         show the version and end\n"
    "\n"
    "The environment may say the same: SUPERVIVEDAS_DISPLAY=window|fullscreen,\n"
    "SUPERVIVEDAS_SCALE=sharp|pixel|original|stretch. Options win.\n"
    "Alt+Enter switches between full-screen and a window while playing.\n";

bool look_named(const std::string& name, Look& look) {
    static constexpr struct {
        const char* name;
        Look look;
    } looks[] = {{"sharp", Look::sharp}, {"pixel", Look::pixel}, {"original", Look::original}, {"stretch", Look::stretch}};
    for (const auto& l : looks)
        if (name == l.name) {
            look = l.look;
            return true;
        }
    return false;
}

bool start_named(const std::string& name, StartScreen& start) {
    if (name == "window" || name == "windowed") start = StartScreen::window;
    else if (name == "fullscreen" || name == "full-screen") start = StartScreen::full_screen;
    else return false;
    return true;
}

int wrong(const std::string& what) {
    std::fprintf(stderr, "%s: %s (try --help)\n", program_name, what.c_str());
    return 2;
}

}  // namespace

int read_options(int argc, char** argv, ScreenChoice& choice, std::string& rest) {
    choice = ScreenChoice{};
    rest.clear();
    if (const char* v = std::getenv("SUPERVIVEDAS_DISPLAY"); v && *v && !start_named(v, choice.start))
        return wrong(std::string("SUPERVIVEDAS_DISPLAY cannot be '") + v + "'");
    if (const char* v = std::getenv("SUPERVIVEDAS_SCALE"); v && *v && !look_named(v, choice.look))
        return wrong(std::string("SUPERVIVEDAS_SCALE cannot be '") + v + "'");

    bool options_end = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options_end || arg.empty() || arg[0] != '-' || arg == "-") {
            if (!rest.empty()) rest += ' ';
            rest += arg;
            continue;
        }
        if (arg == "--") {
            options_end = true;
        } else if (arg == "-w" || arg == "--window" || arg == "--windowed") {
            choice.start = StartScreen::window;
        } else if (arg == "-f" || arg == "--fullscreen" || arg == "--full-screen") {
            choice.start = StartScreen::full_screen;
        } else if (arg == "--scale" || arg.rfind("--scale=", 0) == 0) {
            std::string look;
            if (arg == "--scale") {
                if (i + 1 >= argc) return wrong("option '--scale' needs a look: sharp, pixel, original or stretch");
                look = argv[++i];
            } else {
                look = arg.substr(8);
            }
            if (!look_named(look, choice.look))
                return wrong("option '--scale' cannot be '" + look + "': sharp, pixel, original or stretch");
        } else if (arg == "-h" || arg == "--help") {
            std::fputs(usage, stdout);
            std::fflush(stdout);
            return 0;
        } else if (arg == "-v" || arg == "--version") {
            std::printf("%s %s\n", program_name, PROGRAM_VERSION);
            std::fflush(stdout);
            return 0;
        } else {
            return wrong("unknown option '" + arg + "'");
        }
    }
    return -1;
}

}  // namespace rt
