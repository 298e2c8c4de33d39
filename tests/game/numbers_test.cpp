// Game numbers: 32-bit storage of double arithmetic, array subscripts, the clock step.
#include <gtest/gtest.h>

#include <cmath>

#include "game/state.h"
#include "runtime/host/host.h"
#include "tests/game/harness.h"

using game::Num;

TEST(GameNumbers, StoreRoundsToFloatAndComparesTheStoredValue) {
    Num x = 0.1;
    EXPECT_EQ(x.value, 0.1f);
    EXPECT_FALSE(double(x) == 0.1);  // compares what is stored
    EXPECT_TRUE(x == double(0.1f));
    Num y = x + 0.2;  // computed in double from the stored float, rounded once
    EXPECT_EQ(y.value, static_cast<float>(double(0.1f) + 0.2));
    Num big = 16777216;
    big += 1;  // beyond 24 bits of mantissa the float cannot hold the step
    EXPECT_EQ(big.value, 16777216.0f);
}

TEST(GameNumbers, SubscriptsRoundHalfToEvenAndAreChecked) {
    harness::start_runtime();
    using game::boat_x;
    for (int i = 0; i <= 10; ++i) boat_x(i) = i;
    EXPECT_EQ(boat_x(1.5), 2);
    EXPECT_EQ(boat_x(2.5), 2);
    EXPECT_EQ(boat_x(2.6), 3);
    size_t before = harness::dialogs();
    rt::pending_error.store(0);
    boat_x(11) = 99;  // one past the upper bound
    EXPECT_EQ(rt::pending_error.load(), 9);
    rt::pending_error.store(0);
    rt::attention_flag.store(0);
    EXPECT_EQ(harness::dialogs(), before);
    EXPECT_EQ(boat_x(10), 10);
}

TEST(GameNumbers, ClockFirstExceedsSixtySecondsOnThe3601stFrame) {
    Num clock;
    int frames = 0;
    while (!(clock > 60)) {
        game::add_frame_time(clock);
        ++frames;
    }
    EXPECT_EQ(frames, 3601);
    // A float sum of sixtieths drifts from the exact value.
    Num exact_check;
    for (int i = 0; i < 600; ++i) game::add_frame_time(exact_check);
    EXPECT_NE(double(exact_check), 10.0);
    EXPECT_NEAR(double(exact_check), 10.0, 1e-3);
}
