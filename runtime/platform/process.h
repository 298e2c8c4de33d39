// The process: its start, the program's folder, the console, the system's
// request to end, and the ways a thread or the whole process ends.
#pragma once

#include <string>

namespace rt::platform {

// First call of the process, before SDL starts.
void init_process();
// True once the system has asked the process to end (SIGTERM, SIGINT, a
// terminal's hang-up; on Windows a console's close or Ctrl+C): the display
// thread then shuts down as after a close of the window.
bool termination_requested();

// Sets an environment variable the libraries read, unless the player set it.
void set_environment_default(const char* name, const char* value);

// Full path of the running program file; empty when it cannot be had.
std::string program_file_path();
// Make `folder` the working directory; false when that fails.
bool set_working_directory(const std::string& folder);
// Console detach. On Linux the terminal is kept, so stderr stays visible; on
// Windows the console is let go and the starting console's taken for stderr.
void detach_console();

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

}  // namespace rt::platform
