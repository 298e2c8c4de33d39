// The display thread pressing and releasing keys as fast as it can while the
// program thread polls key_down and drains inkey: every typed key arrives once,
// in order, and a key held throughout never looks released.
#include <chrono>
#include <thread>

#include "input_fixture.h"
#include "runtime/platform/wait.h"

namespace rt {
namespace {

using KeyboardStress = InputTest;

// Codes of keys that type nothing; 64 of them in turn.
int32_t churn_code(int i) { return 150000 + (i + 64) % 64; }

TEST_F(KeyboardStress, TwoThreadsLoseAndDuplicateNothing) {
    constexpr int presses = 20000;
    key_press(key_left);  // held for the whole run
    ASSERT_EQ(typed(), ext(0x4B));

    std::thread display([] {
        for (int i = 0; i < presses; ++i) {
            // Keys that type nothing keep the held-key list changing and growing.
            key_press(churn_code(i));
            while (typed_key_count() == 15) platform::poll_wait(0);
            const int32_t key = 'a' + i % 26;
            key_press(key);
            key_release(key);
            key_release(churn_code(i - 40));
        }
    });

    std::string received;
    bool sentinel_held = true;
    int polls = 0;
    while (received.size() < size_t(presses)) {
        for (int k = 0; k < 4; ++k) received += typed();
        sentinel_held = sentinel_held && key_down(key_left) == -1 && key_down(0x4B00 + 1) == 0;
        (void)key_down('a' + polls % 26);
        ++polls;
        release_temporaries(step_mark, 0);
    }
    display.join();

    EXPECT_TRUE(sentinel_held);
    EXPECT_EQ(typed(), "");
    ASSERT_EQ(received.size(), size_t(presses));
    for (int i = 0; i < presses; ++i) ASSERT_EQ(received[i], char('a' + i % 26)) << "entry " << i;
}

// A program thread waiting for a key sleeps until one is typed: a key typed by
// the display thread wakes it long before its limit, and a key already waiting
// (or none at all, the limit) does not hold it.
TEST_F(KeyboardStress, WaitingForAKeyEndsWhenOneIsTyped) {
    using clock = std::chrono::steady_clock;
    std::thread display([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        key_press('x');
        key_release('x');
    });
    const auto start = clock::now();
    wait_for_typed_key(20000);
    EXPECT_LT(clock::now() - start, std::chrono::seconds(10));
    display.join();
    EXPECT_EQ(typed_key_count(), 1);

    const auto again = clock::now();
    wait_for_typed_key(20000);  // the key still waits: at once
    wait_for_typed_key(20000);
    EXPECT_LT(clock::now() - again, std::chrono::seconds(10));
    EXPECT_EQ(typed(), "x");
    wait_for_typed_key(1);  // nothing typed: the limit
    EXPECT_EQ(typed_key_count(), 0);
}

}  // namespace
}  // namespace rt
