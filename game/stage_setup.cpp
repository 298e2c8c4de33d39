// Stage set-up: the stage's laps, opponent speeds and wind, the random scenery,
// and the starting grid. Every random draw in the order written; the generator
// is reseeded from the clock half-way.
#include <algorithm>
#include <array>

#include "game/calls.h"
#include "game/game.h"

namespace game {

namespace {

// The values that differ between the four stages.
struct StageParameters {
    double laps;
    std::array<double, 5> speeds;  // boats 2..6, pixels per frame
    double force_base, force_choices;  // wind_force = base + floor(rnd * choices)
    double shift_range, force_max, force_min;
    double clouds, cloud_kinds;  // cloud_kind(i) = 1 + floor(rnd * kinds)
    double birds, buoys;
};

constexpr std::array<StageParameters, 4> stage_table = {{
    {2, {0.255, 0.26, 0.245, 0.23, 0.22}, 1, 2, 10, 2, 0, 4, 2, 4, 1},
    {3, {0.275, 0.265, 0.26, 0.245, 0.25}, 1, 3, 20, 4, 2, 6, 3, 5, 2},
    {4, {0.271, 0.262, 0.26, 0.247, 0.246}, 1, 3, 15, 3, 0, 3, 2, 3, 1},
    {5, {0.27, 0.269, 0.275, 0.26, 0.26}, 2, 4, 30, 5, 3, 10, 4, 4, 2},
}};

}  // namespace

// Step numbers: 1200 + the step; the parts of step 2 are 1221 to 1229.
void stage_setup() {
    screen = Screen::stage_setup;
    step(1201, [&] {
        race_seconds = 0;
        race_minutes = 0;
        total_score = 0;
    });
    const StageParameters& p = stage_table[size_t(std::clamp(to_int(stage), 1, 4) - 1)];
    step(1221, [&] { stage_laps = p.laps; });
    step(1222, [&] {
        for (int i = 2; i <= 6; ++i) boat_speed(i) = p.speeds[size_t(i - 2)];
    });
    step(1223, [&] {
        for (int i = 2; i <= 6; ++i)
            if (floor(rnd() * 3) == 1) boat_speed(i) = boat_speed(i) + 0.01;
    });
    step(1224, [&] { wind_direction = 1 + floor(rnd() * 360); });
    step(1225, [&] { wind_force = p.force_base + floor(rnd() * p.force_choices); });
    step(1226, [&] {
        wind_shift_range = p.shift_range;
        wind_force_max = p.force_max;
        wind_force_min = p.force_min;
    });
    step(1227, [&] { wind_shift_sense = floor(rnd() * 2); });
    step(1228, [&] {
        cloud_count = p.clouds;
        for (int i = 1; i <= to_int(cloud_count); ++i) cloud_kind(i) = 1 + floor(rnd() * p.cloud_kinds);
    });
    step(1229, [&] {
        bird_count = p.birds;
        buoy_style = p.buoys;
    });
    step(1203, [&] { rt::randomize(double(rt::timer_seconds())); });
    step(1204, [&] {
        player_heading = 0;
        start_countdown = 300;
    });
    step(1205, [&] {
        finish_count = 0;
        last_lap_state = 0;
    });
    step(1206, [&] {
        for (int i = 1; i <= 10; ++i) {
            finish_order(i) = 0;
            boat_finished(i) = 0;
        }
    });
    step(1207, [&] {
        for (int i = 1; i <= to_int(cloud_count); ++i) {
            cloud_x(i) = 1 + floor(rnd() * 800);
            cloud_y(i) = 1 + floor(rnd() * 600);
        }
    });
    step(1208, [&] {
        for (int i = 1; i <= to_int(bird_count); ++i) {
            bird_x(i) = 1 + floor(rnd() * 800);
            bird_y(i) = 1 + floor(rnd() * 600);
            bird_dx(i) = floor(rnd() * 2) == 0 ? 1 : -1;
            bird_dy(i) = floor(rnd() * 2) == 0 ? 1 : -1;
        }
    });
    step(1209, [&] {
        for (int i = 1; i <= 6; ++i) {
            boat_x(i) = 350 + 5 * i;
            boat_y(i) = 165 - 16 * i;
            boat_leg(i) = 1;
            boat_laps(i) = 0;
            boat_sail_factor(i) = 1;
        }
    });
}

}  // namespace game
