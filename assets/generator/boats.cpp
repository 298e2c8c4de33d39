// The six racing yachts, seen from the side with the bow to the right, and the
// spinnaker that is laid over any of them.
#include <algorithm>
#include <cmath>
#include <functional>

#include "assets/generator/pictures.h"

namespace assets {

namespace {

constexpr double mast_x = 20;

// Height of the deck edge along the hull: it rises a little towards the bow.
double deck_y(int x) { return 33.6 - (x - 2) * 2.0 / 37.0; }

bool in_mainsail(int x, int y) {
    // The leech curves out a little (roach); the foot sits on the boom at row 31.
    if (y < 2 || y > 30 || x >= mast_x) return false;
    double t = (y - 2) / 28.0;                       // 0 at the head, 1 at the foot
    double leech = mast_x - 1 - t * 13.5 - std::sin(t * 3.14159) * 2.5;
    return x >= std::floor(leech);
}

bool in_jib(int x, int y) {
    if (y < 5 || y > 30 || x <= mast_x) return false;
    double t = (y - 5) / 25.0;
    return x <= mast_x + 1 + t * 15.0;
}

struct Team {
    uint8_t hull, shade, trim, stripe;
    // Paints the team's colours across the mainsail band (rows band_top..band_top+3).
    std::function<void(Canvas&, int x, int y, int column, int width)> band;
};

constexpr int band_top = 13;

void draw_yacht(Canvas& c, const Team& team) {
    // Mainsail and jib: white cloth, soft grey edges and seams.
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            if (in_mainsail(x, y)) {
                bool edge = !in_mainsail(x - 1, y);
                bool seam = y == 9 || y == 20 || y == 26;
                c.set(x, y, edge ? ink::grey_b6 : seam ? ink::grey_e3 : ink::white);
            } else if (in_jib(x, y)) {
                bool edge = !in_jib(x + 1, y);
                bool near_stay = x == mast_x + 1;
                c.set(x, y, edge ? ink::grey_b6 : near_stay ? ink::grey_e3 : ink::white);
            }
        }
    // The team's band across the mainsail.
    for (int y = band_top; y < band_top + 4; ++y) {
        int first = 0;
        while (first < mast_x && !in_mainsail(first, y)) ++first;
        int width = static_cast<int>(mast_x) - first;
        for (int x = first; x < mast_x; ++x) team.band(c, x, y, x - first, width);
    }
    // Mast and boom.
    c.line(mast_x, 1, mast_x, 32, ink::grey_71);
    c.line(5, 31, mast_x, 31, ink::grey_71);
    // Hull: trim at the deck edge, a stripe, the darker bottom on the waterline.
    for (int x = 1; x < 40; ++x) {
        double top = deck_y(x);
        for (int y = 30; y <= 40; ++y) {
            // The hull narrows towards both ends, the bow more sharply.
            double bottom = 40.5 - std::pow(std::fabs(x - 17.0) / 22.0, 2.2) * 7.5;
            if (x > 36) bottom = std::min(bottom, top + (39.5 - x) * 1.6);
            if (y + 0.5 < top || y + 0.5 > bottom) continue;
            int depth = y - static_cast<int>(std::ceil(top - 0.5));
            uint8_t colour = depth <= 0 ? team.trim : depth == 2 ? team.stripe : team.hull;
            if (y + 1.5 > bottom) colour = team.shade;
            c.set(x, y, colour);
        }
    }
    // Two crew on deck behind the mast.
    c.set(11, 30, ink::peach);
    c.set(11, 31, team.stripe);
    c.set(15, 30, ink::peach);
    c.set(15, 31, team.stripe);
}

void stripes(Canvas& c, int x, int y, uint8_t a, uint8_t b) { c.set(x, y, (y - band_top) < 2 ? a : b); }

std::vector<Team> teams() {
    using namespace ink;
    return {
        // FRANCE: royal blue with the tricolour on the sail.
        {light_blue, navy, white, red,
         [](Canvas& c, int x, int y, int col, int w) { c.set(x, y, col * 3 < w ? blue : col * 3 < 2 * w ? white : red); }},
        // NEW ZELAND: black with a silver fern line.
        {grey_32, grey_20, white, grey_b6,
         [](Canvas& c, int x, int y, int col, int) { c.set(x, y, (y - band_top == 1 || y - band_top == 2) && col % 3 == 1 ? grey_b6 : grey_20); }},
        // AUSTRALIE: green and gold.
        {green, forest, gold, gold, [](Canvas& c, int x, int y, int, int) { stripes(c, x, y, gold, green); }},
        // USA: white hull, red stripe, stars and stripes on the sail.
        {white, grey_b6, dark_blue, red,
         [](Canvas& c, int x, int y, int col, int w) {
             if (col * 2 >= w) c.set(x, y, (y - band_top) % 2 == 0 ? (col % 2 ? white : dark_blue) : dark_blue);
             else c.set(x, y, (y - band_top) % 2 == 0 ? red : white);
         }},
        // BRESIL: yellow with green, a blue disc on the sail.
        {bright_yellow, gold, green, green,
         [](Canvas& c, int x, int y, int col, int w) {
             double dx = col + 0.5 - w / 2.0, dy = y - band_top - 1.5;
             c.set(x, y, dx * dx + dy * dy < 3.5 ? blue : std::fabs(dx) / 2.5 + std::fabs(dy) < 2.6 ? bright_yellow : green);
         }},
        // ESPAGNE: red and yellow.
        {red, dark_red, bright_yellow, bright_yellow,
         [](Canvas& c, int x, int y, int, int) { int r = y - band_top; c.set(x, y, r == 0 || r == 3 ? red : bright_yellow); }},
    };
}

}  // namespace

std::vector<Picture> boat_pictures() {
    std::vector<Picture> out;
    auto all = teams();
    for (size_t i = 0; i < all.size(); ++i) {
        Canvas c(yacht_width, yacht_height);
        draw_yacht(c, all[i]);
        out.push_back({"voilier" + std::to_string(i + 1) + ".gif", c});
    }
    // The spinnaker: a full sail bellying out ahead of the mast from the masthead,
    // in gores fanning out from its head, its leech in shadow.
    Canvas spin(yacht_width, yacht_height);
    const uint8_t panels[] = {ink::red, ink::bright_yellow, ink::white, ink::blue};
    const uint8_t shadows[] = {ink::dark_red, ink::gold, ink::grey_b6, ink::navy};
    auto leech = [](int y) {
        double t = (y - 1) / 26.0;
        return mast_x + 2 + 17.0 * std::sqrt(std::sin(3.14159265 * t * 0.95));
    };
    for (int y = 1; y <= 27; ++y) {
        double right = leech(y);
        for (int x = static_cast<int>(mast_x) + 1; x + 0.5 <= right; ++x) {
            double fan = std::atan2(y + 0.5 - 0.5, x + 0.5 - mast_x - 1) * 180 / 3.14159265;   // 0..90 degrees
            int band = static_cast<int>(fan / 16.0) % 4;
            bool shade = x + 2.5 > right;
            spin.set(x, y, shade ? shadows[band] : panels[band]);
        }
    }
    // The pole at the tack and the sheet from the clew to the bow.
    spin.line(mast_x + 1, 27, 25, 27, ink::grey_71);
    spin.line(30, 28, 38, 31, ink::grey_71);
    out.push_back({"spin.gif", spin});
    return out;
}

}  // namespace assets
