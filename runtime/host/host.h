// The runtime host: process entry, the display and program threads, the statement
// hook that the game routine runs between its steps, the report of runtime
// errors, and presentation and timing. The words the threads hand over through
// are the core's, but for presentation's own below.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// Where SDL starts the process itself (Windows), the program's main is renamed
// to the entry SDL calls.
#include <SDL_main.h>

#include "runtime/core/core.h"

namespace rt {

struct StrVal;

// ------------------------------------------------------- presentation words
// Who presents the display page.
enum class AutoDisplay : int32_t {
    off = 0,          // the program thread presents by itself (display_now)
    on = 1,           // the display thread presents on every second cycle
    one_update = -1,  // display_now asked the display thread for one update
};
extern std::atomic<AutoDisplay> auto_display;
// A screen switch on the program thread and the display thread's answer.
enum class DisplayHold : int32_t {
    free = 0,
    asked = 1,  // the program thread asks the display thread to stop presenting
    held = 2,   // the display thread presents nothing until the word is free
};
extern std::atomic<DisplayHold> display_hold;
// The window's state, and a request for one.
enum class ScreenMode : int32_t {
    none = -1,     // no request
    windowed = 0,
    best = 1,      // full-screen in the best listed mode
    best_4_3 = 2,  // full-screen in the best 4:3 mode
};
extern std::atomic<ScreenMode> full_screen_state;
extern std::atomic<ScreenMode> full_screen_request;
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
// raise_error and the rest of the error reporter are the core's. Shows the pending error, continues (Yes) or ends the program (No).
void report_error();

// ------------------------------------------------------ presentation and timing
struct VideoMode {
    int32_t width = 0, height = 0;
};
// Full-screen modes offered by the platform, in its order, read at start-up.
extern std::vector<VideoMode> full_screen_modes;
extern bool any_video_size;
// The desktop's size before the first window opened (0 by 0 when unknown).
extern VideoMode desktop_size;

// How the page fills a screen or window of another size.
enum class Look : int32_t {
    sharp,     // the largest picture of the page's shape, seams blended (the default)
    pixel,     // the largest whole multiple of the page
    original,  // unscaled, in the listed mode that fits it best; the window the page's size
    stretch,   // the whole screen or window, whatever its shape
};
// Whether the game starts in a window or full-screen.
enum class StartScreen : int32_t {
    as_asked,     // as the game asks (full-screen)
    window,       // in a window: the game's requests for full-screen are not served
    full_screen,  // full-screen from the first frame
};
struct ScreenChoice {
    Look look = Look::sharp;
    StartScreen start = StartScreen::as_asked;
};
// The player's choice, from the command line and the environment.
extern ScreenChoice screen_choice;
// Reads the player's options (and their environment variables) into `choice`,
// the arguments that are no options into `rest`. -1 to go on; otherwise the
// exit code to end with, after the help, the version or a line naming a wrong option.
int read_options(int argc, char** argv, ScreenChoice& choice, std::string& rest);

// Mode choice for a picture of width x height: indices into `modes`, -1 for none.
struct ModeChoice {
    int32_t best = -1;
    int32_t best_4_3 = -1;
};
ModeChoice choose_modes(const std::vector<VideoMode>& modes, int32_t width, int32_t height);

// Presents the display page in the window; returns the auto-display state found
// at its start (a one_update is then cleared).
AutoDisplay display_update();
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
