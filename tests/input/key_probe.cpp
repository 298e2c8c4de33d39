// A small program on the real platform layer for the keyboard test under an X
// server: it shows a page and prints every typed key and every change of a few
// held keys, one line each:
//   typed 20 | typed 00 4d | down 19200 | up 19200 | held 3
// ("held" whenever the number of codes in the held-key list changes).
#include <cstdio>

#include "runtime/graphics/graphics.h"
#include "runtime/host/host.h"
#include "runtime/host/step.h"
#include "runtime/input/input.h"
#include "runtime/values/values.h"

namespace {

constexpr int32_t watched[] = {32, 65, 81, 113, rt::key_left, rt::key_right, 100304, 200004};
bool was_down[std::size(watched)] = {};

void report_keys() {
    for (;;) {
        rt::StrVal* key = rt::inkey();
        if (key->length == 0) break;
        std::printf("typed");
        for (uint32_t i = 0; i < key->length; ++i) std::printf(" %02x", key->text[i]);
        std::printf("\n");
    }
    for (size_t i = 0; i < std::size(watched); ++i) {
        const bool down = rt::key_down(watched[i]) != 0;
        if (down != was_down[i]) std::printf("%s %d\n", down ? "down" : "up", watched[i]);
        was_down[i] = down;
    }
    static int32_t held = -1;
    if (rt::held_key_count() != held) {
        held = rt::held_key_count();
        std::printf("held %d\n", held);
    }
    std::fflush(stdout);
}

void routine() {
    int32_t page = 0;
    rt::step(1, [&] { page = rt::new_image(800, 600, 256, true); });
    rt::step(2, [&] { rt::select_screen(page); });
    for (;;) {
        rt::step(3, [] { rt::limit_rate(60); });
        rt::step(4, [] { rt::display_now(); });
        rt::step(5, [] { report_keys(); });
    }
}

}  // namespace

int main(int, char** argv) { return rt::runtime_main(1, argv, routine); }
