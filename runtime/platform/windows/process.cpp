// The Windows process: the timer resolution, the console's and the session's
// end, the program file, the working directory and the ways a thread or the
// process ends. The virtual platform uses this file as it is.
#include <windows.h>

#include <mmsystem.h>
#include <process.h>

#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/platform/process.h"
#include "runtime/platform/windows/text.h"

namespace rt::platform {

namespace {

// Set by the console's control handler, read by the display thread.
std::atomic<bool> termination{false};

BOOL WINAPI on_console_event(DWORD event) {
    termination.store(true);
    // After a close, log-off or shut-down the system ends the process as soon as
    // this returns: hold it while the display thread shuts down and exits.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) Sleep(10000);
    return TRUE;
}

// The standard error handle the parent gave, if any; taken before anything reopens it.
HANDLE inherited_stderr = nullptr;

}  // namespace

void init_process() {
    inherited_stderr = GetStdHandle(STD_ERROR_HANDLE);
    // Sleep(1) lasts a whole timer period, 15.6 ms by default: the display
    // thread's cycle and the frame pacing need milliseconds.
    timeBeginPeriod(1);
    SetConsoleCtrlHandler(on_console_event, TRUE);
}

bool termination_requested() { return termination.load(); }

void set_environment_default(const char* name, const char* value) {
    if (!std::getenv(name)) _putenv_s(name, value);
}

std::string program_file_path() {
    std::wstring buffer(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
    if (n == 0 || n >= buffer.size()) return {};
    buffer.resize(n);
    return utf8(buffer);
}

bool set_working_directory(const std::string& folder) {
    // "C:" alone names the drive's current folder: its root is meant.
    const std::string path = folder.size() == 2 && folder[1] == ':' ? folder + "\\" : folder;
    return SetCurrentDirectoryW(wide(path).c_str()) != 0;
}

void detach_console() {
    FreeConsole();
    // Started from a console: its window keeps the runtime's stderr lines,
    // unless the parent already sent them elsewhere.
    if (!inherited_stderr && AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (std::FILE* console = std::freopen("CONOUT$", "w", stderr)) std::setvbuf(console, nullptr, _IONBF, 0);
    }
}

// Nothing to watch: the window system is part of the process's own session.
void watch_display_connection() {}

void abandon_process(int code) {
    std::fflush(nullptr);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    TerminateProcess(GetCurrentProcess(), UINT(code));
    for (;;) Sleep(INFINITE);
}

// The runtime's threads are SDL's, started with _beginthreadex.
void exit_thread() { _endthreadex(0); }

void exit_process(int code) {
    std::fflush(nullptr);
    std::exit(code);
}

}  // namespace rt::platform
