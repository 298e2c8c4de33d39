// Controls of the virtual platform variant, used by the tests and the replay
// runner. It replaces the program's clock, the key indicators, the message boxes
// and the frame boundary, and shares the rest with the system's own platform.
// Only programs linked with rt_platform_virtual may call these.
//
// The virtual clock starts at tick 0 and advances only through sleep_ms, that is
// when the program asks for a delay; the calendar is fixed by set_calendar.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/platform/dialogs.h"
#include "runtime/platform/keys.h"

namespace rt::virtual_platform {

// Current virtual tick count.
uint32_t now();
// Move the virtual clock (tests only; the program moves it with sleep_ms).
void set_ticks(uint32_t ticks);
void advance(uint32_t ms);

// Calendar: whole seconds at tick 0 and the local seconds since midnight then.
// Default: calendar 1,000,000,000, local time 12:00:00. `available` false makes
// calendar_milliseconds and local_seconds_of_day fail.
void set_calendar(int64_t calendar_at_tick0, int32_t seconds_of_day_at_tick0, bool available = true);

// Lock keys and modifiers that read_key_state reports.
void set_key_state(const platform::KeyState& state);

// Dialogs: every box shown is recorded; answers are taken from the queue in
// order, and when it is empty every Yes/No box is answered `fallback`.
struct Box {
    std::string text, caption;
    bool yes_no = false;
};
void push_answer(platform::Answer answer);
void set_fallback_answer(platform::Answer answer);
std::vector<Box> boxes();
void clear_boxes();

// Runs at every frame boundary (after each display_now), on the program thread.
void set_frame_hook(std::function<void()> hook);

// Number of sleep_ms calls and the virtual milliseconds they added up to.
uint64_t sleep_count();
uint64_t slept_ms();

}  // namespace rt::virtual_platform
