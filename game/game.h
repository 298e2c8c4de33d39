// The game routine: start-up, then the title screen and the games played from it,
// one stage after another. It runs on the program thread as a sequence of
// numbered steps (runtime/host/step.h); the screens and race steps below are its parts.
#pragma once

namespace game {

// Runs until the player quits; never returns.
void game_routine();

// Once, before the first title screen: page, print mode, images, tables.
void start_up();
// The attract screen; returns when a typed space starts a game (`stage` is then 1).
void title_screen();
// Laps, opponent speeds, wind, scenery and grid of `stage`.
void stage_setup();
// The stage's name and the controls for two seconds, then the sea and its sounds.
void stage_intro();

// One race frame, in this order. The last part returns true when the race is left.
void race_clock_wind_player();
void race_opponents();
void race_gates();
void race_scene();
bool race_text_and_keys();

// Standings, bonus, score and the ranking screen; true when the next stage follows.
bool stage_end();

}  // namespace game
