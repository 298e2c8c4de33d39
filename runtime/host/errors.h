// Runtime errors: what every subsystem needs to report misuse, and the ends of
// the process for failures that cannot go on. Kept apart from the rest of the
// host so that a subsystem can report errors without knowing the host.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace rt {

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

}  // namespace rt
