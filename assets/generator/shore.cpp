// The stage decor in the bottom right corner: a lighthouse on its rock and a
// palm tree on a sand islet in two frames of a sway.
#include <cmath>

#include "assets/generator/pictures.h"

namespace assets {

namespace {

// Surf along the lower edge of an islet: every clear pixel just below it.
void surf(Canvas& c) {
    Canvas land = c;
    for (int y = 1; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            if (land.at(x, y) != ink::clear) continue;
            bool below_land = land.at(x, y - 1) != ink::clear || land.at(x - 1, y) != ink::clear || land.at(x + 1, y) != ink::clear;
            if (below_land && y > c.height - 14) c.set(x, y, (x + y) % 3 ? ink::white : ink::pale_cyan);
        }
}

Canvas lighthouse() {
    Canvas c(44, 104);
    // The rock, lit from the upper left, with a tuft of grass.
    c.ellipse(22, 96, 20, 7, ink::grey_71);
    c.ellipse(10, 99, 9, 4.5, ink::grey_71);
    c.ellipse(34, 99, 9, 4.5, ink::grey_71);
    c.recolour(ink::grey_71, ink::grey_92, [&](int x, int y) { return c.at(x, y - 2) == ink::clear && x < 30; });
    c.recolour(ink::grey_71, ink::grey_45, [&](int x, int y) { return c.at(x, y + 1) == ink::clear || x > 36; });
    for (int x = 8; x < 16; ++x) c.set(x, 89 + (x % 3 == 0), ink::forest);
    // The tower, tapering upwards, white with red bands, shaded on its right.
    const int axis = 22;
    for (int y = 18; y <= 90; ++y) {
        double half = 5.0 + (y - 18) * 3.5 / 72.0;
        bool band = (y >= 30 && y < 40) || (y >= 52 && y < 62) || (y >= 74 && y < 84);
        for (int x = static_cast<int>(std::floor(axis - half)); x <= static_cast<int>(std::ceil(axis + half)); ++x) {
            bool shade = x > axis + half * 0.35;
            c.set(x, y, band ? (shade ? ink::dark_red : ink::red) : (shade ? ink::grey_ca : ink::white));
        }
    }
    c.rect(21, 84, 3, 6, ink::grey_32);   // door
    c.rect(21, 45, 2, 3, ink::dark_blue);  // windows
    c.rect(21, 67, 2, 3, ink::dark_blue);
    // Gallery, lantern with its light, cap.
    c.rect(14, 18, 17, 1, ink::grey_45);
    c.rect(15, 16, 15, 2, ink::grey_32);
    for (int x = 15; x < 30; x += 2) c.set(x, 16, ink::grey_71);
    c.rect(18, 8, 9, 8, ink::bright_yellow);
    c.rect(19, 9, 3, 4, ink::cream);
    c.line(20, 8, 20, 15, ink::grey_32);
    c.line(24, 8, 24, 15, ink::grey_32);
    c.ellipse(22.5, 8, 5.5, 5, ink::dark_red);
    c.rect(17, 8, 11, 1, ink::grey_32);
    c.line(22, 0, 22, 3, ink::grey_32);
    for (int k = 0; k < 4; ++k) {
        c.set(13 - k, 11 - k / 2, ink::cream);
        c.set(31 + k, 11 - k / 2, ink::cream);
    }
    surf(c);
    return c;
}

struct Frond {
    double angle, length, droop;
};

Canvas palm(bool swayed) {
    Canvas c(56, 112);
    // The sand islet.
    c.ellipse(28, 106, 25, 7, ink::sand);
    c.recolour(ink::sand, ink::pale_sand, [&](int x, int y) { return c.at(x, y - 2) == ink::clear && x < 38; });
    c.recolour(ink::sand, ink::peach, [&](int x, int y) { return c.at(x, y + 1) == ink::clear; });
    surf(c);
    // The trunk: a leaning curve, ringed bark, darker on its right.
    const double sway = swayed ? 3 : 0;
    const Point base{22, 104}, bend{14, 70}, crown{30 + sway, 36};
    for (int k = 0; k <= 140; ++k) {
        double t = k / 140.0;
        double x = (1 - t) * (1 - t) * base.x + 2 * (1 - t) * t * bend.x + t * t * crown.x;
        double y = (1 - t) * (1 - t) * base.y + 2 * (1 - t) * t * bend.y + t * t * crown.y;
        double half = 2.3 - t * 0.9;
        bool ring = static_cast<int>(t * 68) % 4 == 0;
        for (int dx = -3; dx <= 3; ++dx) {
            if (std::fabs(dx) > half) continue;
            uint8_t colour = dx > half - 1.2 ? ink::dark_bark : ring ? ink::dark_bark : dx < -half + 1.2 ? ink::pale_bark : ink::bark;
            c.set(static_cast<int>(std::lround(x + dx)), static_cast<int>(std::lround(y)), colour);
        }
    }
    // Fronds: curved blades, pale on top, dark beneath; the wind combs them to the right.
    const Frond still[] = {
        {-160, 24, 14}, {-125, 20, 10}, {-95, 14, 6}, {-60, 20, 9}, {-25, 24, 14}, {10, 22, 16}, {160, 18, 18},
    };
    for (const Frond& f : still) {
        double a = (f.angle + (swayed ? (f.angle < -90 ? 14 : 8) : 0)) * 3.14159265 / 180;
        double droop = f.droop * (swayed ? 0.8 : 1.0);
        for (int k = 0; k <= 40; ++k) {
            double t = k / 40.0;
            double x = crown.x + std::cos(a) * f.length * t;
            double y = crown.y + std::sin(a) * f.length * t + droop * t * t;
            double w = 2.2 * (1 - t) + 0.6;
            c.ellipse(x + 0.5, y + 0.5 + 0.6, w, w * 0.7, ink::forest);
            c.ellipse(x + 0.5, y + 0.5 - 0.3, w * 0.8, w * 0.55, t < 0.7 ? ink::green : ink::leaf);
        }
    }
    c.ellipse(crown.x - 1, crown.y + 2, 1.5, 1.5, ink::dark_bark);
    c.ellipse(crown.x + 2, crown.y + 3, 1.5, 1.5, ink::dark_bark);
    c.ellipse(crown.x + 0.5, crown.y + 4.5, 1.5, 1.5, ink::brown);
    return c;
}

}  // namespace

std::vector<Picture> shore_pictures() {
    return {
        {"phare.gif", lighthouse()},
        {"palmier.gif", palm(false)},
        {"palmier2.gif", palm(true)},
    };
}

}  // namespace assets
