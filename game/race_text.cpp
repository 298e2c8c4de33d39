// The end of every race frame: the clock and the finishers over the scene, the
// game-over text, the start countdown with its beeps, pacing and presentation,
// then the keys: quit, wheel, spinnaker, leaving the race and pause.
#include "game/calls.h"
#include "game/game.h"
#include "runtime/host/host.h"
#include "runtime/input/input.h"

namespace game {

// Step numbers: 1800 + the step; the finisher lines of step 2 are 1821 and 1822,
// a turn of the pause loop of step 13 is 1831.
bool race_text_and_keys() {
    step(1801, [&] {
        set_foreground(15);
        locate(1, 45);
        print_line(join(number_text(race_minutes), text("'"), number_text(floor(race_seconds))));
    });
    if (step(1802, [&] {
            if (!(finish_count > 0)) return false;
            set_foreground(15);
            return true;
        })) {
        for (int k = 1; k <= to_int(finish_count); ++k) {
            step(1821, [&] {
                locate(2 * k + 10, 40);
                print_line(join(number_text(k), text(". "), country_names(finish_order(k))));
            });
            step(1822, [&] {
                locate(2 * k + 10, 55);
                print_line(join(number_text(rank_points(k)), text(" P")));
            });
        }
    }
    step(1803, [&] {
        if (finish_count > 5 && player_eliminated == 1) {
            locate(8, 39);
            set_foreground(floor(rnd() * 15) + 1);
            print_line(text("G  A  M  E    O  V  E  R"));
        }
    });
    step(1804, [&] {
        if (start_countdown > 0) {
            start_countdown -= 1;
            put_picture(430, 60, countdown_image_3);
            if (start_countdown > 25) put_picture(430, 60, countdown_image_2);
            if (start_countdown > 150) put_picture(430, 60, countdown_image_1);
        }
    });
    step(1805, [&] {
        if (start_countdown == 150 || start_countdown == 299) sound_play_file("beep.wav");
        if (start_countdown == 25) sound_play_file("beep2.wav");
    });
    step(1806, [&] { rt::limit_rate(60); });
    step(1807, [&] { rt::display_now(); });
    step(1808, [&] {
        if (key_down(81) || key_down(113)) quit();
    });
    step(1809, [&] {
        if (key_down(rt::key_right)) player_heading += 1;
        if (key_down(rt::key_left)) player_heading -= 1;
        if (player_heading > 360) player_heading = 1;
        if (player_heading < 1) player_heading = 360;
    });
    step(1810, [&] { take_typed_key(); });
    step(1811, [&] {
        if (finish_count < 6 && equals(key_text, text(" ")))
            boat_sail_factor(1) = boat_sail_factor(1) != 7 ? 7 : 1;
    });
    if (step(1812, [&] { return finish_count == 6 && equals(key_text, text(" ")); })) return true;
    // Pause: nothing is drawn, paced or tested until a typed space.
    if (step(1813, [&] { return equals(key_text, text("P")) || equals(key_text, text("p")); })) {
        screen = Screen::paused;
        // Between polls the thread sleeps until a key is typed, so that a paused
        // game uses no core; at most 16 ms, so the statement hook still sees a
        // close request at once.
        while (!step(1831, [&] { return equals(rt::inkey(), text(" ")); })) rt::wait_for_typed_key(16);
        screen = Screen::race;
    }
    return false;
}

}  // namespace game
