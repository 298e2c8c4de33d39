// The runtime's ground floor: what every subsystem needs and nothing above it
// knows. The words through which the program, display and timer threads hand
// over (polled with short sleeps, never locks), runtime errors and the ends of
// the process, the report of a file the game cannot use, and the screen
// switch through which the image store asks whoever presents to keep off the
// page in view.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace rt {

// ---------------------------------------------------------------- control words
// 1 = run the statement hook after the step just finished.
extern std::atomic<int32_t> attention_flag;
// 1 = run the step just finished once more (set by the statement hook).
extern std::atomic<int32_t> retry_flag;
// 1 = the program thread must stop at its next statement hook.
extern std::atomic<uint8_t> stop_request;
// 1 = the display thread must leave its loop and shut down.
extern std::atomic<uint8_t> end_request;
// Any bit holds the program thread in the statement hook.
extern std::atomic<uint8_t> pause_bits;
constexpr uint8_t paused_by_key = 1;
constexpr uint8_t paused_by_tones = 2;
// Threads that have finished, for the shutdown.
extern std::atomic<uint32_t> thread_done_bits;
constexpr uint32_t program_thread_done = 1;
constexpr uint32_t timer_thread_done = 2;
// 1 while the display thread runs its loop.
extern std::atomic<int32_t> display_thread_running;
// -1 none; otherwise the exit code another thread asks the display thread to end with.
extern std::atomic<int32_t> exit_request;
// Set once by the shutdown and its waiters woken, so that the threads that sleep
// (the timer thread, sleep_seconds) need not poll for it.
extern std::atomic<int32_t> shutdown_signal;

// Called once by the display thread when it enters its loop.
void mark_display_thread();
bool is_display_thread();

// ------------------------------------------------------------ runtime errors
// The pending runtime error (0 = none) and the step number it was reported in.
extern std::atomic<int32_t> pending_error;
extern std::atomic<int32_t> error_line;

// Records an ordinary error (the first of a step wins; numbers below 1 become 5)
// and returns the number in force; critical numbers end the process.
int32_t raise_error(int32_t number);
inline bool error_pending() { return pending_error.load(std::memory_order_acquire) != 0; }
// The critical path of raise_error: message box, then exit code 0.
[[noreturn]] void critical_error(int32_t number);
// True for 256, 257, 259, 260 and 502..517.
bool is_critical_error(int32_t number);
// The message of an ordinary error number, or "Unprintable error".
const char* error_message(int32_t number);
// The texts of a report: "Line:<line>\n<message>\nContinue?" and "Unhandled Error #<n>".
std::string error_report_text(int32_t number, int32_t line);
std::string error_report_caption(int32_t number);
// Message and caption of a critical error.
std::string critical_error_text(int32_t number);
std::string critical_error_caption(int32_t number);

// Ends the process. SDL is shut down by the exit handlers, so while the display
// loop runs, only the display thread may run them: any other thread hands the
// code over and waits.
[[noreturn]] void end_process(int32_t code);

// ---------------------------------------------------------------- file report
// A picture or sound the game cannot use gets one line on stderr, besides the
// runtime error that follows when the game uses the missing handle: the error
// report only shows a line number, the stderr line says which file and why.

// Why the file `name` (relative to the working directory) could not be used,
// as found now: "not found", "not a file", "cannot be read" or "damaged" (it
// exists and reads, so its contents were refused).
std::string file_problem(const std::string& name);
// Writes "Unable to load <kind> <full path>: <problem>" to stderr, once per
// name for the whole run (a one-shot sound is asked for again and again).
// An empty name was never a file and is not reported.
void report_unusable_file(const char* kind, const std::string& name);

// -------------------------------------------------------------- screen switch
// While the image store remakes or releases the page in view, whoever presents
// it must keep off. The presenter installs the two calls (the host does, for
// its display thread); without one they do nothing.
struct ScreenSwitch {
    void (*begin)() = nullptr;  // returns once nobody presents the page
    void (*end)() = nullptr;
};
extern ScreenSwitch screen_switch;
inline void begin_screen_switch() {
    if (screen_switch.begin) screen_switch.begin();
}
inline void end_screen_switch() {
    if (screen_switch.end) screen_switch.end();
}

}  // namespace rt
