// The Windows clock: ticks from the performance counter (GetTickCount moves in
// steps of 16 ms, too coarse for frame pacing), delays as plain sleeps, the
// calendar from the system time and the local time zone.
#include <windows.h>

#include "runtime/platform/clock.h"
#include "runtime/platform/wait.h"

namespace rt::platform {

namespace {

// Taken as the program loads, before anything can ask for the ticks.
const uint64_t process_start_ms = wait_clock_ms();

// 100 ns intervals from 1601-01-01 to 1970-01-01.
constexpr int64_t unix_epoch_filetime = 116444736000000000LL;

}  // namespace

uint32_t ticks_ms() { return uint32_t(wait_clock_ms() - process_start_ms); }

void sleep_ms(uint32_t ms) { poll_wait(ms); }

void sleep_ms_unless(uint32_t ms, const std::atomic<int32_t>& word) {
    const uint64_t until = wait_clock_ms() + ms;
    for (uint64_t now = wait_clock_ms(); now < until && word.load(std::memory_order_acquire) == 0;
         now = wait_clock_ms())
        wait_on_word(word, 0, uint32_t(until - now));
}

bool calendar_milliseconds(int64_t& milliseconds) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const int64_t intervals = int64_t((uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    milliseconds = (intervals - unix_epoch_filetime) / 10000;
    return true;
}

bool local_seconds_of_day(int64_t seconds, int32_t& seconds_of_day) {
    const uint64_t intervals = uint64_t(seconds * 10000000LL + unix_epoch_filetime);
    FILETIME utc_file{DWORD(intervals), DWORD(intervals >> 32)};
    SYSTEMTIME utc, local;
    if (!FileTimeToSystemTime(&utc_file, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return false;
    seconds_of_day = local.wHour * 3600 + local.wMinute * 60 + local.wSecond;
    return true;
}

}  // namespace rt::platform
