// The asset generator: writes every picture and sound the game reads into the
// folder given on the command line, or the desktop icons into another. The
// same bytes come out on every run.
#include <algorithm>
#include <cstdio>
#include <set>
#include <string>

#include "assets/asset_list.h"
#include "assets/generator/icon.h"
#include "assets/generator/picture_files.h"
#include "assets/generator/pictures.h"
#include "assets/generator/sound_files.h"
#include "assets/generator/sounds.h"

namespace assets {

std::vector<Picture> all_pictures() {
    std::vector<Picture> all;
    for (auto group : {boat_pictures, sea_pictures, sky_pictures, panel_pictures, shore_pictures})
        for (Picture& p : group()) all.push_back(std::move(p));
    return all;
}

}  // namespace assets

namespace {

bool ends_with(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace assets;
    // The desktop icons go to a folder of their own: the game does not read them.
    if (argc == 3 && std::string(argv[1]) == "--icons") return write_icons(argv[2]) ? 0 : 1;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER | --icons ICON_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = true;
    std::set<std::string> written;

    for (const Picture& p : all_pictures()) {
        std::string path = folder + "/" + p.file;
        ok = (ends_with(p.file, ".bmp") ? write_bmp(path, p.canvas) : write_gif(path, p.canvas)) && ok;
        written.insert(p.file);
    }
    const struct {
        const char* file;
        Stereo (*make)();
    } effects[] = {
        {"water.wav", make_water}, {"vent.wav", make_wind}, {"cloche.wav", make_bell},
        {"beep.wav", make_beep},   {"beep2.wav", make_beep2},
    };
    for (const auto& e : effects) {
        ok = write_wav(folder + "/" + e.file, e.make()) && ok;
        written.insert(e.file);
    }
    // The upper-case extension is the name the game asks for.
    ok = write_ogg(folder + "/8bit_varlin.OGG", make_theme(), 0.4f) && ok;
    written.insert("8bit_varlin.OGG");

    // Exactly the files the game reads, no more and no fewer.
    std::set<std::string> wanted;
    for (const PictureFile& p : picture_files) wanted.insert(p.name);
    for (const char* s : sound_files) wanted.insert(s);
    if (written != wanted) {
        std::fprintf(stderr, "the generated files do not match the game's list\n");
        ok = false;
    }
    return ok ? 0 : 1;
}
