// The game's looping sounds across many screen visits.
#include <gtest/gtest.h>

#include <unistd.h>

#include "game/calls.h"
#include "game/state.h"
#include "runtime/sound/sound_internal.h"
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
