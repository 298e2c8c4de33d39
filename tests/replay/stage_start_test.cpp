// Stage set-up and introduction: the random draws around the reseed, the
// grid, the introduction's texts and pause.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "tests/replay/runner.h"

using runner::next_state;
using runner::rnd_of;
using runner::run;

namespace {

// A draw from `state`: the state moves on and the value is returned.
double draw(uint32_t& state) {
    state = next_state(state);
    return rnd_of(state);
}

}  // namespace

TEST(ReplayStageSetup, DrawsBeforeAndAfterTheReseedInTheOrderWritten) {
    auto r = run("10 type space\n", {"--frames", "12", "--time", "08:30:00"});
    ASSERT_TRUE(r.ended_cleanly()) << r.errors;
    const runner::Frame& title = *r.at(10);
    const runner::Frame& intro = *r.at(11);
    ASSERT_EQ(intro.screen, "stage_intro");

    // Before the reseed: bonuses of boats 2..6, direction, force, sense, cloud kinds.
    uint32_t s = title.rnd;
    const double table[] = {0.255, 0.26, 0.245, 0.23, 0.22};
    for (int i = 2; i <= 6; ++i) {
        float base = static_cast<float>(table[i - 2]);
        float expected = std::floor(draw(s) * 3) == 1 ? static_cast<float>(double(base) + 0.01) : base;
        EXPECT_EQ(static_cast<float>(intro.var("boat_speed", size_t(i))), expected) << i;
    }
    EXPECT_EQ(intro.var("wind_direction"), 1 + std::floor(draw(s) * 360));
    EXPECT_EQ(intro.var("wind_force"), 1 + std::floor(draw(s) * 2));
    EXPECT_EQ(intro.var("wind_shift_sense"), std::floor(draw(s) * 2));
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(intro.var("cloud_kind", size_t(i)), 1 + std::floor(draw(s) * 2)) << i;

    // After it: the low 8 bits are kept and bits 8-23 come from the clock. Exactly
    // one seed gives the clouds and birds (2 and 4 draws each) and the final state.
    int seeds_found = 0;
    uint32_t seed_bits = 0;
    for (uint32_t bits = 0; bits < 0x10000; ++bits) {
        uint32_t t = (s & 0xFF) | (bits << 8);
        bool same = true;
        for (int i = 1; i <= 4 && same; ++i) {
            same = intro.var("cloud_x", size_t(i)) == 1 + std::floor(draw(t) * 800);
            same = same && intro.var("cloud_y", size_t(i)) == 1 + std::floor(draw(t) * 600);
        }
        for (int i = 1; i <= 4 && same; ++i) {
            same = intro.var("bird_x", size_t(i)) == 1 + std::floor(draw(t) * 800);
            same = same && intro.var("bird_y", size_t(i)) == 1 + std::floor(draw(t) * 600);
            same = same && intro.var("bird_dx", size_t(i)) == (std::floor(draw(t) * 2) == 0 ? 1 : -1);
            same = same && intro.var("bird_dy", size_t(i)) == (std::floor(draw(t) * 2) == 0 ? 1 : -1);
        }
        if (same && t == intro.rnd) {
            ++seeds_found;
            seed_bits = bits;
        }
    }
    ASSERT_EQ(seeds_found, 1);

    // The seed is the clock: 08:30:00 at tick 1000, the set-up at the ticks of frame 10.
    uint32_t ms = title.ticks - 1000 + (8 * 3600 + 30 * 60 + 1) * 1000;
    float seconds = static_cast<float>(std::nearbyint(ms / 1000.0 * 18.2) / 18.2);
    double seed = seconds;
    uint64_t pattern;
    std::memcpy(&pattern, &seed, sizeof pattern);
    uint32_t h = uint32_t(pattern >> 32);
    EXPECT_EQ(seed_bits, (h ^ (h >> 16)) & 0xFFFF);

    // Another time of day changes only what is drawn after the reseed.
    auto later = run("10 type space\n", {"--frames", "11", "--time", "20:00:00"});
    const runner::Frame& other = *later.at(11);
    for (const char* name : {"boat_speed", "cloud_kind"})
        for (size_t i = 0; i <= 10; ++i) EXPECT_EQ(other.var(name, i), intro.var(name, i)) << name << i;
    EXPECT_EQ(other.var("wind_direction"), intro.var("wind_direction"));
    bool moved = false;
    for (size_t i = 1; i <= 4; ++i) moved = moved || other.var("cloud_x", i) != intro.var("cloud_x", i);
    EXPECT_TRUE(moved);
}

TEST(ReplayStageSetup, GridHeadingAndCountdown) {
    auto r = run("10 type space\n", {"--frames", "11"});
    const runner::Frame& intro = *r.at(11);
    for (int i = 1; i <= 6; ++i) {
        EXPECT_EQ(intro.var("boat_x", size_t(i)), 350 + 5 * i);
        EXPECT_EQ(intro.var("boat_y", size_t(i)), 165 - 16 * i);
        EXPECT_EQ(intro.var("boat_leg", size_t(i)), 1);
        EXPECT_EQ(intro.var("boat_sail_factor", size_t(i)), 1);
    }
    EXPECT_EQ(intro.var("player_heading"), 0);
    EXPECT_EQ(intro.var("start_countdown"), 300);
    EXPECT_EQ(intro.var("stage_laps"), 2);
}

TEST(ReplayStageIntro, NamesForTwoSecondsAndKeysTypedMeanwhileWait) {
    auto r = run("10 type space\n11 type space\n", {"--frames", "14", "--png", "11,12"});
    ASSERT_TRUE(r.ended_cleanly()) << r.errors;
    EXPECT_EQ(r.at(11)->screen, "stage_intro");
    EXPECT_EQ(r.at(12)->ticks - r.at(11)->ticks, 2000u);  // a fixed pause
    for (int f : {11, 12}) {
        runner::Picture p = r.picture(f);
        EXPECT_TRUE(p.shows_text(17, 40, "L A C   L E M E N T", 15));
        EXPECT_TRUE(p.shows_text(34, 30, "LEFT&RIGHT = SHIP'S WHEEL   SPACE = SPINNAKER", 15));
        EXPECT_EQ(p.at(0, 0), 55);
    }
    // The space typed during the pause sets the spinnaker in the first race frame.
    EXPECT_EQ(r.at(13)->screen, "race");
    EXPECT_EQ(r.at(13)->var("boat_sail_factor", 1), 1);
    EXPECT_EQ(r.at(14)->var("boat_sail_factor", 1), 7);
}
