// The five opponents: each follows the motion of its leg, pushed by the wind and
// nudged at random, held in a lane of its own; each sets its spinnaker when the
// wind blows from behind on its leg.
#include <array>

#include "game/calls.h"
#include "game/game.h"

namespace game {

namespace {

// A spinnaker sector of wind directions from `from` to `to`, bounds exclusive,
// with its factor. Leg 1's sector runs through 0 degrees: above `from` or below `to`.
struct Sector {
    double from, to, factor;
};
struct SpinnakerRule {
    Sector leg_1, leg_2, leg_3;
};

constexpr std::array<SpinnakerRule, 5> spinnaker_rules = {{
    {{300, 60, 7}, {105, 165, 6}, {195, 255, 6}},        // boat 2
    {{300, 60, 6.5}, {105, 165, 5.5}, {195, 255, 5.5}},  // boat 3
    {{300, 60, 6.5}, {105, 165, 5.5}, {195, 255, 5.5}},  // boat 4
    {{315, 45, 8}, {120, 150, 7}, {210, 240, 7}},        // boat 5
    {{320, 40, 6}, {125, 145, 5}, {215, 235, 5}},        // boat 6
}};

}  // namespace

// Step numbers: 1500 + the step; the parts of steps 1 to 3 are 1511 to 1534.
void race_opponents() {
    if (!step(1500, [&] { return start_countdown == 0; })) return;
    for (int i = 2; i <= 6; ++i) {
        if (!step(1501, [&] { return boat_finished(i) == 0; })) continue;
        const double f = boat_sail_factor(i);
        const double s = boat_speed(i);
        if (step(1510, [&] { return boat_leg(i) == 1; })) {
            step(1511, [&] { boat_x(i) = boat_x(i) + s + wind_dx * f + (floor(rnd() * 3) + 1) / 100; });
            step(1512, [&] { boat_y(i) = boat_y(i) + wind_dy * f + (floor(rnd() * 3) + 1) / 100; });
            step(1513, [&] {
                if (boat_y(i) > 2 * i + 130 && boat_x(i) < 650) boat_y(i) = 2 * i + 130;
            });
        }
        if (step(1520, [&] { return boat_leg(i) == 2; })) {
            step(1521, [&] { boat_x(i) = boat_x(i) - s + wind_dx * f - (floor(rnd() * 3) + 1) / 300; });
            step(1522, [&] { boat_y(i) = boat_y(i) + s + wind_dy * f + (floor(rnd() * 2) + 1) / 300; });
            step(1523, [&] {
                if (boat_y(i) < 165 && boat_x(i) < i + 690) boat_x(i) = i + 690;
            });
            step(1524, [&] {
                if (159 < boat_y(i) && boat_y(i) < 460 && boat_x(i) < 5 * i + 430) boat_x(i) = 5 * i + 430;
            });
        }
        if (step(1530, [&] { return boat_leg(i) == 3; })) {
            step(1531, [&] { boat_x(i) = boat_x(i) - s + wind_dx * f - (floor(rnd() * 3) + 1) / 300; });
            step(1532, [&] { boat_y(i) = boat_y(i) - s + wind_dy * f - (floor(rnd() * 2) + 1) / 300; });
            step(1533, [&] {
                if (boat_y(i) < i + 164 && boat_x(i) > 140) boat_y(i) = i + 164;
            });
        }
        step(1504, [&] {
            if (boat_x(i) < 3 * i + 35) boat_x(i) = 3 * i + 35;
            if (boat_y(i) < 4 * i + 50) boat_y(i) = 4 * i + 50;
            if (boat_x(i) > 770 - 4 * i) boat_x(i) = 770 - 4 * i;
            if (boat_y(i) > 590 - 4 * i) boat_y(i) = 590 - 4 * i;
        });
        step(1505, [&] { boat_sail_factor(i) = 1; });
        step(1506, [&] {
            if (!(wind_force > 0)) return;
            const SpinnakerRule& rule = spinnaker_rules[size_t(i - 2)];
            const double w = wind_direction;
            if (boat_leg(i) == 1 && (w > rule.leg_1.from || w < rule.leg_1.to))
                boat_sail_factor(i) = rule.leg_1.factor;
            if (boat_leg(i) == 2 && w > rule.leg_2.from && w < rule.leg_2.to)
                boat_sail_factor(i) = rule.leg_2.factor;
            if (boat_leg(i) == 3 && w > rule.leg_3.from && w < rule.leg_3.to)
                boat_sail_factor(i) = rule.leg_3.factor;
        });
    }
}

}  // namespace game
