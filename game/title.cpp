// The title and attract screen: music, title, credits, the blinking prompt and a
// yacht crossing the sea. Q quits; a typed space starts a game.
#include "game/calls.h"
#include "game/game.h"
#include "runtime/host/host.h"
#include "runtime/input/input.h"

namespace game {

namespace {

// The rotating credit line of row 33 and its column; each line fits its row.
constexpr const char* author_line = "CODE AND PICTURES: THE DOCK CREW";
constexpr const char* music_line = "MUSIC AND SOUNDS: TIDE MACHINE";
constexpr const char* thanks_line = "THANKS TO ALL WEEKEND SAILORS";
constexpr const char* web_line = "WWW.EXAMPLE.ORG";
constexpr const char* keys_line = "P = PAUSE   Q = QUIT";
constexpr const char* bottom_line = "A SMALL ARCADE REGATTA - FOUR STAGES - FIVE RIVAL CREWS";

void print_at(double row, double column, const char* s) {
    locate(row, column);
    print_line(text(s));
}

}  // namespace

// Step numbers: 1100 on entry, then 1100 + the step of the frame; the rotating
// lines of step 6 are 1161 to 1165.
void title_screen() {
    screen = Screen::title;
    step(1100, [&] {
        sound_open_sync(music_sound, "8bit_varlin.OGG");
        sound_loop(music_sound);
    });
    for (;;) {
        step(1101, [&] {
            set_colors(15, 55);
            clear_screen();
        });
        step(1102, [&] {
            for (int i = 1; i <= 6; ++i) boat_points(i) = 0;
            for (int i = 1; i <= 4; ++i) {
                stage_times(i) = 0;
                stage_time_bonus(i) = 0;
            }
            stage = 0;
            player_eliminated = 0;
        });
        step(1103, [&] {
            set_foreground(15);
            print_at(8, 34, "S  U  P  E  R    V  I  V  E  D  A  S");
        });
        // One step per picture, so that a failed one is reported after its own turn.
        for (int i = 1; i <= 8; ++i)
            step(1104, [&] {
                double y = 130 + floor(rnd() * 10);
                double x = 250 + floor(rnd() * 300);
                put_picture(x, y, foam_image);
            });
        step(1105, [&] {
            print_at(14, 33, "T H E   R E A L   A R C A D E   G A M E");
            set_foreground(15);
        });
        step(1106, [&] {
            credits_timer += 1;
            if (credits_timer == 2001) credits_timer = 1;
        });
        // Each rotating line is tested on its own: at 800, 1200 and 1600 two are printed.
        step(1161, [&] {
            if (0 < credits_timer && credits_timer < 400) print_at(33, 35, author_line);
        });
        step(1162, [&] {
            if (399 < credits_timer && credits_timer < 801) print_at(33, 36, music_line);
        });
        step(1163, [&] {
            if (799 < credits_timer && credits_timer < 1201) print_at(33, 35, thanks_line);
        });
        step(1164, [&] {
            if (1199 < credits_timer && credits_timer < 1601) print_at(33, 42, web_line);
        });
        step(1165, [&] {
            if (1599 < credits_timer && credits_timer < 2001) print_at(33, 40, keys_line);
        });
        // Its line end passes the bottom row: everything printed so far moves up a row.
        step(1107, [&] { print_at(36, 22, bottom_line); });
        step(1108, [&] {
            blink_timer += 1;
            if (blink_timer > 40) print_at(20, 38, "INSERT COIN (PRESS SPACE)");
            if (blink_timer == 120) blink_timer = 1;
        });
        step(1109, [&] { title_boat_x += 0.4; });
        step(1110, [&] {
            if (floor(rnd() * 30) == 1) title_boat_y = title_boat_y + floor(rnd() * 3) - 1;
        });
        step(1111, [&] {
            if (title_boat_x > 840) {
                title_boat_x = -40;
                title_boat_y = 350 + floor(rnd() * 50);
            }
        });
        step(1112, [&] { put_picture(title_boat_x, title_boat_y, boat_images(1)); });
        for (int i = 1; i <= 4; ++i)
            step(1113, [&] {
                double y = title_boat_y + 41 + floor(rnd() * 4);
                double x = title_boat_x - 50 + floor(rnd() * 80);
                put_picture(x, y, foam_image);
            });
        step(1114, [&] {
            rt::limit_rate(60);
            rt::display_now();
        });
        step(1115, [&] {
            if (key_down(81) || key_down(113)) quit();
        });
        bool start = step(1116, [&] {
            take_typed_key();
            return equals(key_text, rt::chr_string(32));
        });
        if (start) break;
    }
    step(1117, [&] {
        stage += 1;
        sound_stop(music_sound);
    });
}

}  // namespace game
