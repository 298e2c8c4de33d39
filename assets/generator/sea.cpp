// Things on the water: the two styles of course mark, foam, a wave crest and
// the reef, whose rock is the one colour that slows a yacht.
#include <cmath>

#include "assets/generator/pictures.h"

namespace assets {

namespace {

// A red ball buoy with a white belt and a yellow pennant on a short staff.
Canvas ball_buoy() {
    Canvas c(20, 16);
    c.ellipse(10, 10.5, 7.5, 5.5, ink::red);
    c.recolour(ink::red, ink::dark_red, [](int x, int y) { return (x - 10) * 0.6 + (y - 10) > 2.5; });
    c.recolour(ink::red, ink::light_red, [](int x, int y) { return (x - 10) * 0.6 + (y - 10) < -3.8; });
    for (int x = 0; x < 20; ++x)
        for (int y = 9; y <= 10; ++y)
            if (c.at(x, y) != ink::clear) c.set(x, y, x > 13 ? ink::grey_ca : ink::white);
    c.line(10, 0, 10, 5, ink::grey_45);
    c.polygon({{11, 0}, {17, 2}, {11, 4}}, ink::bright_yellow);
    c.set(11, 3, ink::gold);
    c.set(12, 3, ink::gold);
    return c;
}

// A yellow spar marker banded in black, with a black ball on top.
Canvas spar_buoy() {
    Canvas c(20, 16);
    c.polygon({{8, 3}, {12, 3}, {15.5, 15}, {4.5, 15}}, ink::bright_yellow);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x) {
            if (c.at(x, y) == ink::clear) continue;
            bool band = (y >= 6 && y <= 7) || (y >= 11 && y <= 12);
            bool shade = x >= 12 && (c.at(x + 1, y) == ink::clear || c.at(x + 2, y) == ink::clear);
            c.set(x, y, band ? (shade ? ink::grey_20 : ink::grey_32) : shade ? ink::gold : ink::bright_yellow);
        }
    c.ellipse(10, 1.6, 1.8, 1.6, ink::grey_32);
    c.set(9, 1, ink::grey_71);
    return c;
}

// A few glittering light pixels: copied whole, so every pixel is light.
Canvas foam() {
    Canvas c(3, 2);
    c.art(0, 0, {"wcw", "cwe"}, {{'w', ink::white}, {'c', ink::pale_cyan}, {'e', ink::grey_e3}});
    return c;
}

// A small breaking crest: white on top, the trough in shadow below, so it
// reads on the pale sea as well as on the deep ones.
Canvas wave() {
    Canvas c(16, 5);
    c.art(0, 0, {
        ".....wwww.......",
        "...wwccccww.....",
        ".wwc......cww...",
        "dd..........ddd.",
        "................",
    }, {{'w', ink::white}, {'c', ink::pale_cyan}, {'d', ink::deep_blue}});
    return c;
}

// The reef: jagged rocks awash, surf breaking on their weather side, the wet
// foot of the rock dark in their lee. Only the rock itself is the reef colour.
Canvas reef() {
    Canvas c(40, 26);
    c.polygon({{5, 15}, {9, 10}, {14, 8}, {19, 4}, {23, 6}, {27, 7}, {32, 11}, {35, 15}, {31, 18},
               {25, 19.5}, {18, 18}, {11, 19}}, ink::reef);
    c.polygon({{2, 20}, {4, 17}, {8, 18}, {9, 21}, {5, 22.5}}, ink::reef);
    c.polygon({{31, 21}, {34, 18}, {38, 19}, {37, 23}, {33, 23.5}}, ink::reef);
    const Canvas rock = c;
    auto is_rock = [&](int x, int y) { return rock.at(x, y) == ink::reef; };
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            if (is_rock(x, y)) continue;
            bool lee = is_rock(x - 1, y) || is_rock(x, y - 1) || is_rock(x - 1, y - 1);
            bool weather = is_rock(x + 1, y) || is_rock(x, y + 1) || is_rock(x + 1, y + 1);
            if (lee && !weather) c.set(x, y, ink::dark_bark);
            else if (weather) c.set(x, y, (x * 3 + y) % 4 == 0 ? ink::pale_cyan : ink::white);
        }
    // Lace of foam a pixel further out on the weather side, and spray.
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            if (c.at(x, y) == ink::clear && (rock.at(x + 2, y + 1) == ink::reef || rock.at(x + 1, y + 2) == ink::reef) &&
                (x + 2 * y) % 3 != 0)
                c.set(x, y, ink::pale_cyan);
    const int spray[][2] = {{3, 12}, {7, 6}, {12, 3}, {17, 1}, {26, 2}, {34, 7}, {1, 17}, {38, 14}, {29, 16}, {15, 13}};
    for (const auto& s : spray) c.set(s[0], s[1], (s[0] + s[1]) % 2 ? ink::white : ink::pale_cyan);
    return c;
}

}  // namespace

std::vector<Picture> sea_pictures() {
    return {
        {"plot.gif", ball_buoy()},
        {"plot2.gif", spar_buoy()},
        {"bulles.gif", foam()},
        {"vagues.gif", wave()},
        {"recif.bmp", reef()},
    };
}

}  // namespace assets
