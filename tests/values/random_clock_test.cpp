#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

#include "runtime/host/host.h"
#include "runtime/platform/virtual/virtual.h"
#include "runtime/values/values.h"

namespace {

// Read before any test can step the generator.
const uint32_t state_at_start = rt::random_state;

uint32_t stepped(uint64_t state) { return uint32_t((state * 16598013 + 12820163) % 16777216); }

class RandomAndClock : public testing::Test {
protected:
    void SetUp() override { clear_error(); }
    void TearDown() override {
        clear_error();
        rt::virtual_platform::set_calendar(1000000000, 12 * 3600, true);
        rt::virtual_platform::set_ticks(0);
        rt::set_clock_base(0, 0);
    }
    static void clear_error() {
        rt::pending_error.store(0);
        rt::attention_flag.store(0);
    }
};

TEST_F(RandomAndClock, GeneratorSequenceFromTheInitialState) {
    ASSERT_EQ(state_at_start, 327680u);
    rt::random_state = state_at_start;
    const uint32_t first = stepped(327680);
    EXPECT_EQ(rt::rnd(), float(first) / 16777216.0f);
    EXPECT_EQ(rt::random_state, first);
    // rnd(0) repeats the last value without stepping.
    EXPECT_EQ(rt::rnd(0), float(first) / 16777216.0f);
    EXPECT_EQ(rt::rnd(0), float(first) / 16777216.0f);
    // A positive argument steps like none.
    EXPECT_EQ(rt::rnd(5), float(stepped(first)) / 16777216.0f);
}

TEST_F(RandomAndClock, NegativeArgumentsReseedFromTheirBitPattern) {
    // -1 is 0xBF800000: the low 24 bits plus the top 8 give 0x8000BF.
    EXPECT_EQ(rt::rnd(-1), float(stepped(0x8000BF)) / 16777216.0f);
    const float again = rt::rnd(-1);
    EXPECT_EQ(rt::rnd(-1), again);
    // The sum can take 25 bits; the step masks it back to 24.
    const float wide = std::bit_cast<float>(0xBFFFFFFFu);
    EXPECT_EQ(rt::rnd(wide), float(stepped(0xFFFFFF + 0xBF)) / 16777216.0f);
    EXPECT_LE(rt::random_state, 0xFFFFFFu);
    EXPECT_EQ(rt::rnd(-2.5f), float(stepped((0xC0200000u & 0xFFFFFF) + 0xC0)) / 16777216.0f);
}

TEST_F(RandomAndClock, RandomizeKeepsTheLowByteAndTakesBitsEightToTwentyThree) {
    rt::random_state = 0xABCDEF;
    rt::randomize(43200.5);
    const uint64_t bits = std::bit_cast<uint64_t>(43200.5);
    uint32_t h = uint32_t(bits >> 32);
    h ^= h >> 16;
    EXPECT_EQ(rt::random_state, 0xEFu | ((h & 0xFFFF) << 8));

    // Seeds that differ only in the low 32 bits of their pattern seed alike.
    rt::random_state = 0x123456;
    rt::randomize(1.0);
    const uint32_t one = rt::random_state;
    rt::random_state = 0x999956;
    rt::randomize(std::nextafter(1.0, 2.0));
    EXPECT_EQ(rt::random_state, one);
    EXPECT_EQ(one & 0xFF, 0x56u);
    EXPECT_LE(one, 0xFFFFFFu);
}

TEST_F(RandomAndClock, TheFullPeriodStaysBelowOne) {
    rt::random_state = 12345;
    float largest = 0;
    for (uint32_t i = 0; i < (1u << 24); ++i) largest = std::max(largest, rt::rnd());
    EXPECT_EQ(rt::random_state, 12345u);  // the period is 2^24
    EXPECT_LT(largest, 1.0f);
    EXPECT_EQ(largest, float(0xFFFFFF) / 16777216.0f);
}

TEST_F(RandomAndClock, NothingHappensWhileAnErrorIsPending) {
    rt::random_state = 777;
    rt::virtual_platform::set_ticks(5000);
    rt::raise_error(11);
    EXPECT_EQ(rt::rnd(), 0.0f);
    EXPECT_EQ(rt::rnd(-3), 0.0f);
    rt::randomize(123.0);
    EXPECT_EQ(rt::random_state, 777u);
    EXPECT_EQ(rt::timer_seconds(), 0.0f);
    EXPECT_EQ(rt::timer_seconds(0.5), 0.0);
    EXPECT_EQ(rt::timer_seconds(-1.0), 0.0);
    EXPECT_EQ(rt::pending_error.load(), 11);
}

TEST_F(RandomAndClock, TimerMovesInStepsOfOneEighteenPointTwoth) {
    rt::set_clock_base(0, 0);
    rt::virtual_platform::set_ticks(10000);
    EXPECT_EQ(rt::timer_seconds(), 10.0f);
    rt::virtual_platform::set_ticks(0);
    EXPECT_EQ(rt::timer_seconds(), 0.0f);
    rt::virtual_platform::set_ticks(1000);
    EXPECT_EQ(rt::timer_seconds(), float(18 / 18.2));

    for (uint32_t ms = 0; ms < 200000; ms += 7) {
        rt::virtual_platform::set_ticks(ms);
        const double t = rt::timer_seconds();
        const double quanta = t * 18.2;
        ASSERT_NEAR(quanta, std::round(quanta), 1e-3) << ms;
        ASSERT_LE(std::fabs(t - ms / 1000.0), 1 / 36.4 + 1e-6) << ms;
    }
}

TEST_F(RandomAndClock, TimerWrapsAtMidnightAndAcrossTheTickCounter) {
    rt::set_clock_base(86399000, 0);
    rt::virtual_platform::set_ticks(900);
    const float before = rt::timer_seconds();
    EXPECT_LT(before, 86400.0f);
    EXPECT_GT(before, 86399.8f);
    rt::virtual_platform::set_ticks(1000);
    EXPECT_EQ(rt::timer_seconds(), 0.0f);
    rt::virtual_platform::set_ticks(11000);
    EXPECT_EQ(rt::timer_seconds(), 10.0f);

    // The tick counter wraps at 2^32; the elapsed time does not.
    rt::set_clock_base(0, 0xFFFFD8F0u);  // 10 s before the counter wraps
    rt::virtual_platform::set_ticks(0);
    EXPECT_EQ(rt::timer_seconds(), 10.0f);
}

TEST_F(RandomAndClock, TimerWithAnAccuracy) {
    rt::set_clock_base(0, 0);
    rt::virtual_platform::set_ticks(1300);
    EXPECT_EQ(rt::timer_seconds(0.5), 1.5);
    rt::virtual_platform::set_ticks(2500);
    EXPECT_EQ(rt::timer_seconds(1.0), 2.0);  // ties to even
    rt::virtual_platform::set_ticks(3500);
    EXPECT_EQ(rt::timer_seconds(1.0), 4.0);
    rt::virtual_platform::set_ticks(1234);
    EXPECT_DOUBLE_EQ(rt::timer_seconds(0.001), 1.234);
    EXPECT_FALSE(rt::error_pending());

    EXPECT_EQ(rt::timer_seconds(0.0), 0.0);
    EXPECT_EQ(rt::pending_error.load(), 5);
    clear_error();
    EXPECT_EQ(rt::timer_seconds(-2.0), 0.0);
    EXPECT_EQ(rt::pending_error.load(), 5);
    clear_error();
    EXPECT_EQ(rt::timer_seconds(std::nan("")), 0.0);
    EXPECT_EQ(rt::pending_error.load(), 5);
}

TEST_F(RandomAndClock, ClockBaseTakesTheCalendarMillisecondsAtOnce) {
    rt::virtual_platform::set_calendar(1000000000, 12 * 3600, true);
    rt::virtual_platform::set_ticks(250);
    const uint64_t sleeps = rt::virtual_platform::sleep_count();
    rt::fix_clock_base();
    EXPECT_EQ(rt::virtual_platform::now(), 250u);
    EXPECT_EQ(rt::virtual_platform::sleep_count(), sleeps);
    // Right then it is 12:00:00.25; 2.5 s later the clock reads 12:00:02.75.
    EXPECT_NEAR(rt::timer_seconds(1e-3), 12 * 3600 + 0.25, 1e-9);
    rt::virtual_platform::advance(2500);
    EXPECT_NEAR(rt::timer_seconds(1e-3), 12 * 3600 + 2.75, 1e-9);

    // Taken at 23:59:59.750, the clock passes midnight a quarter second later.
    rt::virtual_platform::set_calendar(1000000000, 86399, true);
    rt::virtual_platform::set_ticks(750);
    rt::fix_clock_base();
    EXPECT_NEAR(rt::timer_seconds(1e-3), 86399.75, 1e-9);
    rt::virtual_platform::advance(500);
    EXPECT_NEAR(rt::timer_seconds(1e-3), 0.25, 1e-9);

    // Without a calendar the base is midnight, taken at once.
    rt::virtual_platform::set_calendar(0, 0, false);
    rt::virtual_platform::set_ticks(4321);
    rt::fix_clock_base();
    EXPECT_EQ(rt::virtual_platform::now(), 4321u);
    EXPECT_EQ(rt::timer_seconds(), 0.0f);
}

}  // namespace
