// The virtual clock: it moves only when the program asks for a delay, and the
// calendar is fixed, so that a replay gives the same results on every run and
// every machine.
#include <atomic>
#include <mutex>
#include <thread>

#include "runtime/platform/clock.h"
#include "runtime/platform/virtual/virtual.h"

namespace rt {

namespace {

std::atomic<uint32_t> clock_ticks{0};
std::atomic<uint64_t> sleeps{0};
std::atomic<uint64_t> slept{0};

std::mutex calendar_lock;  // guards the calendar below
int64_t calendar_at_tick0 = 1000000000;
int32_t day_seconds_at_tick0 = 12 * 3600;
bool calendar_available = true;

}  // namespace

namespace virtual_platform {

uint32_t now() { return clock_ticks.load(); }
void set_ticks(uint32_t ticks) { clock_ticks.store(ticks); }
void advance(uint32_t ms) { clock_ticks.fetch_add(ms); }

void set_calendar(int64_t calendar, int32_t seconds_of_day, bool available) {
    std::lock_guard<std::mutex> guard(calendar_lock);
    calendar_at_tick0 = calendar;
    day_seconds_at_tick0 = seconds_of_day;
    calendar_available = available;
}

uint64_t sleep_count() { return sleeps.load(); }
uint64_t slept_ms() { return slept.load(); }

}  // namespace virtual_platform

namespace platform {

uint32_t ticks_ms() { return clock_ticks.load(); }

void sleep_ms(uint32_t ms) {
    clock_ticks.fetch_add(ms);
    sleeps.fetch_add(1);
    slept.fetch_add(ms);
    std::this_thread::yield();
}

void sleep_ms_unless(uint32_t ms, const std::atomic<int32_t>&) { sleep_ms(ms); }

bool calendar_milliseconds(int64_t& milliseconds) {
    std::lock_guard<std::mutex> guard(calendar_lock);
    if (!calendar_available) return false;
    milliseconds = calendar_at_tick0 * 1000 + clock_ticks.load();
    return true;
}

bool local_seconds_of_day(int64_t seconds, int32_t& seconds_of_day) {
    std::lock_guard<std::mutex> guard(calendar_lock);
    if (!calendar_available) return false;
    int64_t s = (day_seconds_at_tick0 + (seconds - calendar_at_tick0)) % 86400;
    if (s < 0) s += 86400;
    seconds_of_day = int32_t(s);
    return true;
}

}  // namespace platform
}  // namespace rt
