// The virtual platform: a clock that moves only when the program asks for a
// delay, a fixed calendar, scripted dialog answers and a frame hook. Tests and
// the replay runner link it instead of the Linux layer, so that a replay gives
// the same results on every run and every machine.
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string>
#include <vector>
#include <mutex>
#include <thread>

#include "runtime/platform/platform.h"
#include "runtime/platform/virtual.h"

namespace rt {

namespace {

std::atomic<uint32_t> clock_ticks{0};
std::atomic<uint64_t> sleeps{0};
std::atomic<uint64_t> slept{0};

std::mutex state_lock;  // guards everything below
int64_t calendar_at_tick0 = 1000000000;
int32_t day_seconds_at_tick0 = 12 * 3600;
bool calendar_available = true;
platform::KeyState key_state;
std::deque<platform::Answer> answers;
platform::Answer fallback = platform::Answer::no;
std::vector<virtual_platform::Box> shown;
std::function<void()> frame_hook;

}  // namespace

namespace virtual_platform {

uint32_t now() { return clock_ticks.load(); }
void set_ticks(uint32_t ticks) { clock_ticks.store(ticks); }
void advance(uint32_t ms) { clock_ticks.fetch_add(ms); }

void set_calendar(int64_t calendar, int32_t seconds_of_day, bool available) {
    std::lock_guard<std::mutex> guard(state_lock);
    calendar_at_tick0 = calendar;
    day_seconds_at_tick0 = seconds_of_day;
    calendar_available = available;
}

void set_key_state(const platform::KeyState& state) {
    std::lock_guard<std::mutex> guard(state_lock);
    key_state = state;
}

void push_answer(platform::Answer answer) {
    std::lock_guard<std::mutex> guard(state_lock);
    answers.push_back(answer);
}

void set_fallback_answer(platform::Answer answer) {
    std::lock_guard<std::mutex> guard(state_lock);
    fallback = answer;
}

std::vector<Box> boxes() {
    std::lock_guard<std::mutex> guard(state_lock);
    return shown;
}

void clear_boxes() {
    std::lock_guard<std::mutex> guard(state_lock);
    shown.clear();
}

void set_frame_hook(std::function<void()> hook) {
    std::lock_guard<std::mutex> guard(state_lock);
    frame_hook = std::move(hook);
}

uint64_t sleep_count() { return sleeps.load(); }
uint64_t slept_ms() { return slept.load(); }

}  // namespace virtual_platform

namespace platform {

void init_process() {}

bool termination_requested() { return false; }

std::string program_file_path() {
    char buffer[65536];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, size_t(n)) : std::string();
}

bool set_working_directory(const std::string& folder) { return chdir(folder.c_str()) == 0; }

void detach_console() {}

uint32_t ticks_ms() { return clock_ticks.load(); }

void sleep_ms(uint32_t ms) {
    clock_ticks.fetch_add(ms);
    sleeps.fetch_add(1);
    slept.fetch_add(ms);
    std::this_thread::yield();
}

void sleep_ms_unless(uint32_t ms, const std::atomic<int32_t>&) { sleep_ms(ms); }

void poll_wait(uint32_t ms) {
    if (ms == 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool calendar_milliseconds(int64_t& milliseconds) {
    std::lock_guard<std::mutex> guard(state_lock);
    if (!calendar_available) return false;
    milliseconds = calendar_at_tick0 * 1000 + clock_ticks.load();
    return true;
}

bool local_seconds_of_day(int64_t seconds, int32_t& seconds_of_day) {
    std::lock_guard<std::mutex> guard(state_lock);
    if (!calendar_available) return false;
    int64_t s = (day_seconds_at_tick0 + (seconds - calendar_at_tick0)) % 86400;
    if (s < 0) s += 86400;
    seconds_of_day = int32_t(s);
    return true;
}

KeyState read_key_state() {
    std::lock_guard<std::mutex> guard(state_lock);
    return key_state;
}

Answer message_box(const std::string& text, const std::string& caption, bool yes_no) {
    std::lock_guard<std::mutex> guard(state_lock);
    shown.push_back({text, caption, yes_no});
    // Also on stderr, so that a test watching a child process can read it.
    std::fprintf(stderr, "[box] %s\n%s\n", caption.c_str(), text.c_str());
    if (!yes_no) return Answer::ok;
    if (answers.empty()) return fallback;
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

void watch_display_connection() {}

void abandon_process(int code) {
    std::fflush(nullptr);
    _exit(code);
}

void exit_thread() { pthread_exit(nullptr); }

void exit_process(int code) {
    std::fflush(nullptr);
    std::exit(code);
}

void frame_boundary() {
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> guard(state_lock);
        hook = frame_hook;
    }
    if (hook) hook();
}

}  // namespace platform
}  // namespace rt
