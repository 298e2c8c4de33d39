// The runtime operations in the forms the game calls them: numbers come in as
// game numbers (doubles), handles are rounded on the way out, and optional
// arguments are given exactly as the game gives them.
#pragma once

#include <cmath>
#include <cstdint>

#include "game/state.h"
#include "runtime/host/step.h"
#include "runtime/values/values.h"

namespace game {

using rt::step;

// A fresh random number in [0, 1), widened so that the formula around it runs in double.
inline double rnd() { return double(rt::rnd()); }
inline double floor(double v) { return std::floor(v); }

// A string literal of the game's own text (a temporary of the step).
rt::StrVal* text(const char* s);
// Concatenation, left to right, as the runtime joins string values.
rt::StrVal* join(rt::StrVal* a, rt::StrVal* b);
rt::StrVal* join(rt::StrVal* a, rt::StrVal* b, rt::StrVal* c);
// The text of a number, with its leading space when not negative.
rt::StrVal* number_text(double v);
// True when the string value holds exactly these bytes.
bool equals(const rt::StrVal* a, rt::StrVal* b);

// One text line: the expression is built into a working value, fitted, printed
// without a line end, then the empty value ends the line.
void print_line(rt::StrVal* expression);
// The first piece of a line that goes on with another text line.
void print_piece(rt::StrVal* expression);

void set_colors(double foreground, double background);
void set_foreground(double foreground);
void locate(double row, double column);

// put_image in its point form: top-left corner and source image.
void put_picture(double x, double y, double image);
void clear_screen();

void sound_open_sync(Num& handle, const char* file);
void sound_loop(double handle);
void sound_stop(double handle);
void sound_play_file(const char* file);

bool key_down(int32_t code);
// key_text = inkey.
void take_typed_key();

// Q: the program's orderly end.
[[noreturn]] void quit();

}  // namespace game
