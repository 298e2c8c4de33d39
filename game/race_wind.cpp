// The top of every race frame: the race clock, the wind veering and changing
// strength, its drift, and the player's yacht moved by its own speed and the
// wind, slowed where the last frame shows the reef colour.
#include <cmath>

#include "game/calls.h"
#include "game/game.h"
#include "runtime/graphics/graphics.h"

namespace game {

namespace {

constexpr double degree_factor = 3.14116;  // not pi: the game's own constant
constexpr double reef_colour = 114;

bool reef_under(double x, double y) { return double(rt::point_color(x, y)) == reef_colour; }

}  // namespace

// Step numbers: 1400 + the step.
void race_clock_wind_player() {
    // Race clock: runs from the start signal until the player finishes.
    step(1401, [&] {
        if (start_countdown == 0 && boat_finished(1) == 0) {
            add_frame_time(stage_times(stage));
            add_frame_time(race_seconds);
        }
    });
    step(1402, [&] {
        if (race_seconds > 60) {
            race_minutes += 1;
            race_seconds = 0;
        }
    });

    // Wind direction. The inner draw of a shift is taken only when its test passes.
    step(1403, [&] {
        if (floor(rnd() * 2800) == 10) wind_shift_sense = wind_shift_sense == 1 ? 0 : 1;
    });
    step(1404, [&] {
        if (wind_shift_sense == 1 && floor(rnd() * (200 - 10 * stage)) == 1)
            wind_direction = wind_direction + floor(rnd() * wind_shift_range) + 5;
    });
    step(1405, [&] {
        if (wind_shift_sense == 0 && floor(rnd() * (200 - 10 * stage)) == 1)
            wind_direction = wind_direction - floor(rnd() * wind_shift_range) + 5;
    });
    step(1406, [&] {
        if (wind_direction > 360) wind_direction -= 360;
        if (wind_direction < 1) wind_direction += 360;
    });

    // Wind force: each test sees the value the one before left.
    step(1407, [&] {
        if (0 < wind_force && wind_force < 4 && floor(rnd() * 2500) == 1) wind_force += 1;
    });
    step(1408, [&] {
        if (wind_force == 0 && floor(rnd() * 750) == 1) wind_force += 1;
    });
    step(1409, [&] {
        if (wind_force == 4 && floor(rnd() * 10000) == 1) wind_force += 1;
    });
    step(1410, [&] {
        if (floor(rnd() * 2500) == 2) wind_force -= 1;
    });
    step(1411, [&] {
        if (wind_force_min > wind_force) wind_force = wind_force_min;
        if (wind_force > wind_force_max) wind_force = wind_force_max;
    });

    // Wind vector.
    step(1412, [&] { wind_radians = wind_direction * degree_factor / 180; });
    step(1413, [&] {
        wind_dx = std::cos(wind_radians) * (wind_force / 30);
        wind_dy = std::sin(wind_radians) * (wind_force / 30);
    });

    // Player yacht.
    step(1414, [&] { player_heading_radians = player_heading * degree_factor / 180; });
    step(1415, [&] {
        player_speed = 0.3;
        if (reef_under(boat_x(1), boat_y(1) + 3)) player_speed = 0.1;
        if (reef_under(boat_x(1) - 15, boat_y(1) + 3)) player_speed = 0.1;
        if (reef_under(boat_x(1) + 15, boat_y(1) + 3)) player_speed = 0.1;
    });
    step(1416, [&] {
        player_dx = wind_dx * boat_sail_factor(1) + std::cos(player_heading_radians) * player_speed;
        player_dy = wind_dy * boat_sail_factor(1) + std::sin(player_heading_radians) * player_speed;
    });
    step(1417, [&] {
        if (start_countdown == 0 && boat_finished(1) == 0) {
            boat_x(1) = boat_x(1) + player_dx;
            boat_y(1) = boat_y(1) + player_dy;
        }
    });
    step(1418, [&] {
        if (boat_x(1) < 30) boat_x(1) = 30;
        if (boat_y(1) < 50) boat_y(1) = 50;
        if (boat_x(1) > 770) boat_x(1) = 770;
        if (boat_y(1) > 590) boat_y(1) = 590;
    });
}

}  // namespace game
