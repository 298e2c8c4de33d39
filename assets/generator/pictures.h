// The game's pictures, each drawn in default-palette entries. Sprites that the
// game copies with a clear colour keep their background at index 0.
#pragma once

#include <string>
#include <vector>

#include "assets/generator/canvas.h"

namespace assets {

struct Picture {
    std::string file;
    Canvas canvas;
};

// Yacht sprites, 40 x 43: the reference point (20, 40) sits on the waterline
// and the hull stays above row 43, clear of the colour probes below it.
constexpr int yacht_width = 40, yacht_height = 43;

std::vector<Picture> boat_pictures();      // voilier1..6, spin
std::vector<Picture> sea_pictures();       // plot, plot2, bulles, vagues, recif
std::vector<Picture> sky_pictures();       // nuage..nuage4, oiseau1, oiseau2
std::vector<Picture> panel_pictures();     // damier, boussole, tour, tourvide, rebours1..3
std::vector<Picture> shore_pictures();     // phare, palmier, palmier2

// Every picture, in no particular order.
std::vector<Picture> all_pictures();

}  // namespace assets
