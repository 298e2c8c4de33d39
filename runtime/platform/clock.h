// The program's clock: ticks, the delays the program asks for, and the
// calendar. The virtual platform replaces all of it with a clock that moves
// only when the program sleeps, so that a replay gives the same results on
// every run; waits between threads are in wait.h and stay real.
#pragma once

#include <atomic>
#include <cstdint>

namespace rt::platform {

// Millisecond tick count since the process started (wraps at 2^32).
uint32_t ticks_ms();
// A delay the program itself asks for (frame pacing, pauses). 0 only yields.
// The virtual clock advances by exactly `ms`.
void sleep_ms(uint32_t ms);
// The same, ended early once `word` is no longer 0 (a shutdown must not wait for
// the end of a long sleep). The virtual clock advances by exactly `ms`.
void sleep_ms_unless(uint32_t ms, const std::atomic<int32_t>& word);

// Calendar time in milliseconds; false when it is not available.
bool calendar_milliseconds(int64_t& milliseconds);
// Seconds since local midnight of calendar time `seconds`; false when unknown.
bool local_seconds_of_day(int64_t seconds, int32_t& seconds_of_day);

}  // namespace rt::platform
