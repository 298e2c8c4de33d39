// Whole games played by the runner's autopilot: one through all four stages,
// one that finishes a stage worse than third.
#include <gtest/gtest.h>

#include "tests/replay/runner.h"

using runner::Frame;
using runner::run;

namespace {

// The first frame of each visit of `screen`, in order.
std::vector<const Frame*> arrivals(const runner::Result& r, const std::string& screen) {
    std::vector<const Frame*> out;
    std::string previous;
    for (const Frame& f : r.frames) {
        if (f.screen == screen && previous != screen) out.push_back(&f);
        previous = f.screen;
    }
    return out;
}

void expect_fresh_stage(const Frame& intro, int stage) {
    SCOPED_TRACE("stage " + std::to_string(stage));
    EXPECT_EQ(intro.var("stage"), stage);
    EXPECT_EQ(intro.var("stage_laps"), stage + 1);
    EXPECT_EQ(intro.var("player_heading"), 0);
    EXPECT_EQ(intro.var("start_countdown"), 300);
    EXPECT_EQ(intro.var("finish_count"), 0);
    EXPECT_EQ(intro.var("last_lap_state"), 0);
    const int clouds[] = {4, 6, 3, 10}, birds[] = {4, 5, 3, 4}, kinds[] = {2, 3, 2, 4};
    const int min_force[] = {1, 1, 1, 2}, force_choices[] = {2, 3, 3, 4};
    EXPECT_EQ(intro.var("cloud_count"), clouds[stage - 1]);
    EXPECT_EQ(intro.var("bird_count"), birds[stage - 1]);
    EXPECT_GE(intro.var("wind_force"), min_force[stage - 1]);
    EXPECT_LT(intro.var("wind_force"), min_force[stage - 1] + force_choices[stage - 1]);
    for (size_t i = 1; i <= size_t(clouds[stage - 1]); ++i) {
        EXPECT_GE(intro.var("cloud_kind", i), 1);
        EXPECT_LE(intro.var("cloud_kind", i), kinds[stage - 1]);
        EXPECT_GE(intro.var("cloud_x", i), 1);
        EXPECT_LE(intro.var("cloud_x", i), 800);
        EXPECT_GE(intro.var("cloud_y", i), 1);
        EXPECT_LE(intro.var("cloud_y", i), 600);
    }
    for (size_t i = 1; i <= size_t(birds[stage - 1]); ++i) {
        EXPECT_GE(intro.var("bird_x", i), 1);
        EXPECT_LE(intro.var("bird_x", i), 800);
        EXPECT_GE(intro.var("bird_y", i), 1);
        EXPECT_LE(intro.var("bird_y", i), 600);
        EXPECT_EQ(std::abs(intro.var("bird_dx", i)), 1);
        EXPECT_EQ(std::abs(intro.var("bird_dy", i)), 1);
    }
}

}  // namespace

TEST(ReplayWholeGame, TheAutopilotSailsAllFourStagesAndBackToTheTitle) {
    // A start time whose winds the autopilot masters in every stage (it is no champion
    // in the strong winds of stage 4 on every day).
    auto r = run("", {"--autopilot", "win", "--time", "22:00:00", "--json-every", "1000", "--png-screens"});
    ASSERT_TRUE(r.ended_cleanly()) << r.errors;
    auto intros = arrivals(r, "stage_intro");
    auto rankings = arrivals(r, "ranking");
    auto titles = arrivals(r, "title");
    ASSERT_EQ(intros.size(), 4u);
    ASSERT_EQ(rankings.size(), 4u);
    ASSERT_EQ(titles.size(), 2u);
    for (int s = 1; s <= 4; ++s) expect_fresh_stage(*intros[size_t(s - 1)], s);
    // Stage 4 fills the cloud arrays up to their last index.
    EXPECT_GE(intros[3]->var("cloud_kind", 10), 1);

    for (int s = 1; s <= 3; ++s) {
        runner::Picture p = r.picture(rankings[size_t(s - 1)]->frame);
        EXPECT_TRUE(p.shows_text(4, 44, "C L A S S E M E N T", 15)) << s;
        EXPECT_TRUE(p.contains_text(30, 44, "SCORE : ", 15)) << s;
    }
    const Frame& final_ranking = *rankings[3];
    EXPECT_EQ(final_ranking.var("player_eliminated"), 0);
    EXPECT_TRUE(r.picture(final_ranking.frame).shows_text(4, 38, "C L A S S E M E N T   F I N A L", 15));

    // Back on the title: the yacht and the rotating line go on from where they were.
    const Frame& before = *intros[0];
    const Frame& after = *titles[1];
    EXPECT_EQ(after.var("stage"), 0);
    EXPECT_EQ(static_cast<float>(after.var("title_boat_x")), static_cast<float>(before.var("title_boat_x") + 0.4));
    EXPECT_EQ(after.var("credits_timer"), before.var("credits_timer") + 1);
    EXPECT_EQ(after.var("blink_timer"), before.var("blink_timer") + 1);
    for (size_t i = 1; i <= 6; ++i) EXPECT_EQ(after.var("boat_points", i), 0) << i;  // a new game's table
}

TEST(ReplayWholeGame, APlayerWorseThanThirdSeesGameOverAndBothScores) {
    auto r = run("", {"--autopilot", "lose", "--time", "09:00:00", "--json-every", "1000", "--png-screens"});
    ASSERT_TRUE(r.ended_cleanly()) << r.errors;
    auto rankings = arrivals(r, "ranking");
    auto titles = arrivals(r, "title");
    ASSERT_EQ(rankings.size(), 1u);  // the game ends with stage 1
    ASSERT_EQ(titles.size(), 2u);
    const Frame& ranking = *rankings[0];
    EXPECT_EQ(ranking.var("player_eliminated"), 1);
    EXPECT_GT(ranking.var("finish_order", 1), 0);
    bool player_in_top_three = false;
    for (size_t k = 1; k <= 3; ++k) player_in_top_three |= ranking.var("finish_order", k) == 1;
    EXPECT_FALSE(player_in_top_three);

    // The last race frame: all six home, the flickering game-over text.
    runner::Picture race = r.picture(ranking.frame - 1);
    bool game_over = false;
    for (int colour = 1; colour <= 15; ++colour)
        game_over |= race.shows_text(8, 39, "G  A  M  E    O  V  E  R", uint8_t(colour));
    EXPECT_TRUE(game_over);

    runner::Picture p = r.picture(ranking.frame);
    EXPECT_TRUE(p.shows_text(4, 44, "C L A S S E M E N T", 15));
    EXPECT_TRUE(p.contains_text(30, 44, "SCORE : ", 15));
    bool final_score = false;
    for (int colour = 1; colour <= 15; ++colour) final_score |= p.contains_text(34, 42, "SCORE FINAL : ", uint8_t(colour));
    EXPECT_TRUE(final_score);
}
