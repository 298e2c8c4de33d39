// contact_sheet ASSET_FOLDER OUTPUT_FOLDER
//
// Loads every picture through the game's own load_image onto a 256-colour page
// and draws two sheets with put_image, as the game would:
//   pictures.png - every picture on each of the four sea colours (shown 2x), and
//                  pictures_<colour>.png, one sea colour each (shown 3x);
//   scenes.png   - one race scene per stage, 1:1, with every picture in its place.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "assets/asset_list.h"
#include "runtime/graphics/graphics.h"
#include "runtime/host/host.h"
#include "runtime/values/values.h"
#include "tools/page_png/page_png.h"

namespace {

std::map<std::string, int32_t> handles;

int32_t picture(const std::string& name) { return handles.at(name); }

const rt::Image& record(int32_t handle) { return rt::image(-handle); }

void put(int32_t destination, const std::string& name, double x, double y) {
    rt::put_image(x, y, 0, 0, picture(name), destination, 0, 0, 0, 0,
                  rt::put_dest_corner_1 | rt::put_source_handle | rt::put_dest_handle);
}

void fill(int32_t destination, int x, int y, int w, int h, uint8_t colour) {
    const rt::Image& img = record(destination);
    for (int j = y; j < y + h && j < img.height; ++j)
        for (int i = x; i < x + w && i < img.width; ++i) img.pixels[size_t(j) * img.width + i] = colour;
}

// Writes the rectangle (x0, y0, w, h) of an image, each pixel as a scale x scale block.
bool write_png(const std::string& path, int32_t handle, int scale, int x0, int y0, int w, int h) {
    const rt::Image& img = record(handle);
    return page_png::write_rgb(path, {w, h, img.pixels + size_t(y0) * img.width + x0, img.width, img.palette}, scale);
}

// ------------------------------------------------------------ the picture sheet

constexpr int panel_w = 440, panel_h = 400, gap = 8;

void wind_arrow(int32_t destination, double x, double y, double degrees, double force) {
    rt::set_dest(destination);
    double a = degrees * 3.14116 / 180;
    rt::draw_line(false, x, y, false, x + std::cos(a) * force * 8, y + std::sin(a) * force * 8, 0, 0, 0, 1 | 2);
}

void picture_panel(int32_t sheet, int ox, int oy, uint8_t sea) {
    fill(sheet, ox, oy, panel_w, panel_h, sea);
    int x = ox + gap, y = oy + gap;
    // Yachts, the spinnaker alone, and two yachts with it set.
    for (int k = 1; k <= 6; ++k, x += 48) put(sheet, "voilier" + std::to_string(k) + ".gif", x, y);
    put(sheet, "spin.gif", x, y);
    x += 48;
    put(sheet, "voilier1.gif", x, y);
    put(sheet, "spin.gif", x, y);
    x += 48;
    put(sheet, "voilier5.gif", x, y);
    put(sheet, "spin.gif", x, y);
    // Marks, foam, a wave, reefs, birds and lap markers.
    x = ox + gap;
    y += 43 + gap;
    put(sheet, "plot.gif", x, y);
    put(sheet, "plot2.gif", x + 28, y);
    for (int k = 0; k < 6; ++k) put(sheet, "bulles.gif", x + 56 + (k * 7) % 15, y + 4 + (k * 5) % 6);
    put(sheet, "vagues.gif", x + 80, y + 4);
    put(sheet, "recif.bmp", x + 104, y);
    put(sheet, "recif.bmp", x + 150, y);
    put(sheet, "recif.bmp", x + 170, y + 6);
    put(sheet, "oiseau1.gif", x + 222, y + 4);
    put(sheet, "oiseau2.gif", x + 240, y + 4);
    put(sheet, "tourvide.gif", x + 264, y);
    put(sheet, "tour.gif", x + 289, y);
    put(sheet, "tourvide.gif", x + 314, y);
    // Clouds, the last one drifting over a yacht.
    x = ox + gap;
    y += 32 + gap;
    put(sheet, "nuage.gif", x, y);
    put(sheet, "nuage3.gif", x + 64, y);
    put(sheet, "nuage2.gif", x + 132, y);
    put(sheet, "nuage4.gif", x + 184, y);
    put(sheet, "voilier3.gif", x + 240, y);
    put(sheet, "nuage2.gif", x + 228, y + 18);
    // The compass with a force-5 wind arrow, and the start signal's three pictures.
    x = ox + gap;
    y += 46 + gap;
    put(sheet, "boussole.gif", x, y);
    wind_arrow(sheet, x + 40, y + 40, 35, 5);
    for (int k = 1; k <= 3; ++k) put(sheet, "rebours" + std::to_string(k) + ".gif", x + 89 + (k - 1) * 108, y);
    // The finish band, lighthouse and palm trees.
    x = ox + gap;
    y += 81 + gap;
    put(sheet, "damier.gif", x, y);
    put(sheet, "phare.gif", x + 24, y + 40);
    put(sheet, "palmier.gif", x + 80, y + 30);
    put(sheet, "palmier2.gif", x + 150, y + 30);
}

// ------------------------------------------------------------ race scenes

// A small fixed generator, so the sheet is the same every time.
struct Dice {
    uint32_t s = 12345;
    double next() {
        s = s * 1103515245u + 12345u;
        return ((s >> 8) & 0xFFFF) / 65536.0;
    }
    int below(int n) { return int(next() * n); }
};

const std::vector<std::vector<std::pair<int, int>>> reefs = {
    {{400, 310}, {430, 320}, {320, 290}, {410, 315}, {350, 280}, {420, 325}},
    {{700, 555}, {650, 540}, {670, 545}, {670, 570}, {610, 565}, {710, 540}, {675, 560}, {30, 520}, {80, 540}, {65, 500}},
    {{650, 480}, {720, 540}, {670, 545}, {690, 570}, {610, 515}},
    {{670, 490}, {380, 520}, {100, 345}, {200, 500}, {620, 215}, {470, 420}, {220, 415}, {570, 120}},
};

struct Boat {
    double x, y;
    bool spinnaker;
    int leg;
};

void scene(int32_t sheet, int ox, int oy, int stage, Dice& dice) {
    const uint8_t sea = uint8_t(assets::sea_colours[stage - 1]);
    fill(sheet, ox, oy, 800, 600, sea);
    for (int k = 0; k < 1 + stage; ++k) put(sheet, "vagues.gif", ox + 25 + dice.below(750), oy + 25 + dice.below(550));
    for (auto [x, y] : reefs[stage - 1]) put(sheet, "recif.bmp", ox + x, oy + y);
    for (int k = 0; k < 4; ++k)
        for (auto [bx, by] : {std::pair{142, 163}, {642, 163}, {392, 463}}) {
            int b = dice.below(6);
            put(sheet, "bulles.gif", ox + bx + dice.below(15), oy + by + b);
        }
    const std::string buoy = stage % 2 ? "plot.gif" : "plot2.gif";
    put(sheet, buoy, ox + 140, oy + 150);
    put(sheet, buoy, ox + 640, oy + 150);
    put(sheet, buoy, ox + 390, oy + 450);
    if (stage >= 3) put(sheet, "damier.gif", ox + 650, oy);
    // Stage 1 shows the starting grid; the others boats spread round the course.
    std::vector<Boat> boats;
    if (stage == 1) {
        for (int i = 1; i <= 6; ++i) boats.push_back({350.0 + 5 * i, 165.0 - 16 * i, false, 1});
    } else {
        const Boat spread[6] = {{520, 300, true, 2}, {600, 380, true, 2}, {300, 470, false, 3},
                                {160, 260, false, 3}, {460, 90, false, 1}, {700, 120, false, 1}};
        boats.assign(spread, spread + 6);
    }
    for (int i = 0; i < 6; ++i) {
        const Boat& b = boats[i];
        put(sheet, "voilier" + std::to_string(i + 1) + ".gif", ox + b.x - 20, oy + b.y - 40);
        if (b.spinnaker) put(sheet, "spin.gif", ox + b.x - 20, oy + b.y - 40);
        for (int k = 0; k < 4; ++k) {
            int v = dice.below(4);
            int h = dice.below(40);
            put(sheet, "bulles.gif", ox + b.x + h - (b.leg == 1 ? 30 : 10), oy + b.y + v + 1);
        }
    }
    if (stage == 2) put(sheet, "phare.gif", ox + 730, oy + 490);
    if (stage == 3) put(sheet, "palmier.gif", ox + 730, oy + 485);
    const char* clouds[] = {"nuage.gif", "nuage3.gif", "nuage2.gif", "nuage4.gif"};
    for (int k = 0; k < 2 + stage; ++k) put(sheet, clouds[k % 4], ox + dice.below(740), oy + dice.below(550));
    for (int k = 0; k < 3; ++k) put(sheet, k % 2 ? "oiseau2.gif" : "oiseau1.gif", ox + dice.below(780), oy + dice.below(580));
    put(sheet, "boussole.gif", ox + 10, oy + 10);
    wind_arrow(sheet, ox + 50, oy + 50, 60.0 * stage, stage + 1);
    for (int k = 1; k <= 3; ++k) put(sheet, "tourvide.gif", ox + 675 + 25 * k, oy + 10);
    for (int k = 1; k < stage && k <= 3; ++k) put(sheet, "tour.gif", ox + 675 + 25 * k, oy + 10);
    if (stage <= 3) put(sheet, "rebours" + std::to_string(stage) + ".gif", ox + 430, oy + 60);
    // The heading dot ahead of the player.
    rt::set_dest(sheet);
    double a = (stage * 50) * 3.14116 / 180;
    rt::draw_circle(false, ox + boats[0].x + std::cos(a) * 44, oy + boats[0].y + std::sin(a) * 44, 2, 14, 0, 0, 0, 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ASSET_FOLDER OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string assets_dir = argv[1], out_dir = argv[2];
    rt::strings_init();
    rt::images_init();
    rt::select_text_screen();
    // The game's screen page: pictures load against its palette.
    int32_t page = rt::new_image(800, 600, 256, true);
    rt::select_screen(page);
    for (const assets::PictureFile& f : assets::picture_files) {
        std::string path = assets_dir + "/" + f.name;
        int32_t h = rt::load_image(rt::string_literal(path.c_str()), 0, false);
        if (h >= -1) {
            std::fprintf(stderr, "cannot load %s\n", path.c_str());
            return 1;
        }
        if (f.clear_colour) rt::set_clear_color(false, 0, h, 1 | 2);
        handles[f.name] = h;
    }

    int32_t sheet = rt::new_image(2 * panel_w, 2 * panel_h, 256, true);
    for (int k = 0; k < 4; ++k)
        picture_panel(sheet, (k % 2) * panel_w, (k / 2) * panel_h, uint8_t(assets::sea_colours[k]));
    int32_t scenes = rt::new_image(1600, 1200, 256, true);
    Dice dice;
    for (int stage = 1; stage <= 4; ++stage) scene(scenes, ((stage - 1) % 2) * 800, ((stage - 1) / 2) * 600, stage, dice);

    if (rt::error_pending()) {
        std::fprintf(stderr, "runtime error %d while drawing\n", rt::pending_error.load());
        return 1;
    }
    bool ok = write_png(out_dir + "/pictures.png", sheet, 2, 0, 0, 2 * panel_w, 2 * panel_h) &&
              write_png(out_dir + "/scenes.png", scenes, 1, 0, 0, 1600, 1200);
    // Each sea colour on its own, larger, for a close look.
    for (int k = 0; ok && k < 4; ++k)
        ok = write_png(out_dir + "/pictures_" + std::to_string(assets::sea_colours[k]) + ".png", sheet, 3,
                       (k % 2) * panel_w, (k / 2) * panel_h, panel_w, panel_h);
    if (!ok) std::fprintf(stderr, "cannot write the sheets into %s\n", out_dir.c_str());
    return ok ? 0 : 1;
}
