// Every generated picture, loaded through load_image onto the game's 800 by 600
// page of 256 colours and copied with put_image, as the game does at start-up
// and in the race.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string>

#include "assets/asset_list.h"
#include "runtime/graphics/graphics.h"
#include "runtime/host/host.h"
#include "runtime/values/values.h"

namespace {

constexpr uint8_t reef_colour = 114;

struct Loaded {
    int32_t handle = 0;
    const rt::Image* img = nullptr;
    int w() const { return img->width; }
    int h() const { return img->height; }
    uint8_t at(int x, int y) const { return img->pixels[size_t(y) * img->width + x]; }
    size_t count(uint8_t colour) const { return size_t(std::count(img->pixels, img->pixels + size_t(w()) * h(), colour)); }
};

// Perceived brightness of a default-palette entry, 0..255.
int brightness(uint8_t index) {
    uint32_t c = rt::default_palette[index];
    return int((299 * ((c >> 16) & 255) + 587 * ((c >> 8) & 255) + 114 * (c & 255)) / 1000);
}

class AssetPictures : public ::testing::Test {
protected:
    void SetUp() override {
        SDL_putenv(const_cast<char*>("SDL_VIDEODRIVER=dummy"));
        rt::pending_error.store(0);
        rt::attention_flag.store(0);
        rt::images_init();
        rt::select_text_screen();
        page = rt::new_image(800, 600, 256, true);
        rt::select_screen(page);
        for (const assets::PictureFile& f : assets::picture_files) {
            std::string path = std::string(ASSET_DIR) + "/" + f.name;
            rt::StrVal name;
            name.text = reinterpret_cast<uint8_t*>(path.data());
            name.length = uint32_t(path.size());
            int32_t h = rt::load_image(&name, 0, false);
            ASSERT_LE(h, -2) << f.name;
            pictures[f.name] = {h, &rt::image(-h)};
        }
        ASSERT_EQ(rt::pending_error.load(), 0);
    }
    void TearDown() override { rt::images_init(); }

    const Loaded& get(const std::string& name) { return pictures.at(name); }
    rt::Image& screen() { return rt::image(-page); }
    uint8_t screen_at(int x, int y) { return screen().pixels[size_t(y) * 800 + x]; }
    void fill_screen(uint8_t colour) { std::fill(screen().pixels, screen().pixels + 800 * 600, colour); }
    // The game's copy of a picture to a top-left corner, clear colour and all.
    void put(const std::string& name, double x, double y) {
        rt::put_image(x, y, 0, 0, get(name).handle, 0, 0, 0, 0, 0, rt::put_dest_corner_1 | rt::put_source_handle);
    }
    void make_clear(const std::string& name) { rt::set_clear_color(false, 0, get(name).handle, 1 | 2); }

    int32_t page = 0;
    std::map<std::string, Loaded> pictures;
};

TEST_F(AssetPictures, SizesFitWhereTheGameDrawsThem) {
    struct Bound {
        const char* name;
        int min_w, max_w, min_h, max_h;
    };
    const Bound bounds[] = {
        // Yachts: about 40 wide, at most 43 tall so the probes 3 px below the reference stay clear.
        {"voilier1.gif", 36, 44, 30, 43}, {"voilier2.gif", 36, 44, 30, 43}, {"voilier3.gif", 36, 44, 30, 43},
        {"voilier4.gif", 36, 44, 30, 43}, {"voilier5.gif", 36, 44, 30, 43}, {"voilier6.gif", 36, 44, 30, 43},
        {"spin.gif", 36, 44, 30, 43},
        {"plot.gif", 8, 24, 8, 24}, {"plot2.gif", 8, 24, 8, 24},
        // The finish band: 650 <= x < 660 from the top down towards the mark at y = 150.
        {"damier.gif", 10, 10, 140, 160},
        {"nuage.gif", 20, 60, 10, 50}, {"nuage2.gif", 20, 60, 10, 50}, {"nuage3.gif", 20, 60, 10, 50},
        {"nuage4.gif", 20, 60, 10, 50},
        {"oiseau1.gif", 8, 16, 4, 12}, {"oiseau2.gif", 8, 16, 4, 12},
        // The compass's centre is (40, 40), and the wind arrow reaches 40 px from it.
        {"boussole.gif", 80, 81, 80, 81},
        // Lap markers stand 25 px apart from x = 700: four of them must end by x = 800.
        {"tour.gif", 16, 24, 10, 30}, {"tourvide.gif", 16, 24, 10, 30},
        {"rebours1.gif", 40, 200, 20, 100}, {"rebours2.gif", 40, 200, 20, 100}, {"rebours3.gif", 40, 200, 20, 100},
        {"recif.bmp", 16, 60, 10, 40},
        // Decor at (730, 490) and (730, 485), ending above y = 600 and inside x < 800.
        {"phare.gif", 20, 70, 60, 110}, {"palmier.gif", 20, 70, 60, 115}, {"palmier2.gif", 20, 70, 60, 115},
        {"vagues.gif", 6, 24, 2, 10}, {"bulles.gif", 1, 4, 1, 4},
    };
    ASSERT_EQ(std::size(bounds), assets::picture_files.size());
    for (const Bound& b : bounds) {
        const Loaded& p = get(b.name);
        EXPECT_GE(p.w(), b.min_w) << b.name;
        EXPECT_LE(p.w(), b.max_w) << b.name;
        EXPECT_GE(p.h(), b.min_h) << b.name;
        EXPECT_LE(p.h(), b.max_h) << b.name;
    }
    // Pictures laid over each other must cover the same rectangle.
    for (const char* name : {"spin.gif", "voilier2.gif", "voilier3.gif", "voilier4.gif", "voilier5.gif", "voilier6.gif"}) {
        EXPECT_EQ(get(name).w(), get("voilier1.gif").w()) << name;
        EXPECT_EQ(get(name).h(), get("voilier1.gif").h()) << name;
    }
    for (const char* name : {"rebours2.gif", "rebours3.gif"}) {
        EXPECT_EQ(get(name).w(), get("rebours1.gif").w()) << name;
        EXPECT_EQ(get(name).h(), get("rebours1.gif").h()) << name;
    }
    EXPECT_EQ(get("palmier2.gif").w(), get("palmier.gif").w());
    EXPECT_EQ(get("palmier2.gif").h(), get("palmier.gif").h());
    EXPECT_EQ(get("oiseau2.gif").w(), get("oiseau1.gif").w());
    EXPECT_EQ(get("tourvide.gif").w(), get("tour.gif").w());
    // The countdown at (430, 60) stays on the page.
    EXPECT_LE(430 + get("rebours1.gif").w(), 800);
}

TEST_F(AssetPictures, ClearColourSpritesStandOnIndexZero) {
    for (const assets::PictureFile& f : assets::picture_files) {
        const Loaded& p = get(f.name);
        // No transparency of the file's own: the game makes index 0 clear itself,
        // and a file transparency would move the background to another index.
        EXPECT_EQ(p.img->clear_colour, rt::no_clear_colour) << f.name;
        if (!f.clear_colour) continue;
        // Most of the border is background: the picture is cut out of index 0.
        int border = 0, clear = 0;
        for (int y = 0; y < p.h(); ++y)
            for (int x = 0; x < p.w(); ++x)
                if (x == 0 || y == 0 || x == p.w() - 1 || y == p.h() - 1) {
                    ++border;
                    clear += p.at(x, y) == 0;
                }
        EXPECT_GE(clear * 5, border * 3) << f.name;
        size_t area = size_t(p.w()) * p.h(), background = p.count(0);
        EXPECT_GE(background * 5, area) << f.name << ": hardly any background";
        EXPECT_GE((area - background) * 20, area) << f.name << ": hardly anything drawn";
    }
}

TEST_F(AssetPictures, ColoursSurviveTheMatchingExactly) {
    // Drawn in default-palette colours, every pixel keeps its colour on the page.
    for (const assets::PictureFile& f : assets::picture_files) {
        std::string path = std::string(ASSET_DIR) + "/" + f.name;
        SDL_Surface* file = IMG_Load(path.c_str());
        ASSERT_NE(file, nullptr) << f.name;
        ASSERT_EQ(file->format->BitsPerPixel, 8) << f.name;
        const Loaded& p = get(f.name);
        int wrong = 0;
        for (int y = 0; y < p.h(); ++y)
            for (int x = 0; x < p.w(); ++x) {
                SDL_Color c = file->format->palette->colors[static_cast<uint8_t*>(file->pixels)[y * file->pitch + x]];
                uint32_t want = 0xFF000000u | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
                wrong += rt::default_palette[p.at(x, y)] != want;
            }
        EXPECT_EQ(wrong, 0) << f.name;
        SDL_FreeSurface(file);
    }
}

TEST_F(AssetPictures, OpaquePicturesLookRightAsRectangles) {
    // Foam is copied whole: every pixel of it is a light one.
    const Loaded& foam = get("bulles.gif");
    for (int y = 0; y < foam.h(); ++y)
        for (int x = 0; x < foam.w(); ++x) EXPECT_GE(brightness(foam.at(x, y)), 200) << x << "," << y;
    // The compass dial round the arrow's start is light, so the black arrow reads on it.
    const Loaded& compass = get("boussole.gif");
    int light = 0, total = 0;
    for (int y = 0; y < compass.h(); ++y)
        for (int x = 0; x < compass.w(); ++x) {
            int dx = x - 40, dy = y - 40;
            if (dx * dx + dy * dy < 8 * 8 || dx * dx + dy * dy > 28 * 28) continue;
            ++total;
            light += brightness(compass.at(x, y)) >= 150;
        }
    EXPECT_GE(light * 100, total * 95);
    // Each stage of the start signal is its own picture.
    std::set<std::vector<uint8_t>> signals;
    for (const char* name : {"rebours1.gif", "rebours2.gif", "rebours3.gif"}) {
        const Loaded& s = get(name);
        signals.insert(std::vector<uint8_t>(s.img->pixels, s.img->pixels + size_t(s.w()) * s.h()));
    }
    EXPECT_EQ(signals.size(), 3u);
}

TEST_F(AssetPictures, OnlyTheReefCarriesTheReefColour) {
    for (const assets::PictureFile& f : assets::picture_files) {
        if (std::string(f.name) == "recif.bmp") continue;
        EXPECT_EQ(get(f.name).count(reef_colour), 0u) << f.name;
    }
    // The rock matches entry 114 exactly, and it is most of what the reef shows.
    EXPECT_EQ(rt::default_palette[reef_colour], 0xFF713900u);
    const Loaded& reef = get("recif.bmp");
    size_t drawn = size_t(reef.w()) * reef.h() - reef.count(0);
    EXPECT_GE(reef.count(reef_colour) * 2, drawn);
    // A whole race scene of a stage draws the colour only where reefs lie.
    fill_screen(54);
    for (const assets::PictureFile& f : assets::picture_files)
        if (f.clear_colour) make_clear(f.name);
    put("recif.bmp", 400, 310);
    put("recif.bmp", 430, 320);
    for (const char* name : {"voilier1.gif", "spin.gif", "plot.gif", "nuage3.gif", "oiseau1.gif", "phare.gif",
                             "palmier.gif", "vagues.gif", "bulles.gif", "boussole.gif", "tour.gif", "rebours1.gif"})
        put(name, 100, 100);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if (screen_at(x, y) == reef_colour) {
                ASSERT_TRUE(x >= 400 && y >= 310 && x < 430 + reef.w() && y < 320 + reef.h()) << x << "," << y;
            }
}

TEST_F(AssetPictures, YachtsLeaveTheColourProbesClear) {
    for (const assets::PictureFile& f : assets::picture_files)
        if (f.clear_colour) make_clear(f.name);
    for (int boat = 1; boat <= 6; ++boat) {
        std::string name = "voilier" + std::to_string(boat) + ".gif";
        for (bool spinnaker : {false, true}) {
            fill_screen(101);
            // A yacht at (400, 300) is drawn from (380, 260), as the race draws it.
            put(name, 380, 260);
            if (spinnaker) put("spin.gif", 380, 260);
            for (int dx : {-15, 0, 15}) EXPECT_EQ(screen_at(400 + dx, 303), 101) << name << " probe " << dx;
            // The hull stands on the reference point: drawn just above it.
            bool hull = false;
            for (int y = 296; y <= 300; ++y) hull = hull || screen_at(400, y) != 101;
            EXPECT_TRUE(hull) << name;
        }
    }
}

TEST_F(AssetPictures, SixTeamsSixColours) {
    // The commonest colour low on each hull tells the teams apart.
    std::set<uint8_t> hulls;
    for (int boat = 1; boat <= 6; ++boat) {
        const Loaded& y = get("voilier" + std::to_string(boat) + ".gif");
        std::array<int, 256> uses{};
        for (int row = y.h() - 9; row < y.h(); ++row)
            for (int x = 0; x < y.w(); ++x) ++uses[y.at(x, row)];
        uses[0] = 0;
        hulls.insert(uint8_t(std::max_element(uses.begin(), uses.end()) - uses.begin()));
    }
    EXPECT_EQ(hulls.size(), 6u);
}

TEST_F(AssetPictures, AnimationFramesDiffer) {
    auto same = [&](const char* a, const char* b) {
        const Loaded& p = get(a);
        const Loaded& q = get(b);
        return p.w() == q.w() && p.h() == q.h() && std::equal(p.img->pixels, p.img->pixels + size_t(p.w()) * p.h(), q.img->pixels);
    };
    EXPECT_FALSE(same("oiseau1.gif", "oiseau2.gif"));
    EXPECT_FALSE(same("palmier.gif", "palmier2.gif"));
    EXPECT_FALSE(same("tour.gif", "tourvide.gif"));
    EXPECT_FALSE(same("plot.gif", "plot2.gif"));
    const char* clouds[] = {"nuage.gif", "nuage2.gif", "nuage3.gif", "nuage4.gif"};
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j) EXPECT_FALSE(same(clouds[i], clouds[j])) << clouds[i] << " " << clouds[j];
}

}  // namespace
