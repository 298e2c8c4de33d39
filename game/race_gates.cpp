// Gates, laps and finishing: each boat's leg moves on at its gate, laps count on
// the finish line, finishers take their places and points, and the bell rings
// for the player's gates. The player is judged first, then boats 2 to 6.
#include "game/calls.h"
#include "game/game.h"

namespace game {

namespace {

// The player's zones; every comparison strict, on the stored values.
bool in_lap_zone(double x, double y) { return 650 < x && x < 660 && 0 < y && y < 160; }
bool in_finish_zone(double x, double y) { return 650 < x && x < 660 && 0 < y && y < 150; }
bool in_bottom_gate(double x, double y) { return 390 < x && x < 400 && 460 < y && y < 600; }
bool in_left_gate(double x, double y) { return 0 < x && x < 150 && 145 < y && y < 155; }

void ring_bell() { sound_play_file("cloche.wav"); }

// Boat `boat` takes the next place and its points.
void finish(int boat) {
    finish_count += 1;
    boat_finished(boat) = 1;
    finish_order(finish_count) = boat;
    boat_points(boat) = boat_points(boat) + rank_points(finish_count);
}

}  // namespace

// Step numbers: 1600 + the step; 1611 and 1612 are steps 1.1 and 1.2; for the
// opponents 1641 to 1644 are steps 4.1.1, 4.1.2, 4.2 and 4.3.
void race_gates() {
    if (step(1601, [&] { return boat_leg(1) == 1; })) {
        step(1611, [&] {
            if (boat_laps(1) < stage_laps && in_lap_zone(boat_x(1), boat_y(1))) {
                boat_laps(1) += 1;
                boat_leg(1) = 2;
                ring_bell();
                if (boat_laps(1) == stage_laps - 1 && last_lap_state != 2) last_lap_state = 1;
            }
        });
        // Still in the leg-1 branch, also when 1611 has just moved the player on.
        step(1612, [&] {
            if (boat_laps(1) >= stage_laps && boat_finished(1) == 0 && in_finish_zone(boat_x(1), boat_y(1))) {
                finish(1);
                if (finish_count > 3) player_eliminated = 1;
            }
        });
    }
    step(1602, [&] {
        if (boat_leg(1) == 2 && in_bottom_gate(boat_x(1), boat_y(1))) {
            boat_leg(1) = 3;
            ring_bell();
        }
    });
    step(1603, [&] {
        if (boat_leg(1) == 3 && in_left_gate(boat_x(1), boat_y(1))) {
            boat_leg(1) = 1;
            ring_bell();
            if (boat_laps(1) == stage_laps - 1 && last_lap_state == 1) last_lap_state = 2;
        }
    });
    for (int i = 2; i <= 6; ++i) {
        if (step(1640, [&] { return boat_leg(i) == 1; })) {
            step(1641, [&] {
                if (boat_x(i) > 650 && boat_laps(i) == stage_laps - 1 && boat_finished(i) == 0) finish(i);
            });
            step(1642, [&] {
                if (boat_x(i) > 690 && boat_laps(i) < stage_laps - 1) {
                    boat_laps(i) += 1;
                    boat_leg(i) = 2;
                    if (boat_laps(i) == stage_laps - 1 && last_lap_state != 2) last_lap_state = 1;
                }
            });
        }
        step(1643, [&] {
            if (boat_leg(i) == 2 && boat_y(i) > 470 + i && boat_x(i) < 380) boat_leg(i) = 3;
        });
        step(1644, [&] {
            if (boat_leg(i) == 3 && boat_x(i) < 125 && boat_y(i) < 135 + i) {
                boat_leg(i) = 1;
                if (last_lap_state == 1 && boat_laps(i) == stage_laps - 1) last_lap_state = 2;
            }
        });
    }
}

}  // namespace game
