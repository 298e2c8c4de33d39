// Clouds and sea birds: drawn over the yachts, so the clouds thin out to a
// dithered rim through which the scene shows.
#include <cmath>

#include "assets/generator/pictures.h"

namespace assets {

namespace {

struct Puff {
    double x, y, r;
};

Canvas cloud(int width, int height, std::initializer_list<Puff> puffs) {
    Canvas shape(width, height);
    for (const Puff& p : puffs) shape.ellipse(p.x, p.y, p.r, p.r * 0.8, ink::white);
    auto solid = [&](int x, int y) { return shape.at(x, y) != ink::clear; };
    Canvas c(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (!solid(x, y)) continue;
            bool rim = !solid(x - 1, y) || !solid(x + 1, y) || !solid(x, y - 1) || !solid(x, y + 1);
            if (rim && (x + y) % 2) continue;   // half the rim lets the sea through
            uint8_t colour = ink::white;
            if (!solid(x, y + 1)) colour = ink::grey_b6;
            else if (!solid(x, y + 2)) colour = ink::grey_ca;
            else if (!solid(x, y + 4)) colour = ink::grey_e3;
            c.set(x, y, colour);
        }
    return c;
}

// A gull, wings up and wings down.
// Grey wings and dark tips carry it on the pale sea, the white body on the deep ones.
const std::map<char, uint8_t> gull_inks = {
    {'K', ink::grey_32}, {'g', ink::grey_82}, {'G', ink::grey_b6}, {'W', ink::white}, {'o', ink::orange}};

Canvas gull_up() {
    Canvas c(12, 8);
    c.art(0, 0, {
        "K..........K",
        "Kg........gK",
        ".gG......Gg.",
        "..GW....WG..",
        "...WWWWWW...",
        "....WWWWWo..",
        ".....gg.....",
        "............",
    }, gull_inks);
    return c;
}

Canvas gull_down() {
    Canvas c(12, 8);
    c.art(0, 0, {
        "............",
        "............",
        "............",
        "....WWWW....",
        ".gGWWWWWWGg.",
        "gG..WWWWo.Gg",
        "Kg...gg...gK",
        "K..........K",
    }, gull_inks);
    return c;
}

}  // namespace

std::vector<Picture> sky_pictures() {
    return {
        {"nuage.gif", cloud(56, 34, {{18, 19, 11}, {30, 14, 13}, {42, 20, 10}, {26, 24, 12}, {10, 24, 7}})},
        {"nuage2.gif", cloud(44, 28, {{14, 16, 10}, {26, 12, 10}, {34, 18, 8}, {22, 20, 9}})},
        {"nuage3.gif", cloud(60, 46, {{20, 26, 13}, {34, 18, 15}, {46, 27, 11}, {28, 33, 13}, {11, 31, 8}, {50, 35, 7}})},
        {"nuage4.gif", cloud(36, 22, {{12, 13, 8}, {22, 10, 8}, {27, 14, 7}, {17, 15, 7}})},
        {"oiseau1.gif", gull_up()},
        {"oiseau2.gif", gull_down()},
    };
}

}  // namespace assets
