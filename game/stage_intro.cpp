// The stage introduction: the stage's name and the controls for two seconds, then
// the sea colour of the race and its ambient sounds.
#include <algorithm>

#include "game/calls.h"
#include "game/game.h"
#include "runtime/host/host.h"

namespace game {

namespace {

constexpr double sea_colours[] = {54, 53, 55, 101};

}  // namespace

// Step numbers: 1300 + the step.
void stage_intro() {
    screen = Screen::stage_intro;
    step(1301, [&] {
        clear_screen();
        set_colors(15, 55);
    });
    step(1302, [&] {
        if (stage == 1) {
            locate(17, 40);
            print_line(text("L A C   L E M E N T"));
        }
        if (stage == 2) {
            locate(17, 34);
            print_line(text("T O N N E R R E   D E   B R E S T"));
        }
        if (stage == 3) {
            locate(17, 45);
            print_line(text("H A W A I"));
        }
        if (stage == 4) {
            locate(17, 42);
            print_line(text("F I N A L   S T A G E"));
            locate(19, 45);
            print_line(text("C A P   H O R N"));
        }
    });
    step(1303, [&] {
        locate(34, 30);
        print_line(text("LEFT&RIGHT = SHIP'S WHEEL   SPACE = SPINNAKER"));
    });
    step(1304, [&] {
        rt::display_now();
        rt::sleep_seconds(2);
        rt::display_now();
    });
    step(1305, [&] { set_colors(15, sea_colours[size_t(std::clamp(to_int(stage), 1, 4) - 1)]); });
    step(1306, [&] {
        sound_open_sync(water_sound, "water.wav");
        sound_loop(water_sound);
    });
    step(1307, [&] {
        if (stage == 2 || stage == 4) {
            sound_open_sync(wind_sound, "vent.wav");
            sound_loop(wind_sound);
        }
    });
}

}  // namespace game
