// Programs that must end: a death test's child runs the whole runtime with a
// routine of its own, as the game does, and ends through the runtime's
// shutdown (tests/ending.cpp). Check the end with EXPECT_CLEAN_END or
// EXPECT_END_AFTER_BOX (tests/headless.h).
#pragma once

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "tests/headless.h"

namespace test_support {

// A death test of the running runtime: the child starts afresh, for threads run.
class EndingTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// The runtime's entry with `routine` as the game routine; it never returns. A
// case that hangs ends with exit code 7 and "watchdog" after ten seconds (times
// TEST_TIME_FACTOR).
[[noreturn]] void run(void (*routine)());

// Waits up to two seconds for `done`.
template <class Condition>
bool eventually(Condition done) {
    for (int i = 0; i < 400; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

// An SDL event for the display thread to take, as the window would send it.
void push_key(bool down, SDLKey symbol, Uint16 unicode = 0);
void push_quit();

// A helper thread standing in for the window's key events. The process ends
// through the runtime's shutdown, whose exit handlers destroy the key state the
// helper uses: an exit handler of its own, run before them, sets
// helper_stopping and waits for the helper to return.
void start_helper(void (*body)());
extern std::atomic<bool> helper_stopping;

// Steps 1 and 2 of the game routine: a new 800x600 page of 256 colours becomes the screen.
void page_on_screen();

// Keeps the program thread busy with steps, counted in steps_run, until
// something ends the process.
[[noreturn]] void idle_steps();
extern std::atomic<int64_t> steps_run;

}  // namespace test_support
