// Drives game steps directly from state: the runtime's stores and the 800x600
// screen page without the host's threads, and plain stand-in pictures (solid
// rectangles in colours of their own) in place of the artwork.
#pragma once

#include <cstdint>
#include <string>

#include "tests/game_view.h"

namespace harness {

// Once per process; every test then sets the state it needs.
void start_runtime();

// A race of `stage` at its start signal: the grid, no wind, clocks at 0, the
// countdown over, no runtime error or dialog pending.
void reset_race(int stage);

// Colours of the stand-in pictures.
constexpr uint8_t boat_colour(int boat) { return uint8_t(200 + boat); }
constexpr uint8_t spinnaker_colour = 210, lap_done_colour = 221, lap_empty_colour = 222;
constexpr uint8_t countdown_colour_1 = 223, countdown_colour_2 = 224, countdown_colour_3 = 225;
constexpr uint8_t checker_colour = 213, reef_colour = 114;

uint8_t pixel(int x, int y);
void set_pixel(int x, int y, uint8_t colour);
void fill_page(uint8_t colour);

// True when every set pixel of the glyphs of `s` at text row and column (from 1)
// shows `colour`, and no clear pixel of them does.
bool shows_text(int row, int column, const std::string& s, uint8_t colour);

// A typed key (pressed and released), as the display thread would give it.
void type_key(int32_t code);
void press_key(int32_t code);
void release_key(int32_t code);
void clear_keys();

// Message boxes shown so far (runtime errors are answered Yes here).
size_t dialogs();

// The generator's next state, and how many steps lead from one state to another.
using test_support::next_state;
int draws_between(uint32_t from, uint32_t to, int limit = 1000);

}  // namespace harness
