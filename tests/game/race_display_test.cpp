// What a race frame shows and the keys it takes: the scene's depth order, flag
// and lap markers; the race text, countdown, wheel, spinnaker and pause.
#include <gtest/gtest.h>

#include "game/game.h"
#include "game/state.h"
#include "runtime/input/input.h"
#include "runtime/values/values.h"
#include "tests/game/harness.h"

using namespace game;
using harness::pixel;

TEST(RaceScene, EqualHeightsDrawTheHigherBoatNumberOnTop) {
    harness::reset_race(1);
    boat_x(2) = boat_x(5) = 500;
    boat_y(2) = boat_y(5) = 300;
    race_scene();
    int slot_2 = 0, slot_5 = 0;
    for (int k = 1; k <= 6; ++k) {
        if (draw_order(k) == 2) slot_2 = k;
        if (draw_order(k) == 5) slot_5 = k;
    }
    EXPECT_LT(slot_2, slot_5);
    EXPECT_EQ(slot_5, 6);  // the lowest on the screen, drawn last
    EXPECT_EQ(pixel(500, 262), harness::boat_colour(5));
    EXPECT_EQ(draw_order(1), 6);  // boat 6 starts highest
}

TEST(RaceScene, LapMarkersShowLapsToSailAndDone) {
    harness::reset_race(4);  // five laps: four markers, x = 700 .. 775
    boat_laps(1) = 3;
    race_scene();
    EXPECT_EQ(pixel(705, 15), harness::lap_done_colour);
    EXPECT_EQ(pixel(730, 15), harness::lap_done_colour);
    EXPECT_EQ(pixel(755, 15), harness::lap_empty_colour);
    EXPECT_EQ(pixel(780, 15), harness::lap_empty_colour);
    EXPECT_EQ(pixel(699, 15), 55);  // the sea (background in force) left of the first marker
}

TEST(RaceScene, ChequeredFlagOnlyOnceALastLapBoatPassedItsLeftGate) {
    harness::reset_race(1);
    last_lap_state = 1;
    race_scene();
    EXPECT_NE(pixel(655, 2), harness::checker_colour);
    last_lap_state = 2;
    race_scene();
    EXPECT_EQ(pixel(655, 2), harness::checker_colour);
}

TEST(RaceText, ClockHasNoLeadingZeros) {
    harness::reset_race(1);
    race_minutes = 1;
    race_seconds = 5.9;
    race_text_and_keys();
    EXPECT_TRUE(harness::shows_text(1, 45, " 1' 5", 15));
}

TEST(RaceText, FinishersWithTheirPoints) {
    harness::reset_race(1);
    finish_count = 2;
    finish_order(1) = 1;
    finish_order(2) = 3;
    race_text_and_keys();
    EXPECT_TRUE(harness::shows_text(12, 40, " 1. FRANCE", 15));
    EXPECT_TRUE(harness::shows_text(12, 55, " 10 P", 15));
    EXPECT_TRUE(harness::shows_text(14, 40, " 2. AUSTRALIE", 15));
    EXPECT_TRUE(harness::shows_text(14, 55, " 8 P", 15));
}

TEST(RaceText, GameOverOnlyOnceAllSixAreHome) {
    auto game_over_shown = [] {
        for (int colour = 1; colour <= 15; ++colour)
            if (harness::shows_text(8, 39, "G  A  M  E    O  V  E  R", uint8_t(colour))) return true;
        return false;
    };
    harness::reset_race(1);
    player_eliminated = 1;
    finish_count = 5;
    for (int k = 1; k <= 6; ++k) finish_order(k) = k;
    race_text_and_keys();
    EXPECT_FALSE(game_over_shown());
    harness::reset_race(1);
    player_eliminated = 1;
    finish_count = 6;
    for (int k = 1; k <= 6; ++k) finish_order(k) = k;
    race_text_and_keys();
    EXPECT_TRUE(game_over_shown());
    harness::reset_race(1);
    finish_count = 6;
    for (int k = 1; k <= 6; ++k) finish_order(k) = k;
    race_text_and_keys();
    EXPECT_FALSE(game_over_shown());
}

TEST(RaceText, CountdownPicturesByTheValueAfterItsDecrease) {
    const struct {
        double before;
        int colour;
    } cases[] = {{300, harness::countdown_colour_1}, {152, harness::countdown_colour_1},
                 {151, harness::countdown_colour_2}, {27, harness::countdown_colour_2},
                 {26, harness::countdown_colour_3},  {1, harness::countdown_colour_3},
                 {0, 55}};
    for (const auto& c : cases) {
        harness::reset_race(1);
        start_countdown = c.before;
        race_text_and_keys();
        EXPECT_EQ(pixel(480, 70), c.colour) << c.before;
        EXPECT_EQ(start_countdown, c.before > 0 ? c.before - 1 : 0);
    }
}

TEST(RaceKeys, WheelTurnsOneDegreePerFrameAndWraps) {
    harness::reset_race(1);
    player_heading = 0;
    race_text_and_keys();
    EXPECT_EQ(player_heading, 360);  // the 0 of the set-up, no key held
    harness::press_key(rt::key_right);
    race_text_and_keys();
    EXPECT_EQ(player_heading, 1);  // 360 + 1
    race_text_and_keys();
    EXPECT_EQ(player_heading, 2);
    harness::press_key(rt::key_left);
    race_text_and_keys();
    EXPECT_EQ(player_heading, 2);  // both held
    harness::release_key(rt::key_right);
    race_text_and_keys();
    race_text_and_keys();
    EXPECT_EQ(player_heading, 360);  // 1 - 1
    harness::clear_keys();
    harness::reset_race(1);
    player_heading = 0;
    harness::press_key(rt::key_right);
    race_text_and_keys();
    EXPECT_EQ(player_heading, 1);
    harness::clear_keys();
}

TEST(RaceKeys, SpaceWorksTheSpinnakerUntilAllSixAreHome) {
    harness::reset_race(1);
    harness::type_key(32);
    EXPECT_FALSE(race_text_and_keys());
    EXPECT_EQ(boat_sail_factor(1), 7);
    harness::type_key(32);
    race_text_and_keys();
    EXPECT_EQ(boat_sail_factor(1), 1);
    boat_finished(1) = 1;  // the player home, others still racing
    finish_count = 3;
    harness::type_key(32);
    EXPECT_FALSE(race_text_and_keys());
    EXPECT_EQ(boat_sail_factor(1), 7);
    finish_count = 6;
    harness::type_key(32);
    EXPECT_TRUE(race_text_and_keys());  // leaves the race
    EXPECT_EQ(boat_sail_factor(1), 7);
}

TEST(RaceKeys, OneTypedKeyPerFrame) {
    harness::reset_race(1);
    harness::type_key('x');
    harness::type_key(32);
    race_text_and_keys();
    EXPECT_EQ(boat_sail_factor(1), 1);
    race_text_and_keys();
    EXPECT_EQ(boat_sail_factor(1), 7);
}

TEST(RaceKeys, PauseSwallowsKeysUntilSpace) {
    harness::reset_race(1);
    for (int32_t code : {int32_t('p'), int32_t('a'), int32_t('P'), 32, int32_t('b')}) harness::type_key(code);
    EXPECT_FALSE(race_text_and_keys());
    EXPECT_EQ(game::screen.load(), Screen::race);
    EXPECT_EQ(boat_sail_factor(1), 1);  // the space ended the pause, nothing else
    EXPECT_EQ(rt::typed_key_count(), 1);  // "b" waits for the next frame
    harness::clear_keys();
}
