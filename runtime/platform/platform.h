// The platform layer: the few operating-system services the runtime needs
// besides SDL. Two variants exist, chosen at link time:
//   platform_linux.cpp   - the real thing (the shipped game);
//   platform_virtual.cpp - a virtual clock, scripted dialog answers and a frame
//                          hook, for tests and the replay runner (see virtual.h).
// Nothing outside this folder knows which operating system it runs on.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace rt::platform {

// First call of the process, before SDL starts.
void init_process();
// True once the system has asked the process to end (SIGTERM, SIGINT, a
// terminal's hang-up): the display thread then shuts down as after a close of
// the window.
bool termination_requested();

// Full path of the running program file; empty when it cannot be had.
std::string program_file_path();
// Make `folder` the working directory; false when that fails.
bool set_working_directory(const std::string& folder);
// Console detach. On Linux the terminal is kept, so stderr stays visible.
void detach_console();

// Millisecond tick count since the process started (wraps at 2^32).
uint32_t ticks_ms();
// A delay the program itself asks for (frame pacing, pauses). 0 only yields.
// The virtual clock advances by exactly `ms`.
void sleep_ms(uint32_t ms);
// The same, ended early once `word` is no longer 0 (a shutdown must not wait for
// the end of a long sleep). The virtual clock advances by exactly `ms`.
void sleep_ms_unless(uint32_t ms, const std::atomic<int32_t>& word);
// A wait for another thread to hand something over (polling loops of the
// display thread, the statement hook, handshakes). 0 only yields. Never moves
// the virtual clock, so replays stay deterministic whatever the scheduler does.
void poll_wait(uint32_t ms);

// A hand-over wait that another thread can cut short: returns once `word` no
// longer holds `seen`, when wake_word_waiters is called on it, or after `ms`
// milliseconds of real time, whichever comes first (it may also return early
// for no reason: callers look at the word again). Never moves the virtual clock.
void wait_on_word(const std::atomic<int32_t>& word, int32_t seen, uint32_t ms);
void wake_word_waiters(std::atomic<int32_t>& word);
// Real milliseconds from an arbitrary start, for the deadlines of such waits.
uint64_t wait_clock_ms();

// Calendar time in milliseconds; false when it is not available.
bool calendar_milliseconds(int64_t& milliseconds);
// Seconds since local midnight of calendar time `seconds`; false when unknown.
bool local_seconds_of_day(int64_t seconds, int32_t& seconds_of_day);

// Lock-key toggles and held modifier keys as the system sees them.
struct KeyState {
    bool caps_lock = false, num_lock = false, scroll_lock = false;
    bool left_shift = false, right_shift = false;
    bool left_ctrl = false, right_ctrl = false;
    bool left_alt = false, right_alt = false;
};
KeyState read_key_state();

// A modal dialog independent of the game window.
enum class Answer { yes, no, ok };
// yes_no: buttons Yes and No; otherwise a single OK button.
Answer message_box(const std::string& text, const std::string& caption, bool yes_no);

// Once the window system is up: losing the connection to it ends the process
// at once with exit code 1 and one line on stderr, without exit handlers (the
// other threads may be inside the window system's library at that moment).
void watch_display_connection();
// Shuts the window down from the display thread (the screen's mode restored)
// and ends the process with `code` without running exit handlers: for a
// shutdown that cannot wait for another thread stuck inside a library call.
[[noreturn]] void abandon_process(int code);

// End the calling thread. May return on platforms that cannot do it.
void exit_thread();
// End the process now; exit handlers run.
[[noreturn]] void exit_process(int code);

// Called by the runtime after every presented frame of `display_now`.
void frame_boundary();

}  // namespace rt::platform
