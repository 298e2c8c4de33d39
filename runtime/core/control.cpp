// The shared control words. Each is written by one thread and polled by others;
// they are atomics so that the hand-over is well defined, but the design stays
// one of plain words polled with short sleeps.
#include "runtime/core/core.h"
#include "runtime/platform/process.h"
#include "runtime/platform/wait.h"

namespace rt {

std::atomic<int32_t> attention_flag{0};
std::atomic<int32_t> retry_flag{0};
std::atomic<uint8_t> stop_request{0};
std::atomic<uint8_t> end_request{0};
std::atomic<uint8_t> pause_bits{0};
std::atomic<int32_t> pending_error{0};
std::atomic<int32_t> error_line{0};
std::atomic<uint32_t> thread_done_bits{0};

std::atomic<int32_t> display_thread_running{0};
std::atomic<int32_t> exit_request{-1};
std::atomic<int32_t> shutdown_signal{0};

ScreenSwitch screen_switch;

namespace {
thread_local bool this_is_display_thread = false;
}

void mark_display_thread() { this_is_display_thread = true; }
bool is_display_thread() { return this_is_display_thread; }

void end_process(int32_t code) {
    if (this_is_display_thread || display_thread_running.load(std::memory_order_acquire) == 0)
        platform::exit_process(code);
    exit_request.store(code, std::memory_order_release);
    for (;;) {
        // A display thread that is shutting down waits for this thread instead.
        if (stop_request.load(std::memory_order_acquire) == 1) platform::exit_process(code);
        platform::poll_wait(1);
    }
}

}  // namespace rt
