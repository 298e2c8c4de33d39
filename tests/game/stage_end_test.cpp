// The end of a stage: standings, time bonus, score and the ranking screen.
#include <gtest/gtest.h>

#include "game/game.h"
#include "game/state.h"
#include "runtime/input/input.h"
#include "tests/game/harness.h"

using namespace game;

namespace {

// A stage ended with these points; space is typed so that one pass is shown.
bool end_stage(int stage_number, std::array<double, 6> points, double seconds) {
    harness::reset_race(stage_number);
    for (int i = 1; i <= 6; ++i) boat_points(i) = points[size_t(i - 1)];
    stage_times(stage_number) = seconds;
    harness::type_key(32);
    return stage_end();
}

bool final_score_shown(const std::string& score) {
    for (int colour = 1; colour <= 15; ++colour)
        if (harness::shows_text(34, 42, "SCORE FINAL :  " + score + " ", uint8_t(colour))) return true;
    return false;
}

}  // namespace

TEST(Standings, MostPointsFirstAndEqualPointsInBoatOrder) {
    end_stage(1, {10, 10, 18, 0, 10, 0}, 100);
    const double expected[] = {3, 1, 2, 5, 4, 6};
    for (int k = 1; k <= 6; ++k) EXPECT_EQ(standings(k), expected[k - 1]) << k;
    // The player's marker follows the player's row (second here, row 12).
    EXPECT_TRUE(harness::shows_text(12, 45, "FRANCE", 15));
    EXPECT_TRUE(harness::shows_text(12, 65, "x 10 000", 15));
    EXPECT_TRUE(harness::shows_text(12, 58, " 10 ", 15));
    EXPECT_TRUE(harness::shows_text(10, 45, "AUSTRALIE", 15));
    EXPECT_FALSE(harness::shows_text(10, 65, "x 10 000", 15));
    EXPECT_TRUE(harness::shows_text(4, 44, "C L A S S E M E N T", 15));
}

TEST(TimeBonus, FallsBy600PerWholeSecondAndNeverBelowZero) {
    end_stage(1, {}, 166.9);
    EXPECT_EQ(stage_time_bonus(1), 400);
    EXPECT_TRUE(harness::shows_text(28, 42, "BONUS TEMPS : 400", 15));
    end_stage(1, {}, 167);
    EXPECT_EQ(stage_time_bonus(1), 0);
    end_stage(1, {}, 500);
    EXPECT_EQ(stage_time_bonus(1), 0);
}

TEST(Score, PointsTimesTenThousandPlusTheBonusesSoFar) {
    harness::reset_race(2);
    stage_time_bonus(1) = 40000;
    boat_points(1) = 18;
    stage_times(2) = 150;  // 200000 - 600 x 150 = 110000
    harness::type_key(32);
    EXPECT_TRUE(stage_end());
    EXPECT_EQ(points_score, 180000);
    EXPECT_EQ(total_score, 330000);
    EXPECT_EQ(stage, 3);  // on to the next stage
    EXPECT_TRUE(harness::shows_text(30, 44, "SCORE :  330000 ", 15));
    EXPECT_FALSE(final_score_shown("330000"));
}

TEST(Score, VictoryBonusOnlyForTheLeaderAfterStageFour) {
    EXPECT_FALSE(end_stage(4, {40, 32, 24, 12, 8, 4}, 1000));
    EXPECT_EQ(total_score, 40 * 10000 + 500000);
    EXPECT_TRUE(harness::shows_text(32, 40, "BONUS VICTOIRE : +500000", 15));
    EXPECT_TRUE(harness::shows_text(4, 38, "C L A S S E M E N T   F I N A L", 15));
    EXPECT_TRUE(final_score_shown("900000"));
    EXPECT_FALSE(harness::shows_text(30, 44, "SCORE : ", 15));

    end_stage(4, {32, 40, 24, 12, 8, 4}, 1000);  // second in points
    EXPECT_EQ(total_score, 320000);
    EXPECT_FALSE(harness::shows_text(32, 40, "BONUS VICTOIRE : +500000", 15));
    EXPECT_TRUE(final_score_shown("320000"));

    end_stage(4, {40, 40, 24, 12, 8, 4}, 1000);  // level with the best: still the leader
    EXPECT_EQ(standings(1), 1);
    EXPECT_EQ(total_score, 900000);

    end_stage(3, {40, 32, 24, 12, 8, 4}, 1000);  // a leader before stage 4 gets none
    EXPECT_EQ(total_score, 400000);
}

TEST(Score, AnEliminatedPlayerSeesBothScoresAndTheGameEnds) {
    harness::reset_race(2);
    player_eliminated = 1;
    boat_points(1) = 3;
    stage_times(2) = 1000;
    harness::type_key(32);
    EXPECT_FALSE(stage_end());
    EXPECT_EQ(stage, 2);
    EXPECT_TRUE(harness::shows_text(30, 44, "SCORE :  30000 ", 15));
    EXPECT_TRUE(final_score_shown("30000"));
}

TEST(RankingScreen, OtherKeysChangeNothingUntilSpace) {
    harness::reset_race(1);
    for (int32_t code : {int32_t('x'), int32_t('p'), 13, 32}) harness::type_key(code);
    EXPECT_TRUE(stage_end());
    EXPECT_EQ(rt::typed_key_count(), 0);
    EXPECT_EQ(stage, 2);
}
