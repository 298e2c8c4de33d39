#include "game/game.h"
#include "game/state.h"

namespace game {

void game_routine() {
    create_state();
    start_up();
    for (;;) {
        title_screen();
        do {
            stage_setup();
            stage_intro();
            screen = Screen::race;
            while (true) {
                race_clock_wind_player();
                race_opponents();
                race_gates();
                race_scene();
                if (race_text_and_keys()) break;
            }
        } while (stage_end());
    }
}

}  // namespace game
