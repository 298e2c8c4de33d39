// The game's looping sounds across many screen visits.
#include <gtest/gtest.h>

#include <unistd.h>

#include "game/calls.h"
#include "game/game.h"
#include "game/state.h"
#include "runtime/sound/sound_internal.h"
#include "runtime/sound/sound.h"
#include "tests/game/harness.h"

namespace {

int slots_in_use() {
    int used = 0;
    for (const auto& slot : rt::sound::state.slots) used += slot.handle != 0;
    return used;
}

TEST(GameSounds, ReopeningASoundOnEveryVisitKeepsTheSlotsItUses) {
    harness::start_runtime();
    ASSERT_EQ(chdir(PROGRAM_DIR), 0);
    game::Num handle = 0;
    game::sound_open_sync(handle, "water.wav");
    game::sound_loop(handle);
    ASSERT_NE(game::to_int(handle), 0);
    int used = slots_in_use();
    // Far more visits than there are slots: each one stops and reopens.
    for (int visit = 0; visit < 300; ++visit) {
        game::sound_stop(handle);
        game::sound_open_sync(handle, "water.wav");
        game::sound_loop(handle);
        ASSERT_NE(game::to_int(handle), 0) << "visit " << visit;
    }
    EXPECT_EQ(slots_in_use(), used);
    EXPECT_FALSE(rt::error_pending());
}

}  // namespace

namespace {

// A one-shot plays as the music stream: with every sound stopped first, music
// playing afterwards is a one-shot the step started.
bool one_shot_after(void (*frame_step)()) {
    rt::close_all_sounds();
    Mix_HaltMusic();
    frame_step();
    return Mix_PlayingMusic() != 0;
}

TEST(GameSounds, StartBeepsSoundOnTheFramesTheCountdownNames) {
    harness::start_runtime();
    ASSERT_EQ(chdir(PROGRAM_DIR), 0);
    for (double before : {300.0, 299.0, 151.0, 150.0, 100.0, 26.0, 25.0, 1.0}) {
        harness::reset_race(1);
        game::start_countdown = before;
        const bool beep = before == 300 || before == 151 || before == 26;  // 299, 150 and 25 after the decrease
        EXPECT_EQ(one_shot_after([] { game::race_text_and_keys(); }), beep) << "countdown " << before;
    }
}

TEST(GameSounds, TheBellRingsForThePlayersGatesOnly) {
    harness::start_runtime();
    ASSERT_EQ(chdir(PROGRAM_DIR), 0);
    using namespace game;
    harness::reset_race(1);
    boat_leg(1) = 2;
    boat_x(1) = 395;
    boat_y(1) = 500;
    EXPECT_TRUE(one_shot_after([] { race_gates(); }));
    EXPECT_EQ(boat_leg(1), 3);
    // An opponent's gate rings nothing.
    harness::reset_race(1);
    boat_x(1) = 300;
    boat_y(1) = 300;
    boat_leg(2) = 2;
    boat_x(2) = 370;
    boat_y(2) = 480;
    EXPECT_FALSE(one_shot_after([] { race_gates(); }));
    EXPECT_EQ(boat_leg(2), 3);
}

}  // namespace
