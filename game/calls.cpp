#include "game/calls.h"

#include "runtime/graphics/graphics.h"
#include "runtime/host/host.h"
#include "runtime/input/input.h"
#include "runtime/sound/sound.h"
#include "runtime/text/text.h"

namespace game {

rt::StrVal* text(const char* s) { return rt::string_literal(s); }

rt::StrVal* join(rt::StrVal* a, rt::StrVal* b) { return rt::string_concat(a, b); }

rt::StrVal* join(rt::StrVal* a, rt::StrVal* b, rt::StrVal* c) {
    return rt::string_concat(rt::string_concat(a, b), c);
}

rt::StrVal* number_text(double v) { return rt::str_of_number(static_cast<float>(v)); }

bool equals(const rt::StrVal* a, rt::StrVal* b) { return rt::string_equal(a, b) != 0; }

void print_line(rt::StrVal* expression) {
    rt::StrVal* line = rt::new_string(0, false);
    rt::string_assign(line, expression);
    rt::fit_text(line);
    rt::print_text(line, false);
    rt::print_text(rt::empty_string, true);
    rt::free_string(line);
}

void print_piece(rt::StrVal* expression) {
    rt::StrVal* piece = rt::new_string(0, false);
    rt::string_assign(piece, expression);
    rt::fit_text(piece);
    rt::print_text(piece, false);
    rt::free_string(piece);
}

void set_colors(double foreground, double background) {
    rt::set_color(uint32_t(to_int(foreground)), uint32_t(to_int(background)), 0, 3);
}

void set_foreground(double foreground) { rt::set_color(uint32_t(to_int(foreground)), 0, 0, 1); }

void locate(double row, double column) { rt::locate(to_int(row), to_int(column), 0, 0, 0, 3); }

void put_picture(double x, double y, double image) {
    rt::put_image(x, y, 0, 0, to_int(image), 0, 0, 0, 0, 0, rt::put_dest_corner_1 | rt::put_source_handle);
}

void clear_screen() { rt::clear_screen(0, 0, 0); }

void sound_open_sync(Num& handle, const char* file) {
    // Each screen visit opens its sound anew. The handle it replaces has been
    // stopped already; closing it gives its slot and samples back, which would
    // otherwise run out after a few dozen games and leave the game silent.
    if (to_int(handle) != 0) rt::sound_close(to_int(handle));
    handle = rt::sound_open(text(file), text("sync"));
}

void sound_loop(double handle) { rt::sound_loop(to_int(handle)); }

void sound_stop(double handle) { rt::sound_stop(to_int(handle)); }

void sound_play_file(const char* file) { rt::sound_play_file(text(file), false, 0, false); }

bool key_down(int32_t code) { return rt::key_down(code) != 0; }

void take_typed_key() { rt::string_assign(key_text, rt::inkey()); }

void quit() {
    screen = Screen::ending;
    rt::end_program();
}

}  // namespace game
