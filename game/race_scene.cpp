// The race scene, redrawn from the sea up every frame: waves, reefs, foam and
// buoys, the flag, the yachts in depth order with spinnakers and wakes, the
// stage's decor, clouds, birds, compass, lap markers and the heading dot. The
// scenery's own animation advances here too.
#include <array>
#include <cmath>
#include <span>

#include "game/calls.h"
#include "game/game.h"
#include "runtime/graphics/graphics.h"

namespace game {

namespace {

struct Point {
    double x, y;
};

constexpr std::array<Point, 6> reefs_1 = {{{400, 310}, {430, 320}, {320, 290}, {410, 315}, {350, 280}, {420, 325}}};
constexpr std::array<Point, 10> reefs_2 = {{{700, 555}, {650, 540}, {670, 545}, {670, 570}, {610, 565},
                                            {710, 540}, {675, 560}, {30, 520}, {80, 540}, {65, 500}}};
constexpr std::array<Point, 5> reefs_3 = {{{650, 480}, {720, 540}, {670, 545}, {690, 570}, {610, 515}}};
constexpr std::array<Point, 8> reefs_4 = {
    {{670, 490}, {380, 520}, {100, 345}, {200, 500}, {620, 215}, {470, 420}, {220, 415}, {570, 120}}};

void draw_line_to(double x2, double y2, double colour) {
    rt::draw_line(false, 50, 50, false, x2, y2, uint32_t(to_int(colour)), 0, 0, 3);
}

void draw_dot(double x, double y, double radius, double colour) {
    rt::draw_circle(false, x, y, radius, uint32_t(to_int(colour)), 0, 0, 0, 1);
}

std::span<const Point> reef_positions(int stage_number) {
    switch (stage_number) {
        case 1: return reefs_1;
        case 2: return reefs_2;
        case 3: return reefs_3;
        case 4: return reefs_4;
    }
    return {};
}

}  // namespace

// Step numbers: 1700 + the step; the parts of step 10 are 1791 to 1794, the lap
// markers 1715 to 1717 and the heading dot 1718.
void race_scene() {
    // Depth sort: higher on the screen first; equal y in boat order, so the
    // higher number is drawn on top.
    step(1701, [&] {
        for (int k = 1; k <= 6; ++k) draw_order(k) = 0;
        for (int i = 1; i <= 6; ++i) {
            int above = 0;
            for (int j = 1; j <= 6; ++j)
                if (boat_y(i) > boat_y(j)) ++above;
            draw_slot = 1 + above;
            while (draw_order(draw_slot) > 0) draw_slot += 1;
            draw_order(draw_slot) = i;
        }
    });
    step(1702, [&] { clear_screen(); });
    // Loops that draw run one step per turn, so that a failed picture is
    // reported after its own turn and the turns after it run in full.
    const int waves = to_int(wind_force + 1);  // the bound is taken when the loop starts
    for (int i = 1; i <= waves; ++i)
        step(1703, [&] {
            wave_age(i) += 1;
            if (wave_age(i) == 1) {
                wave_x(i) = floor(rnd() * 750) + 25;
                wave_y(i) = floor(rnd() * 550) + 25;
            }
            if (wave_age(i) == 200) wave_age(i) = 0;
            put_picture(wave_x(i), wave_y(i), waves_image);
        });
    for (const Point& p : reef_positions(to_int(stage))) step(1704, [&] { put_picture(p.x, p.y, reef_image); });
    // Foam round the buoys: for each picture the vertical draw comes first.
    const Point corners[] = {{142, 163}, {642, 163}, {392, 463}};
    for (int n = 1; n <= 4; ++n)
        for (const Point& c : corners)
            step(1705, [&] {
                double b = floor(rnd() * 6);
                double a = floor(rnd() * 15);
                put_picture(c.x + a, c.y + b, foam_image);
            });
    step(1706, [&] {
        buoy_blink += 1;
        if (buoy_blink > 9) buoy_blink = 1;
    });
    step(1707, [&] {
        if (floor(rnd() * (200 - 25 * wind_force)) == 10) {
            buoy_offset_1 = floor(rnd() * 3) - 1;
            buoy_offset_2 = floor(rnd() * 3) - 1;
            buoy_offset_3 = floor(rnd() * 3) - 1;
        }
    });
    // The buoy of the player's next gate is left out in 2 frames of every 9.
    step(1708, [&] {
        const double buoy = buoy_images(buoy_style);
        if (!(boat_leg(1) == 3 && buoy_blink >= 8)) put_picture(140 + buoy_offset_1, 150 + buoy_offset_1, buoy);
        if (!(boat_leg(1) == 1 && buoy_blink >= 8)) put_picture(640 + buoy_offset_2, 150 + buoy_offset_2, buoy);
        if (!(boat_leg(1) == 2 && buoy_blink >= 8)) put_picture(390 + buoy_offset_3, 450 + buoy_offset_3, buoy);
    });
    step(1709, [&] {
        if (last_lap_state == 2) put_picture(650, 0, checker_image);
    });
    for (int k = 1; k <= 6; ++k) {
        const int b = to_int(draw_order(k));
        step(1791, [&] { put_picture(boat_x(b) - 20, boat_y(b) - 40, boat_images(b)); });
        step(1792, [&] {
            if (boat_sail_factor(b) > 1) put_picture(boat_x(b) - 20, boat_y(b) - 40, spinnaker_image);
        });
        // The wake: for each picture the vertical draw comes first.
        if (boat_leg(b) == 1)
            for (int n = 1; n <= 4; ++n)
                step(1793, [&] {
                    double y = boat_y(b) + floor(rnd() * 4) + 1;
                    double x = boat_x(b) + floor(rnd() * 40) - 30;
                    put_picture(x, y, foam_image);
                });
        if (boat_leg(b) > 1)
            for (int n = 1; n <= 4; ++n)
                step(1794, [&] {
                    double y = boat_y(b) + floor(rnd() * 4) + 1;
                    double x = boat_x(b) + floor(rnd() * 40) - 10;
                    put_picture(x, y, foam_image);
                });
    }
    step(1711, [&] {
        if (stage == 2) put_picture(730, 490, lighthouse_image);
        if (stage == 3) {
            palm_timer += 1;
            if (palm_timer > 80) palm_timer = 0;
            if (wind_force > 0) {
                if (palm_timer < 40) put_picture(730, 485, palm_image);
                if (palm_timer > 39) put_picture(730, 485, palm_image_2);
            }
            if (wind_force <= 0) put_picture(730, 485, palm_image);
        }
    });
    const int clouds = to_int(cloud_count);
    for (int i = 1; i <= clouds; ++i)
        step(1712, [&] {
            cloud_x(i) = cloud_x(i) + (floor(rnd() * 3) + 1) * wind_dx * 4;
            cloud_y(i) = cloud_y(i) + (floor(rnd() * 3) + 1) * wind_dy * 4;
            if (cloud_x(i) < -60) cloud_x(i) = 809;
            if (cloud_x(i) > 859) cloud_x(i) = -59;
            if (cloud_y(i) < -50) cloud_y(i) = 609;
            if (cloud_y(i) > 650) cloud_y(i) = -49;
            put_picture(cloud_x(i), cloud_y(i), cloud_images(cloud_kind(i)));
        });
    const int birds = to_int(bird_count);
    for (int i = 1; i <= birds; ++i)
        step(1713, [&] {
            bird_x(i) = bird_x(i) + bird_dx(i) / 10;
            bird_y(i) = bird_y(i) + bird_dy(i) / 10;
            if (bird_x(i) < -50) bird_x(i) = 799;
            if (bird_x(i) > 849) bird_x(i) = -49;
            if (bird_y(i) < -40) bird_y(i) = 639;
            if (bird_y(i) > 640) bird_y(i) = -39;
            bird_flap_timer += 1;
            if (bird_flap_timer == 100) bird_flap_timer = 1;
            if (bird_flap_timer < 50)
                put_picture(bird_x(i), bird_y(i), bird_image_1);
            else
                put_picture(bird_x(i), bird_y(i), bird_image_2);
        });
    step(1714, [&] {
        put_picture(10, 10, compass_image);
        draw_line_to(50 + std::cos(wind_radians) * wind_force * 8, 50 + std::sin(wind_radians) * wind_force * 8, 0);
    });
    const int markers = to_int(stage_laps) - 1;
    for (int k = 1; k <= markers; ++k) step(1715, [&] { put_picture(675 + 25 * k, 10, lap_empty_image); });
    if (step(1716, [&] { return boat_laps(1) > 1; })) {
        const int done = to_int(boat_laps(1)) - 1;
        for (int k = 1; k <= done; ++k) step(1717, [&] { put_picture(675 + 25 * k, 10, lap_done_image); });
    }
    step(1718, [&] {
        bow_x = std::cos(player_heading_radians) * 44 + boat_x(1);
        bow_y = std::sin(player_heading_radians) * 44 + boat_y(1);
        draw_dot(bow_x, bow_y, 2, 14);
    });
}

}  // namespace game
