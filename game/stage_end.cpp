// The end of a stage: the ambient sounds stop, the teams are ranked by points,
// the time bonus and the score are worked out, and the ranking screen is shown
// until a typed space, at most 60 times a second. Then the next stage, or back to the title screen.
#include "game/calls.h"
#include "game/game.h"
#include "runtime/host/host.h"

namespace game {

namespace {

bool final_stage() { return stage == 4; }
bool victory() { return stage == 4 && player_eliminated == 0 && standings(1) == 1; }

}  // namespace

// Step numbers: 1900 + the step; the parts of the ranking pass (step 5) are 1951 to 1961.
bool stage_end() {
    step(1901, [&] {
        sound_stop(water_sound);
        sound_stop(wind_sound);
    });
    // Most points first; equal points keep boat order, so the player leads among equals.
    step(1902, [&] {
        for (int k = 1; k <= 6; ++k) standings(k) = 0;
        for (int i = 1; i <= 6; ++i) {
            int ahead = 0;
            for (int j = 1; j <= 6; ++j)
                if (boat_points(i) < boat_points(j)) ++ahead;
            standings_slot = 1 + ahead;
            while (standings(standings_slot) != 0) standings_slot += 1;
            standings(standings_slot) = i;
        }
    });
    step(1903, [&] {
        stage_time_bonus(stage) = stage * 100000 - 600 * floor(stage_times(stage));
        if (stage_time_bonus(stage) < 0) stage_time_bonus(stage) = 0;
    });
    step(1904, [&] {
        points_score = boat_points(1) * 10000;
        total_score = points_score;
        for (int s = 1; s <= to_int(stage); ++s) total_score = total_score + stage_time_bonus(s);
        if (victory()) total_score = total_score + 500000;
    });

    screen = Screen::ranking;
    for (;;) {
        step(1951, [&] { clear_screen(); });
        step(1952, [&] { set_colors(15, 55); });
        step(1953, [&] {
            if (stage < 4) {
                locate(4, 44);
                print_line(text("C L A S S E M E N T"));
            }
            if (final_stage()) {
                locate(4, 38);
                print_line(text("C L A S S E M E N T   F I N A L"));
            }
        });
        for (int k = 1; k <= 6; ++k)
            step(1954, [&] {
                const double team = standings(k);
                locate(2 * k + 8, 45);
                print_line(country_names(team));
                if (team == 1) {
                    locate(2 * k + 8, 65);
                    print_line(text("x 10 000"));
                }
                locate(2 * k + 8, 58);
                print_line(join(number_text(boat_points(team)), text(" ")));
            });
        step(1955, [&] {
            set_foreground(15);
            locate(28, 42);
            print_line(join(text("BONUS TEMPS :"), number_text(stage_time_bonus(stage))));
        });
        step(1956, [&] {
            set_foreground(15);
            if (stage < 4) {
                locate(30, 44);
                print_piece(text("SCORE : "));
                print_line(join(number_text(total_score), text(" ")));
            }
        });
        step(1957, [&] {
            if (victory()) {
                locate(32, 40);
                print_line(text("BONUS VICTOIRE : +500000"));
            }
        });
        step(1958, [&] { set_foreground(floor(rnd() * 15) + 1); });
        step(1959, [&] {
            if (final_stage() || player_eliminated == 1) {
                locate(34, 42);
                print_piece(text("SCORE FINAL : "));
                print_line(join(number_text(total_score), text(" ")));
            }
        });
        // A screen that only waits for a key presents at the race's pace, no
        // faster; the wait is real time, so the game's clock stays where it was.
        step(1960, [&] {
            rt::pace_in_real_time(60);
            rt::display_now();
        });
        bool leave = step(1961, [&] {
            take_typed_key();
            return equals(key_text, text(" "));
        });
        if (leave) break;
    }
    return step(1906, [&] {
        if (final_stage() || player_eliminated == 1) return false;
        stage += 1;
        return true;
    });
}

}  // namespace game
