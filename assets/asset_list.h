// The files the game reads from its folder: the 28 pictures in the order it
// loads them, with whether it makes their index 0 clear, and the six sounds.
#pragma once

#include <array>

namespace assets {

struct PictureFile {
    const char* name;
    bool clear_colour;   // index 0 is left out when the game copies it
};

constexpr std::array<PictureFile, 28> picture_files = {{
    {"voilier1.gif", true}, {"voilier2.gif", true}, {"voilier3.gif", true}, {"voilier4.gif", true},
    {"voilier5.gif", true}, {"voilier6.gif", true}, {"spin.gif", true},     {"plot.gif", true},
    {"plot2.gif", true},    {"damier.gif", false},  {"nuage.gif", true},    {"nuage3.gif", true},
    {"nuage2.gif", true},   {"nuage4.gif", true},   {"oiseau1.gif", true},  {"oiseau2.gif", true},
    {"boussole.gif", false}, {"tour.gif", false},   {"tourvide.gif", false}, {"rebours1.gif", false},
    {"rebours2.gif", false}, {"rebours3.gif", false}, {"recif.bmp", true},  {"phare.gif", true},
    {"palmier.gif", true},  {"palmier2.gif", true}, {"vagues.gif", true},   {"bulles.gif", false},
}};

constexpr std::array<const char*, 6> sound_files = {
    "8bit_varlin.OGG", "water.wav", "vent.wav", "cloche.wav", "beep.wav", "beep2.wav",
};

// The sea colours of the four stages.
constexpr std::array<int, 4> sea_colours = {54, 53, 55, 101};

}  // namespace assets
