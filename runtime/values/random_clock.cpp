// The pseudo-random generator and the time-of-day clock.
#include <bit>

#include "runtime/core/core.h"
#include "runtime/platform/clock.h"
#include "runtime/values/values.h"

namespace rt {

namespace {

constexpr uint32_t multiplier = 0xFD43FD;  // 16,598,013
constexpr uint32_t increment = 0xC39EC3;   // 12,820,163
constexpr uint32_t state_mask = 0xFFFFFF;
constexpr float state_range = 16777216.0f;
constexpr uint32_t day_milliseconds = 86400000;
// The clock moves in steps of 1/18.2 s unless an accuracy is asked for.
constexpr double clock_quantum_factor = 18.2;

uint32_t base_milliseconds = 0;
uint32_t base_ticks = 0;

double clock_seconds(double factor) {
    const uint32_t ms = (platform::ticks_ms() - base_ticks + base_milliseconds) % day_milliseconds;
    const double seconds = ms / 1000.0;
    return double(round_to_integer((long double)seconds * factor)) / factor;
}

}  // namespace

uint32_t random_state = 327680;

float rnd() { return rnd(1.0f); }

float rnd(float x) {
    if (error_pending()) return 0;
    if (x == 0) return float(random_state) / state_range;
    if (x < 0) {
        // Reseed from the number's bit pattern; the sum may take 25 bits, the step masks it.
        const uint32_t p = std::bit_cast<uint32_t>(x);
        random_state = (p & state_mask) + (p >> 24);
    }
    random_state = (random_state * multiplier + increment) & state_mask;
    return float(random_state) / state_range;
}

void randomize(double seed) {
    if (error_pending()) return;
    uint32_t h = uint32_t(std::bit_cast<uint64_t>(seed) >> 32);
    h ^= h >> 16;
    random_state = (random_state & 0xFF) | ((h & 0xFFFF) << 8);
}

float timer_seconds() {
    if (error_pending()) return 0;
    return float(clock_seconds(clock_quantum_factor));
}

double timer_seconds(double accuracy) {
    if (error_pending()) return 0;
    if (!(accuracy > 0)) {
        raise_error(5);
        return 0;
    }
    return clock_seconds(1 / accuracy);
}

void set_clock_base(uint32_t milliseconds, uint32_t ticks) {
    base_milliseconds = milliseconds;
    base_ticks = ticks;
}

void fix_clock_base() {
    // The calendar's own milliseconds, read beside the tick count: no wait for
    // the next calendar second.
    const uint32_t ticks = platform::ticks_ms();
    int64_t calendar_ms = 0;
    int32_t seconds_of_day = 0;
    uint32_t milliseconds = 0;
    if (platform::calendar_milliseconds(calendar_ms)) {
        const int64_t seconds = calendar_ms >= 0 ? calendar_ms / 1000 : (calendar_ms - 999) / 1000;
        if (platform::local_seconds_of_day(seconds, seconds_of_day))
            milliseconds = uint32_t(seconds_of_day) * 1000 + uint32_t(calendar_ms - seconds * 1000);
    }
    set_clock_base(milliseconds, ticks);
}

}  // namespace rt
