// The display thread pressing and releasing keys as fast as it can while the
// program thread polls key_down and drains inkey: every typed key arrives once,
// in order, and a key held throughout never looks released.
#include <thread>

#include "input_fixture.h"

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

}  // namespace
}  // namespace rt
