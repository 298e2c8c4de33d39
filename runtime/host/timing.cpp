// Timing: limit_rate's frame pacing on the game's clock, the ranking screen's
// pacing in real time, and sleep_seconds.
#include "runtime/host/display_internal.h"
#include "runtime/host/host.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/wait.h"

namespace rt {

namespace {

double frame_mark = 0;  // limit_rate's previous frame mark in ms; 0 = none yet
double real_frame_mark = 0;  // pace_in_real_time's, on the wait clock; 0 = none yet

}  // namespace

void forget_frame_marks() {
    frame_mark = 0;
    real_frame_mark = 0;
}

void limit_rate(double rate) {
    if (error_pending()) return;
    if (!(rate > 0)) {
        raise_error(5);
        return;
    }
    const double period = 1000.0 / rate;
    if (period > 60000.0) {
        raise_error(5);
        return;
    }
    const double now = platform::ticks_ms();
    double& mark = frame_mark;
    if (mark == 0 || mark > now) {
        mark = now;
        return;
    }
    const double elapsed = now - mark;
    if (period > elapsed) {
        platform::sleep_ms(static_cast<uint32_t>(period - elapsed + 1));
        mark += period;
    } else if (elapsed <= period + 16) {
        mark += period;  // a little late: keep the phase
    } else {
        mark = now;  // far behind: start again from now rather than catch up
    }
}

void pace_in_real_time(double rate) {
    if (error_pending() || !(rate > 0)) return;
    const double period = 1000.0 / rate;
    double now = double(platform::wait_clock_ms());
    if (real_frame_mark == 0 || now - real_frame_mark > period + 16) {
        real_frame_mark = now;  // first pass, or far behind: start from now
        return;
    }
    real_frame_mark += period;
    while (now < real_frame_mark) {
        platform::poll_wait(uint32_t(real_frame_mark - now) + 1);
        now = double(platform::wait_clock_ms());
    }
}

void sleep_seconds(double seconds) {
    if (error_pending()) return;
    if (!(seconds >= 0 && seconds <= 2147483.647)) {
        raise_error(5);
        return;
    }
    // A close request during a long sleep ends it: the statement hook after this
    // step stops the thread.
    platform::sleep_ms_unless(static_cast<uint32_t>(seconds * 1000), shutdown_signal);
}

}  // namespace rt
