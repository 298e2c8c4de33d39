// The Linux clock: ticks from the monotonic clock, delays as plain sleeps, the
// calendar from the real-time clock and the local time zone.
#include <ctime>

#include "runtime/platform/clock.h"
#include "runtime/platform/wait.h"

namespace rt::platform {

namespace {

uint64_t monotonic_ms() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
}

// Taken as the program loads, before anything can ask for the ticks.
const uint64_t process_start_ms = monotonic_ms();

}  // namespace

uint32_t ticks_ms() { return uint32_t(monotonic_ms() - process_start_ms); }

// On the real clock the program's own delay is the same plain sleep as a poll.
void sleep_ms(uint32_t ms) { poll_wait(ms); }

void sleep_ms_unless(uint32_t ms, const std::atomic<int32_t>& word) {
    const uint64_t until = wait_clock_ms() + ms;
    for (uint64_t now = wait_clock_ms(); now < until && word.load(std::memory_order_acquire) == 0;
         now = wait_clock_ms())
        wait_on_word(word, 0, uint32_t(until - now));
}

bool calendar_milliseconds(int64_t& milliseconds) {
    timespec now{};
    if (clock_gettime(CLOCK_REALTIME, &now) != 0) return false;
    milliseconds = int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    return true;
}

bool local_seconds_of_day(int64_t seconds, int32_t& seconds_of_day) {
    time_t t = time_t(seconds);
    tm local{};
    if (!localtime_r(&t, &local)) return false;
    seconds_of_day = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    return true;
}

}  // namespace rt::platform
