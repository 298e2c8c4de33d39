// Virtual key indicators: whatever the test set last.
#include <mutex>

#include "runtime/platform/keys.h"
#include "runtime/platform/virtual/virtual.h"

namespace rt {

namespace {

std::mutex key_lock;  // guards key_state
platform::KeyState key_state;

}  // namespace

void virtual_platform::set_key_state(const platform::KeyState& state) {
    std::lock_guard<std::mutex> guard(key_lock);
    key_state = state;
}

platform::KeyState platform::read_key_state() {
    std::lock_guard<std::mutex> guard(key_lock);
    return key_state;
}

}  // namespace rt
