// The opaque pictures: the finish band, the compass, the lap markers and the
// start signal. The game copies them whole, so each is a complete rectangle.
#include <cmath>

#include "assets/generator/pictures.h"

namespace assets {

namespace {

// The finish band: 10 pixels wide, from the top of the screen down to the
// right-hand mark, in squares of 5.
Canvas chequered_band() {
    Canvas c(10, 150);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) c.set(x, y, ((x / 5) + (y / 5)) % 2 ? ink::clear : ink::white);
    return c;
}

const std::map<char, uint8_t> letter_ink = {{'X', ink::dark_red}};

// The compass card: a brass ring round a cream dial with the four cardinal
// letters. The game draws the black wind arrow from its centre (40, 40).
Canvas compass() {
    Canvas c(81, 81, ink::night);
    const double centre = 40.5;
    c.ellipse(centre, centre, 40, 40, ink::gold);
    c.recolour(ink::gold, ink::brown, [&](int x, int y) { return (x - centre) + (y - centre) > 36; });
    c.ellipse(centre, centre, 37, 37, ink::grey_71);
    c.ellipse(centre, centre, 36, 36, ink::cream);
    for (int k = 0; k < 16; ++k) {
        double a = k * 3.14159265358979 / 8;
        double inner = k % 4 == 0 ? 29 : k % 2 == 0 ? 31.5 : 33.5;
        c.line(40 + std::cos(a) * inner, 40 + std::sin(a) * inner, 40 + std::cos(a) * 35, 40 + std::sin(a) * 35,
               k % 2 == 0 ? ink::grey_45 : ink::grey_92);
    }
    c.art(38, 10, {"X...X", "XX..X", "X.X.X", "X..XX", "X...X"}, letter_ink);   // N
    c.art(38, 66, {".XXX.", "X....", ".XXX.", "....X", "XXXX."}, letter_ink);   // S
    c.art(66, 38, {"XXXX", "X...", "XXX.", "X...", "XXXX"}, letter_ink);        // E
    c.art(10, 38, {"X...X", "X...X", "X.X.X", "XX.XX", "X...X"}, letter_ink);   // W
    c.ellipse(centre, centre, 2, 2, ink::grey_45);
    // A plain frame round the square plate.
    for (int i = 0; i < 81; ++i) {
        c.set(i, 0, ink::grey_71);
        c.set(i, 80, ink::grey_71);
        c.set(0, i, ink::grey_71);
        c.set(80, i, ink::grey_71);
    }
    return c;
}

// A lap marker: a dark tile with a ring to fill, or filled with a gold disc and
// a tick once the lap is sailed.
Canvas lap_marker(bool done) {
    Canvas c(20, 20, ink::grey_20);
    for (int i = 0; i < 20; ++i) {
        c.set(i, 0, ink::grey_71);
        c.set(i, 19, ink::grey_45);
        c.set(0, i, ink::grey_71);
        c.set(19, i, ink::grey_45);
    }
    c.ellipse(10, 10, 7, 7, done ? ink::gold : ink::grey_92);
    c.ellipse(10, 10, 5.8, 5.8, done ? ink::bright_yellow : ink::grey_20);
    if (done) {
        c.line(6, 10, 8, 12, ink::deep_forest);
        c.line(8, 12, 13, 7, ink::deep_forest);
        c.line(6, 11, 8, 13, ink::deep_forest);
        c.line(8, 13, 13, 8, ink::deep_forest);
    }
    return c;
}

// The start signal: a board of three lamps, red, then amber, then green.
Canvas start_signal(int lit) {
    Canvas c(100, 36, ink::grey_20);
    for (int i = 0; i < 100; ++i) {
        c.set(i, 0, ink::grey_71);
        c.set(i, 35, ink::grey_45);
    }
    for (int i = 0; i < 36; ++i) {
        c.set(0, i, ink::grey_71);
        c.set(99, i, ink::grey_45);
    }
    struct Lamp { uint8_t rim, body, glint; } lamps[3] = {
        {ink::dark_red, ink::red, ink::light_red},
        {ink::orange, ink::gold, ink::yellow},
        {ink::forest, ink::bright_green, ink::light_green},
    };
    for (int k = 0; k < 3; ++k) {
        double x = 18.5 + 32 * k, y = 18;
        c.ellipse(x, y, 13, 13, ink::grey_45);
        if (k == lit) {
            c.ellipse(x, y, 12, 12, lamps[k].rim);
            c.ellipse(x, y, 10.5, 10.5, lamps[k].body);
            c.ellipse(x - 3, y - 3.5, 3.5, 3, lamps[k].glint);
        } else {
            c.ellipse(x, y, 12, 12, ink::grey_32);
            c.ellipse(x - 3, y - 3.5, 3, 2.5, ink::grey_45);
        }
    }
    return c;
}

}  // namespace

std::vector<Picture> panel_pictures() {
    return {
        {"damier.gif", chequered_band()},
        {"boussole.gif", compass()},
        {"tour.gif", lap_marker(true)},
        {"tourvide.gif", lap_marker(false)},
        {"rebours1.gif", start_signal(0)},
        {"rebours2.gif", start_signal(1)},
        {"rebours3.gif", start_signal(2)},
    };
}

}  // namespace assets
