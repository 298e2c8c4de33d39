// The runtime host: process entry, the shared control words through which the
// display, program and timer threads hand over, the statement hook that the game
// routine runs between its steps, runtime errors, and presentation and timing.
//
// The threads hand over through words polled with short sleeps, never locks.
// Every such word is a std::atomic; the polling design itself is kept.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/host/errors.h"

namespace rt {

struct StrVal;

// ---------------------------------------------------------------- control words
// 1 = run the statement hook after the step just finished.
extern std::atomic<int32_t> attention_flag;
// 1 = run the step just finished once more (set by the statement hook).
extern std::atomic<int32_t> retry_flag;
// 1 = the program thread must stop at its next statement hook.
extern std::atomic<uint8_t> stop_request;
// 1 = the display thread must leave its loop and shut down.
extern std::atomic<uint8_t> end_request;
// bit 0: held by the Pause key; bit 1: held by the tone queue. Any bit holds the
// program thread in the statement hook.
extern std::atomic<uint8_t> pause_bits;
// bit value 1: program thread stopped; 2: timer thread ended.
extern std::atomic<uint32_t> thread_done_bits;

// ------------------------------------------------------- presentation words
// 1 = the display thread presents on every second cycle; -1 = one update asked
// for by display_now; 0 = the program thread presents by itself.
extern std::atomic<int32_t> auto_display;
// 0 free; 1 the program thread asks the display thread to stop presenting;
// 2 the display thread has seen it and presents nothing until the word is 0.
extern std::atomic<int32_t> display_hold;
// 0 windowed, 1 full-screen in the best listed mode, 2 in the best 4:3 mode.
extern std::atomic<int32_t> full_screen_state;
// -1 none, otherwise the wanted full-screen state.
extern std::atomic<int32_t> full_screen_request;
// Alt+Enter presses not yet served by the display update.
extern std::atomic<int32_t> mode_toggle_count;
// 1 while the display thread runs its loop (select_screen holds it only then).
extern std::atomic<int32_t> display_thread_running;
// -1 none; otherwise the exit code another thread asks the display thread to end with.
extern std::atomic<int32_t> exit_request;
// Work on the window the program thread hands to the display thread (bits below);
// each bit is cleared once its work is done.
extern std::atomic<int32_t> window_requests;
// Set once by the shutdown and its waiters woken, so that the threads that sleep
// (the timer thread, sleep_seconds) need not poll for it.
extern std::atomic<int32_t> shutdown_signal;
constexpr int32_t window_request_present = 1;  // run the display update
constexpr int32_t window_request_caption = 2;  // set the caption
constexpr int32_t window_request_frame = 4;    // present the frame display_now took

// Called once by the display thread when it enters its loop.
void mark_display_thread();
bool is_display_thread();

// Has the display thread do `request` (window_request_* bits) and waits until it
// is done; on the display thread itself, or without one, does it at once.
void on_display_thread(int32_t request);
// display_now's frame with automatic presentation off: the display page's changes
// taken and handed to the display thread without waiting for the window (only
// for the previous frame, when it is still being presented); on the display
// thread itself, or without one, the page is presented at once.
void hand_frame_to_display_thread();
// The display thread's sleep: `ms` milliseconds, serving requests as they come.
void display_thread_idle(uint32_t ms);
void serve_window_requests();
// The display loop's update while the game presents by itself: a frame that
// display_now handed over just before is presented first.
void present_automatically();

// ------------------------------------------------------------ statement hook
// Run by the game routine after a step when the attention flag is 1.
void statement_hook(int32_t step_number);
// Marks the program thread stopped, waits for the stop request and ends the thread.
[[noreturn]] void stop_program_thread();
// The orderly end the game uses when the player quits.
[[noreturn]] void end_program();
// Window and icon caption.
void set_window_title(const StrVal* title);
// randomize without a seed: asks for one on the screen and reads it from the keyboard.
void randomize_prompt();

// The process entry: start-up, display loop and shutdown around `game_routine`,
// which runs on the program thread. Returns only when a thread cannot be created.
int runtime_main(int argc, char** argv, void (*game_routine)());

// ------------------------------------------------------------ runtime errors
// raise_error and the rest of the error reporter: runtime/host/errors.h.
// Shows the pending error, continues (Yes) or ends the program (No).
void report_error();

// ------------------------------------------------------ presentation and timing
struct VideoMode {
    int32_t width = 0, height = 0;
};
// Full-screen modes offered by the platform, in its order, read at start-up.
extern std::vector<VideoMode> full_screen_modes;
extern bool any_video_size;

// Mode choice for a picture of width x height: indices into `modes`, -1 for none.
struct ModeChoice {
    int32_t best = -1;
    int32_t best_4_3 = -1;
};
ModeChoice choose_modes(const std::vector<VideoMode>& modes, int32_t width, int32_t height);

// Presents the display page in the window; returns the auto-display state found
// at its end before a -1 is cleared.
int32_t display_update();
void display_now();
// option: 0 none given, 1 off, 2 stretched, 3 square pixels.
void set_full_screen(int32_t option);
void limit_rate(double rate);
void sleep_seconds(double seconds);
// At most `rate` passes a second for a loop that only waits for a key: waits
// real time until a period after the previous pass. Unlike limit_rate it never
// moves the game's clock, so a replay's timer readings stay as they were.
void pace_in_real_time(double rate);

}  // namespace rt
