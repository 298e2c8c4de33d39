#include "tools/replay/autopilot.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <queue>

#include "runtime/graphics/graphics.h"
#include "runtime/input/input.h"

namespace replay {

namespace {

using game::Screen;

constexpr int page_width = 800, page_height = 600;
constexpr int cell = 10, columns = page_width / cell, rows = page_height / cell;
constexpr int reef_colour = 114;
constexpr double own_speed = 0.3;

struct Vec {
    double x, y;
};

int cell_of(Vec p) {
    int cx = std::clamp(int(p.x) / cell, 0, columns - 1);
    int cy = std::clamp(int(p.y) / cell, 0, rows - 1);
    return cy * columns + cx;
}

Vec centre_of(int c) { return {(c % columns) * cell + cell / 2.0, (c / columns) * cell + cell / 2.0}; }

// Adds what the page shows in the reef colour, then marks the cells in which one
// of the yacht's probes (x - 15, x, x + 15 at y + 3) could touch it, with a margin.
void map_reefs(Autopilot& p) {
    const rt::Image& page = rt::image(rt::display_page);
    if (!page.pixels || page.width != page_width || page.height != page_height) return;
    p.reef_seen.resize(size_t(page_width) * page_height);
    for (size_t i = 0; i < p.reef_seen.size(); ++i)
        if (page.pixels[i] == reef_colour) p.reef_seen[i] = 1;

    std::vector<int> sum(size_t(page_width + 1) * (page_height + 1), 0);
    auto at = [&](int x, int y) -> int& { return sum[size_t(y) * (page_width + 1) + size_t(x)]; };
    for (int y = 0; y < page_height; ++y)
        for (int x = 0; x < page_width; ++x)
            at(x + 1, y + 1) = p.reef_seen[size_t(y) * page_width + size_t(x)] + at(x, y + 1) + at(x + 1, y) - at(x, y);
    auto count = [&](int x0, int y0, int x1, int y1) {  // half-open box, clipped
        x0 = std::clamp(x0, 0, page_width), x1 = std::clamp(x1, 0, page_width);
        y0 = std::clamp(y0, 0, page_height), y1 = std::clamp(y1, 0, page_height);
        if (x1 <= x0 || y1 <= y0) return 0;
        return at(x1, y1) - at(x0, y1) - at(x1, y0) + at(x0, y0);
    };
    constexpr int margin = 5;
    p.blocked.assign(size_t(columns) * rows, 0);
    for (int cy = 0; cy < rows; ++cy)
        for (int cx = 0; cx < columns; ++cx) {
            int x = cx * cell, y = cy * cell;
            if (count(x - 15 - margin, y + 3 - margin, x + cell + 15 + margin, y + cell + 3 + margin) > 0)
                p.blocked[size_t(cy * columns + cx)] = 1;
        }
}

bool is_blocked(const Autopilot& p, int c) { return !p.blocked.empty() && p.blocked[size_t(c)] != 0; }

// The player's area, and the cells on its edges where the clamp holds the yacht.
constexpr int first_column = 3, last_column = 77, first_row = 5, last_row = 59;  // x 30..770, y 50..590
constexpr unsigned top_wall = 1, bottom_wall = 2, left_wall = 4, right_wall = 8;

bool inside_area(int cx, int cy) { return cx >= first_column && cx <= last_column && cy >= first_row && cy <= last_row; }

unsigned walls_of(int c) {
    int cx = c % columns, cy = c / columns;
    return (cy == first_row ? top_wall : 0) | (cy == last_row ? bottom_wall : 0) | (cx == first_column ? left_wall : 0) |
           (cx == last_column ? right_wall : 0);
}

// Where to aim for a cell: its centre, or just beyond the edge for an edge cell,
// so that the yacht presses against the edge and the clamp cancels the drift.
Vec aim_of(int c) {
    Vec v = centre_of(c);
    unsigned w = walls_of(c);
    if (w & top_wall) v.y = 48;
    if (w & bottom_wall) v.y = 592;
    if (w & left_wall) v.x = 28;
    if (w & right_wall) v.x = 772;
    return v;
}

unsigned walls_at(Vec at) {
    return (at.y <= 50.5 ? top_wall : 0) | (at.y >= 589.5 ? bottom_wall : 0) | (at.x <= 30.5 ? left_wall : 0) |
           (at.x >= 769.5 ? right_wall : 0);
}

bool into_walls(Vec v, unsigned walls) {
    return ((walls & top_wall) && v.y < 0) || ((walls & bottom_wall) && v.y > 0) || ((walls & left_wall) && v.x < 0) ||
           ((walls & right_wall) && v.x > 0);
}

// The best speed straight along the unit vector `u` with sail factor `f`, and the
// heading for it: the own speed has to cancel the drift across the course, unless
// an edge the yacht presses against takes it.
double speed_along(Vec u, double f, unsigned walls, Vec& heading) {
    Vec n{-u.y, u.x};
    double wx = game::wind_dx * f, wy = game::wind_dy * f;
    double along = wx * u.x + wy * u.y, across = wx * n.x + wy * n.y;
    if (walls && into_walls({across * n.x, across * n.y}, walls)) {
        heading = u;
        return along + own_speed;
    }
    if (std::abs(across) > own_speed * 0.95) return -1e9;
    double q = std::sqrt(1 - (across / own_speed) * (across / own_speed));
    heading = {q * u.x - (across / own_speed) * n.x, q * u.y - (across / own_speed) * n.y};
    return along + own_speed * q;
}

struct Trim {
    double speed, factor;
    Vec heading;
};

Trim best_trim(Vec u, unsigned walls, bool spinnaker_allowed, double current_factor) {
    Trim best{-1e9, 1, u};
    for (double f : {1.0, 7.0}) {
        if (f == 7 && !spinnaker_allowed) continue;
        Vec h{0, 0};
        double v = speed_along(u, f, walls, h);
        double score = v + (f == current_factor ? 0.03 : 0);  // no flapping
        if (score > best.speed + (best.factor == current_factor ? 0.03 : 0)) best = {v, f, h};
    }
    return best;
}

// The quickest way, in frames under the present wind, from `start` to any goal cell:
// Dijkstra over the cells of the player's area, reefs costing thirty times more.
// Cells in `avoid` cost as much as reefs.
std::vector<int> plan(const Autopilot& p, int start, const std::vector<int>& goals, const std::vector<int>& avoid,
                      bool spinnaker_allowed) {
    const size_t n = size_t(columns) * rows;
    std::vector<uint8_t> goal(n, 0), costly(n, 0);
    for (int g : goals) goal[size_t(g)] = 1;
    for (int a : avoid) costly[size_t(a)] = 1;
    // Frames per pixel for each of the 8 directions, in open water and along each edge.
    const int dxs[8] = {1, 1, 0, -1, -1, -1, 0, 1}, dys[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    double open_cost[8], edge_cost[8][4];
    for (int d = 0; d < 8; ++d) {
        double len = std::hypot(dxs[d], dys[d]);
        Vec u{dxs[d] / len, dys[d] / len};
        auto cost = [&](unsigned walls) {
            double v = best_trim(u, walls, spinnaker_allowed, 1).speed;
            return len * cell / std::max(v, 0.02);
        };
        open_cost[d] = cost(0);
        for (int w = 0; w < 4; ++w) edge_cost[d][w] = cost(1u << w);
    }
    std::vector<double> cost(n, 1e18);
    std::vector<int> from(n, -1);
    using Item = std::pair<double, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<>> open;
    cost[size_t(start)] = 0;
    open.push({0, start});
    int reached = -1;
    while (!open.empty()) {
        auto [c0, c] = open.top();
        open.pop();
        if (c0 > cost[size_t(c)]) continue;
        if (goal[size_t(c)]) {
            reached = c;
            break;
        }
        int cx = c % columns, cy = c / columns;
        unsigned here = walls_of(c);
        for (int d = 0; d < 8; ++d) {
            int nx = cx + dxs[d], ny = cy + dys[d];
            if (!inside_area(nx, ny)) continue;
            int m = ny * columns + nx;
            unsigned shared = here & walls_of(m);
            double step = open_cost[d];
            for (int w = 0; w < 4; ++w)
                if (shared & (1u << w)) step = std::min(step, edge_cost[d][w]);
            if (is_blocked(p, m) || costly[size_t(m)]) step *= 30;
            if (cost[size_t(c)] + step < cost[size_t(m)]) {
                cost[size_t(m)] = cost[size_t(c)] + step;
                from[size_t(m)] = c;
                open.push({cost[size_t(m)], m});
            }
        }
    }
    std::vector<int> route;
    for (int c = reached; c != -1; c = from[size_t(c)]) route.push_back(c);
    std::reverse(route.begin(), route.end());
    return route;
}

// The cells inside the zone of the player's next gate (the finish line always
// below 150, so that the last lap also finishes).
std::vector<int> gate_cells(double leg) {
    std::vector<int> cells;
    auto add = [&](int cx, int cy) {
        if (inside_area(cx, cy)) cells.push_back(cy * columns + cx);
    };
    if (leg == 1)
        for (int cy = first_row; cy <= 13; ++cy) add(65, cy);  // 650 < x < 660, y < 140
    else if (leg == 2)
        for (int cy = 47; cy <= last_row; ++cy) add(39, cy);  // 390 < x < 400, y > 460
    else
        for (int cx = first_column; cx <= 14; ++cx) add(cx, 15);  // x < 150, 145 < y < 155
    return cells;
}

// The point to head for inside a gate cell: the middle of the gate's band.
Vec gate_aim(double leg, int c) {
    Vec v = aim_of(c);
    if (leg == 1) v.x = 655;
    if (leg == 2) v.x = 395;
    if (leg == 3) v.y = 150;
    return v;
}

void race_controls(Autopilot& p, int64_t frame, Controls& c) {
    // Everyone home: the standings stay a moment before the race is left.
    if (game::finish_count == 6) {
        ++p.frames_all_home;
        c.type_space = p.frames_all_home >= 30 && rt::typed_key_count() == 0 && p.frames_all_home % 4 == 2;
        return;
    }
    p.frames_all_home = 0;
    int stage = game::to_int(game::stage);
    if (stage != p.mapped_stage) {
        p.mapped_stage = stage;
        p.mapped_frames = 0;
        p.reef_seen.assign(size_t(page_width) * page_height, 0);
        p.route.clear();
        p.route_goal = -1;
    }
    // The reefs stand still: a few frames show all of them round the clouds.
    if (p.mapped_frames < 30 && p.mapped_frames % 5 == 0) map_reefs(p);
    ++p.mapped_frames;
    if (game::boat_finished(1) != 0) return;

    const Vec at{game::boat_x(1), game::boat_y(1)};
    const bool idle = p.mode == PilotMode::lose && game::finish_count < 3;
    const bool spinnaker_allowed = !idle && game::wind_force > 0;
    const double leg = game::boat_leg(1);
    const int goal_key = idle ? 0 : int(leg);
    if (goal_key != p.route_goal || frame - p.route_frame >= 30 || p.route.empty()) {
        std::vector<int> goals = idle ? std::vector<int>{cell_of({200, 420})} : gate_cells(leg);
        // Crossing the line at 150 <= y < 160 counts a lap without finishing.
        std::vector<int> avoid;
        if (leg == 1)
            for (int cx = 64; cx <= 66; ++cx) avoid.push_back(15 * columns + cx);
        p.route = plan(p, cell_of(at), goals, avoid, spinnaker_allowed);
        p.route_goal = goal_key;
        p.route_frame = frame;
    }
    Vec aim{200, 420};
    if (!p.route.empty()) {
        auto here = std::find(p.route.begin(), p.route.end(), cell_of(at));
        size_t from = here == p.route.end() ? 0 : size_t(here - p.route.begin());
        size_t k = std::min(p.route.size() - 1, from + 5);
        aim = k + 1 == p.route.size() && !idle ? gate_aim(leg, p.route[k]) : aim_of(p.route[k]);
    }
    double dx = aim.x - at.x, dy = aim.y - at.y, d = std::hypot(dx, dy);
    Vec u = d > 1e-6 ? Vec{dx / d, dy / d} : Vec{1, 0};
    Trim t = best_trim(u, walls_at(at), spinnaker_allowed, game::boat_sail_factor(1));

    double wanted = std::atan2(t.heading.y, t.heading.x) * 180 / std::numbers::pi;
    double turn = std::fmod(wanted - double(game::player_heading) + 720.0 + 180.0, 360.0) - 180.0;
    c.right = turn > 0.5;
    c.left = turn < -0.5;
    if (t.factor != double(game::boat_sail_factor(1)) && rt::typed_key_count() == 0 && frame - p.last_toggle >= 20) {
        c.type_space = true;
        p.last_toggle = frame;
    }
}

}  // namespace

Controls steer(Autopilot& p, int64_t frame) {
    Controls c;
    Screen s = game::screen.load();
    if (s != p.last_screen) {
        p.last_screen = s;
        p.frames_on_screen = 0;
    } else {
        ++p.frames_on_screen;
    }
    switch (s) {
        case Screen::title:
            if (p.game_finished) {
                c.done = true;
                break;
            }
            c.type_space = rt::typed_key_count() == 0 && p.frames_on_screen % 4 == 0;
            break;
        case Screen::ranking:
            p.game_finished = game::stage == 4 || game::player_eliminated == 1;
            // Long enough to be seen; keys do nothing else here.
            c.type_space = p.frames_on_screen >= 30 && rt::typed_key_count() == 0;
            break;
        case Screen::race: race_controls(p, frame, c); break;
        default: break;
    }
    return c;
}

}  // namespace replay
