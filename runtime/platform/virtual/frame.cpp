// The virtual frame boundary runs the frame hook of the test or replay.
#include <mutex>

#include "runtime/platform/frame.h"
#include "runtime/platform/virtual/virtual.h"

namespace rt {

namespace {

std::mutex hook_lock;  // guards frame_hook
std::function<void()> frame_hook;

}  // namespace

void virtual_platform::set_frame_hook(std::function<void()> hook) {
    std::lock_guard<std::mutex> guard(hook_lock);
    frame_hook = std::move(hook);
}

void platform::frame_boundary() {
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> guard(hook_lock);
        hook = frame_hook;
    }
    if (hook) hook();
}

}  // namespace rt
