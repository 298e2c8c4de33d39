// Gates, laps, places and the last-lap state.
#include <gtest/gtest.h>

#include "game/game.h"
#include "game/state.h"
#include "tests/game/harness.h"

using namespace game;

namespace {

void place(int boat, double x, double y, double leg, double laps) {
    boat_x(boat) = x;
    boat_y(boat) = y;
    boat_leg(boat) = leg;
    boat_laps(boat) = laps;
}

// Puts the opponents where no gate can take them.
void park_opponents() {
    for (int i = 2; i <= 6; ++i) place(i, 300, 300, 1, 0);
}

}  // namespace

TEST(Gates, PlayerZonesAreStrictBands) {
    harness::reset_race(1);
    park_opponents();
    place(1, 650, 100, 1, 0);  // on the bound: not inside
    race_gates();
    EXPECT_EQ(boat_leg(1), 1);
    place(1, 650.01, 159.99, 1, 0);
    race_gates();
    EXPECT_EQ(boat_leg(1), 2);
    EXPECT_EQ(boat_laps(1), 1);
    place(1, 395, 460, 2, 1);
    race_gates();
    EXPECT_EQ(boat_leg(1), 2);
    boat_y(1) = 461;
    race_gates();
    EXPECT_EQ(boat_leg(1), 3);
    place(1, 149.9, 155, 3, 1);
    race_gates();
    EXPECT_EQ(boat_leg(1), 3);
    boat_y(1) = 154.9;
    race_gates();
    EXPECT_EQ(boat_leg(1), 1);
    race_gates();  // still standing in the zone: passed once only
    EXPECT_EQ(boat_laps(1), 1);
}

TEST(Gates, OpponentThresholdsGrowWithTheBoatNumber) {
    harness::reset_race(1);
    park_opponents();
    place(1, 300, 300, 1, 0);
    place(2, 300, 472, 2, 0);
    place(6, 300, 476, 2, 0);
    race_gates();
    EXPECT_EQ(boat_leg(2), 2);
    EXPECT_EQ(boat_leg(6), 2);
    boat_y(2) = 472.01;
    boat_y(6) = 476.01;
    race_gates();
    EXPECT_EQ(boat_leg(2), 3);
    EXPECT_EQ(boat_leg(6), 3);
    place(2, 100, 137, 3, 0);
    place(6, 100, 141, 3, 0);
    race_gates();
    EXPECT_EQ(boat_leg(2), 3);
    EXPECT_EQ(boat_leg(6), 3);
    boat_y(2) = 136.99;
    boat_y(6) = 140.99;
    race_gates();
    EXPECT_EQ(boat_leg(2), 1);
    EXPECT_EQ(boat_leg(6), 1);
    // Leg 1: a lap beyond 690 while laps remain, the finish beyond 650 on the last.
    place(3, 690.01, 100, 1, 0);
    place(4, 660, 100, 1, 1);
    race_gates();
    EXPECT_EQ(boat_laps(3), 1);
    EXPECT_EQ(boat_leg(3), 2);
    EXPECT_EQ(boat_finished(4), 1);
    EXPECT_EQ(finish_order(1), 4);
    EXPECT_EQ(boat_points(4), 10);
}

TEST(Gates, LapAt150To160CountsButFinishesACircuitLater) {
    harness::reset_race(1);  // two laps
    park_opponents();
    place(1, 655, 155, 1, 1);
    race_gates();
    EXPECT_EQ(boat_laps(1), 2);
    EXPECT_EQ(boat_leg(1), 2);
    EXPECT_EQ(boat_finished(1), 0);
    EXPECT_EQ(finish_count, 0);
    place(1, 395, 500, 2, 2);
    race_gates();
    place(1, 100, 150, 3, 2);
    race_gates();
    EXPECT_EQ(boat_leg(1), 1);
    boat_x(1) = 655;
    boat_y(1) = 155;  // the lap band again: no more laps to count, no finish
    race_gates();
    EXPECT_EQ(boat_laps(1), 2);
    EXPECT_EQ(boat_finished(1), 0);
    boat_y(1) = 149;
    race_gates();
    EXPECT_EQ(boat_finished(1), 1);
    EXPECT_EQ(boat_laps(1), 2);
    EXPECT_EQ(boat_leg(1), 1);  // the finish without a lap pass keeps the leg
    EXPECT_EQ(finish_order(1), 1);
}

TEST(Gates, TheLastLapPassFinishesInTheSameFrame) {
    harness::reset_race(1);
    park_opponents();
    place(1, 655, 100, 1, 1);
    race_gates();
    EXPECT_EQ(boat_laps(1), 2);
    EXPECT_EQ(boat_leg(1), 2);
    EXPECT_EQ(boat_finished(1), 1);
    EXPECT_EQ(finish_count, 1);
    EXPECT_EQ(boat_points(1), 10);
}

TEST(Gates, PlayerIsJudgedBeforeOpponentsInOneFrame) {
    harness::reset_race(1);
    park_opponents();
    place(1, 655, 100, 1, 1);
    place(2, 651, 100, 1, 1);
    race_gates();
    EXPECT_EQ(finish_order(1), 1);
    EXPECT_EQ(finish_order(2), 2);
    EXPECT_EQ(boat_points(1), 10);
    EXPECT_EQ(boat_points(2), 8);
}

TEST(Gates, FourthPlaceEliminatesThePlayerForTheGame) {
    harness::reset_race(1);
    park_opponents();
    for (int i = 2; i <= 4; ++i) place(i, 700, 100, 1, 1);
    race_gates();
    EXPECT_EQ(finish_count, 3);
    EXPECT_EQ(player_eliminated, 0);  // opponents finishing do not touch it
    place(1, 655, 100, 1, 1);
    race_gates();
    EXPECT_EQ(finish_order(4), 1);
    EXPECT_EQ(player_eliminated, 1);
    // A later stage does not clear it.
    harness::reset_race(2);
    player_eliminated = 1;
    park_opponents();
    place(1, 655, 100, 1, 2);
    race_gates();
    EXPECT_EQ(finish_order(1), 1);
    EXPECT_EQ(player_eliminated, 1);
}

TEST(Gates, LastLapStateGoesFromNoneToLastLapToFlag) {
    harness::reset_race(1);  // two laps: the first pass starts the last lap
    park_opponents();
    place(1, 655, 100, 1, 0);
    race_gates();
    EXPECT_EQ(last_lap_state, 1);
    place(1, 395, 500, 2, 1);
    race_gates();
    EXPECT_EQ(last_lap_state, 1);
    place(1, 100, 150, 3, 1);
    race_gates();
    EXPECT_EQ(last_lap_state, 2);
    // It never goes back: an opponent starting its last lap leaves it at 2.
    place(3, 700, 100, 1, 0);
    race_gates();
    EXPECT_EQ(boat_laps(3), 1);
    EXPECT_EQ(last_lap_state, 2);

    harness::reset_race(2);  // three laps: an opponent drives it too
    park_opponents();
    place(1, 300, 300, 1, 0);
    place(5, 700, 100, 1, 1);
    race_gates();
    EXPECT_EQ(last_lap_state, 1);
    place(5, 100, 130, 3, 2);
    race_gates();
    EXPECT_EQ(last_lap_state, 2);
}
