// The top of a race frame: clock, wind and the player's yacht; then the opponents.
#include <gtest/gtest.h>

#include <cmath>

#include "game/game.h"
#include "game/state.h"
#include "runtime/values/values.h"
#include "tests/game/harness.h"

using namespace game;

namespace {

// Runs the wind-and-player step and returns the number of random draws it took.
int wind_frame() {
    uint32_t before = rt::random_state;
    race_clock_wind_player();
    return harness::draws_between(before, rt::random_state);
}

}  // namespace

TEST(RaceClock, RunsOnlyAfterTheStartAndUntilThePlayerFinishes) {
    harness::reset_race(1);
    start_countdown = 5;
    wind_frame();
    EXPECT_EQ(race_seconds, 0);
    start_countdown = 0;
    for (int i = 0; i < 3600; ++i) wind_frame();
    EXPECT_EQ(race_minutes, 0);  // 3600 sixtieths stay at or below 60 in floats
    EXPECT_GT(race_seconds, 59.9);
    wind_frame();
    EXPECT_EQ(race_minutes, 1);
    EXPECT_EQ(race_seconds, 0);  // reset, not the excess
    EXPECT_EQ(stage_times(1).value, [] {
        Num t;
        for (int i = 0; i < 3601; ++i) add_frame_time(t);
        return t.value;
    }());
    boat_finished(1) = 1;
    float kept = stage_times(1).value;
    wind_frame();
    EXPECT_EQ(stage_times(1).value, kept);
}

TEST(Wind, DirectionWrapsInto1To360) {
    harness::reset_race(1);
    wind_direction = 361;
    wind_frame();
    EXPECT_EQ(wind_direction, 1);
    wind_direction = 0;
    wind_frame();
    EXPECT_EQ(wind_direction, 360);
    wind_direction = 360;
    wind_frame();
    EXPECT_EQ(wind_direction, 360);
}

TEST(Wind, ForceIsClampedToTheStageLimitsInTheFirstFrame) {
    harness::reset_race(2);
    wind_force = 1;
    wind_force_min = 2;
    wind_force_max = 4;
    wind_frame();
    EXPECT_EQ(wind_force, 2);
    wind_force = 7;
    wind_frame();
    EXPECT_EQ(wind_force, 4);
}

TEST(Wind, CompoundTestsDrawOnlyWhenTheTestsBeforeThemHold) {
    harness::reset_race(1);
    wind_force = wind_force_min = wind_force_max = 5;  // none of the force rules applies
    rt::random_state = 12345;
    // Sense 2: neither shift rule applies: the sense flip (step 3) and the
    // every-frame fall (step 10) are the only draws.
    EXPECT_EQ(wind_frame(), 2);
    // Force 2: the rise of step 7 draws once more.
    wind_force = 2;
    wind_force_min = 0;
    wind_shift_sense = 2;
    EXPECT_EQ(wind_frame(), 3);
    // Force 0: step 8 draws instead.
    wind_force = 0;
    wind_force_max = 0;
    wind_shift_sense = 2;
    EXPECT_EQ(wind_frame(), 3);
    // Sense 1: the shift test of step 4 draws, and its inner draw only when it passes.
    wind_force = wind_force_min = wind_force_max = 5;
    int counts[2] = {0, 0};
    for (int i = 0; i < 3000; ++i) {
        wind_shift_sense = 1;
        int n = wind_frame();
        ASSERT_TRUE(n == 3 || n == 4) << n;
        ++counts[n - 3];
    }
    EXPECT_GT(counts[1], 0);             // some shifts happened
    EXPECT_GT(counts[0], counts[1] * 50);  // about one frame in 190
}

TEST(Wind, NoDriftWithoutForceWhateverTheSpinnaker) {
    harness::reset_race(1);
    boat_sail_factor(1) = 7;
    player_heading = 0;
    double x = boat_x(1), y = boat_y(1);
    wind_frame();
    EXPECT_EQ(wind_dx, 0);
    EXPECT_EQ(wind_dy, 0);
    EXPECT_EQ(boat_x(1).value, static_cast<float>(x + 0.3));
    EXPECT_EQ(boat_y(1), y);
}

TEST(Wind, DriftFollowsTheDirectionWithTheGamesDegreeFactor) {
    harness::reset_race(1);
    wind_direction = 90;
    wind_force = wind_force_min = wind_force_max = 3;
    wind_frame();
    float radians = static_cast<float>(90 * 3.14116 / 180);
    EXPECT_EQ(wind_radians.value, radians);
    EXPECT_EQ(wind_dx.value, static_cast<float>(std::cos(double(radians)) * (3.0 / 30)));
    EXPECT_EQ(wind_dy.value, static_cast<float>(std::sin(double(radians)) * (3.0 / 30)));
    EXPECT_GT(wind_dy, 0.0999);  // 90 degrees points down the screen
}

TEST(PlayerYacht, AnyProbeOverReefColourInTheLastPictureSlowsIt) {
    for (int probe : {0, -15, 15}) {
        harness::reset_race(1);
        player_heading = 0;
        double x = boat_x(1), y = boat_y(1);
        harness::set_pixel(int(x) + probe, int(y) + 3, harness::reef_colour);
        wind_frame();
        EXPECT_EQ(player_speed.value, 0.1f) << probe;
        EXPECT_EQ(boat_x(1).value, static_cast<float>(x + 0.1f)) << probe;
    }
    harness::reset_race(1);
    harness::set_pixel(int(boat_x(1)) + 5, int(boat_y(1)) + 3, harness::reef_colour);  // between probes
    wind_frame();
    EXPECT_EQ(player_speed.value, 0.3f);
}

TEST(PlayerYacht, HeldAtTheEdgesWhileTheOtherCoordinateMoves) {
    harness::reset_race(1);
    boat_x(1) = 30;
    boat_y(1) = 300;
    player_heading = 135;  // down and left
    wind_frame();
    EXPECT_EQ(boat_x(1), 30);
    EXPECT_GT(boat_y(1), 300);
    boat_x(1) = 700;
    boat_y(1) = 590;
    wind_frame();
    EXPECT_EQ(boat_y(1), 590);
    EXPECT_LT(boat_x(1), 700);
    boat_x(1) = 770.1;
    boat_y(1) = 49;
    player_heading = 0;
    wind_frame();
    EXPECT_EQ(boat_x(1), 770);
    EXPECT_EQ(boat_y(1), 50);
}

TEST(PlayerYacht, StillDuringTheCountdownAndAfterFinishing) {
    harness::reset_race(1);
    start_countdown = 10;
    double x = boat_x(1);
    wind_frame();
    EXPECT_EQ(boat_x(1), x);
    start_countdown = 0;
    boat_finished(1) = 1;
    wind_frame();
    EXPECT_EQ(boat_x(1), x);
}

TEST(Opponents, HoldStillDuringTheCountdownAndWhenFinished) {
    harness::reset_race(1);
    start_countdown = 1;
    uint32_t before = rt::random_state;
    race_opponents();
    EXPECT_EQ(rt::random_state, before);
    EXPECT_EQ(boat_x(2), 360);
    start_countdown = 0;
    for (int i = 2; i <= 6; ++i) boat_finished(i) = 1;
    race_opponents();
    EXPECT_EQ(rt::random_state, before);
}

TEST(Opponents, WithoutWindMoveByTheirLegAndTheNudgesOnly) {
    harness::reset_race(1);
    boat_x(2) = 400;
    boat_y(2) = 100;  // above the leg-1 lane limit of 134
    boat_speed(2) = 0.25;
    uint32_t state = rt::random_state;
    race_opponents();
    double nudge_x = (std::floor(double(static_cast<float>(harness::next_state(state)) / 16777216.0f) * 3) + 1) / 100;
    EXPECT_EQ(boat_x(2).value, static_cast<float>(400 + 0.25 + nudge_x));
    EXPECT_GE(boat_y(2), 100.01 - 1e-6);
    EXPECT_LE(boat_y(2), 100.03 + 1e-6);
    for (int i = 2; i <= 6; ++i) EXPECT_EQ(boat_sail_factor(i), 1);
    EXPECT_EQ(harness::draws_between(state, rt::random_state), 10);  // two per boat
}

TEST(Opponents, EveryBoatKeepsToItsOwnBox) {
    harness::reset_race(1);
    for (int i = 2; i <= 6; ++i) {
        boat_leg(i) = 3;
        boat_x(i) = -100;
        boat_y(i) = -100;
    }
    race_opponents();
    EXPECT_EQ(boat_x(6), 53);
    EXPECT_EQ(boat_y(6), 74);
    EXPECT_EQ(boat_x(2), 41);
    EXPECT_EQ(boat_y(2), 58);
    for (int i = 2; i <= 6; ++i) {
        boat_leg(i) = 2;
        boat_x(i) = 1000;
        boat_y(i) = 1000;
    }
    race_opponents();
    EXPECT_EQ(boat_x(6), 746);
    EXPECT_EQ(boat_y(6), 566);
    EXPECT_EQ(boat_x(2), 762);
    EXPECT_EQ(boat_y(2), 582);
}

TEST(Opponents, LanesHoldEachBoatOnItsLeg) {
    harness::reset_race(1);
    wind_force = wind_force_min = wind_force_max = 5;
    wind_direction = 90;  // straight down the screen
    wind_shift_sense = 2;
    race_clock_wind_player();
    boat_x(3) = 500;
    boat_y(3) = 136;
    boat_x(4) = 655;
    boat_y(4) = 140;
    race_opponents();
    EXPECT_EQ(boat_y(3), 2 * 3 + 130);  // cut off at the lane while x < 650
    EXPECT_GT(boat_y(4), 140);          // free once x >= 650
    boat_leg(5) = 2;
    boat_x(5) = 600;
    boat_y(5) = 100;
    boat_leg(6) = 2;
    boat_x(6) = 300;
    boat_y(6) = 300;
    race_opponents();
    EXPECT_EQ(boat_x(5), 5 + 690);
    EXPECT_EQ(boat_x(6), 5 * 6 + 430);
}

TEST(Opponents, SpinnakerSectorsExcludeTheirBounds) {
    harness::reset_race(1);
    wind_force = 2;
    auto factor_of_boat_2 = [](double direction, double leg) {
        wind_direction = direction;
        boat_leg(2) = leg;
        boat_x(2) = leg == 1 ? 400 : 300;
        boat_y(2) = 300;
        race_opponents();
        return double(boat_sail_factor(2));
    };
    for (double d : {300.0, 60.0}) EXPECT_EQ(factor_of_boat_2(d, 1), 1) << d;
    EXPECT_EQ(factor_of_boat_2(301, 1), 7);
    EXPECT_EQ(factor_of_boat_2(59, 1), 7);
    for (double d : {105.0, 165.0}) EXPECT_EQ(factor_of_boat_2(d, 2), 1) << d;
    EXPECT_EQ(factor_of_boat_2(135, 2), 6);
    for (double d : {195.0, 255.0}) EXPECT_EQ(factor_of_boat_2(d, 3), 1) << d;
    EXPECT_EQ(factor_of_boat_2(225, 3), 6);
    EXPECT_EQ(factor_of_boat_2(135, 1), 1);  // the wrong leg for that wind
    wind_force = 0;
    EXPECT_EQ(factor_of_boat_2(10, 1), 1);  // no wind, no spinnaker
    wind_force = 2;
    wind_direction = 0;
    boat_leg(5) = 1;
    race_opponents();
    EXPECT_EQ(boat_sail_factor(5), 8);
}
