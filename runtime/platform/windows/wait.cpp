// Waits between threads, real time in both platform variants (the virtual one
// uses this file as it is): polling sleeps, and waits on a shared word with an
// early wake-up and a time-out (WaitOnAddress), for hand-overs that must not
// cost a polling interval each time.
#include <windows.h>

#include <SDL.h>
#include <SDL_syswm.h>

#include <array>

#include "runtime/platform/wait.h"

namespace rt::platform {

static_assert(sizeof(std::atomic<int32_t>) == sizeof(int32_t) && std::atomic<int32_t>::is_always_lock_free,
              "the system waits on the word itself");

namespace {

void* word_address(const std::atomic<int32_t>& word) {
    return const_cast<std::atomic<int32_t>*>(&word);
}

// Threads inside a word wait, counted by the word's address, so that a wake with
// nobody waiting costs no system call. The count's read-modify-write steps order
// the word's change between waker and waiter, as in the Linux variant.
std::array<std::atomic<int32_t>, 16> waiting{};

std::atomic<int32_t>& waiting_on(const std::atomic<int32_t>& word) {
    return waiting[(reinterpret_cast<uintptr_t>(&word) / sizeof(int32_t)) % waiting.size()];
}

// The word the display thread waits on together with its window's messages, and
// the event that ends that wait. Set before the thread counts itself in.
std::atomic<const std::atomic<int32_t>*> input_waiter{nullptr};
std::atomic<HANDLE> wake_event{nullptr};

// SDL's window, when it exists and its messages come to the calling thread (the
// thread that made it: the display thread).
bool window_messages_here() {
    if (!SDL_GetVideoSurface()) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || !info.window) return false;
    if (GetWindowThreadProcessId(info.window, nullptr) != GetCurrentThreadId()) return false;
    if (!wake_event.load()) wake_event.store(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    return wake_event.load() != nullptr;
}

}  // namespace

void poll_wait(uint32_t ms) { Sleep(ms); }

void wait_on_word(const std::atomic<int32_t>& word, int32_t seen, uint32_t ms) {
    std::atomic<int32_t>& count = waiting_on(word);
    count.fetch_add(1, std::memory_order_acq_rel);
    // A time-out, a wake or a changed word all mean: look again.
    if (word.load(std::memory_order_acquire) == seen) WaitOnAddress(word_address(word), &seen, sizeof seen, ms);
    count.fetch_sub(1, std::memory_order_release);
}

bool wait_on_word_or_input(const std::atomic<int32_t>& word, int32_t seen, uint32_t ms) {
    if (!window_messages_here()) {
        wait_on_word(word, seen, ms);
        return false;
    }
    SDL_Event event;
    if (SDL_PeepEvents(&event, 1, SDL_PEEKEVENT, SDL_ALLEVENTS) > 0) return true;
    input_waiter.store(&word, std::memory_order_relaxed);
    std::atomic<int32_t>& count = waiting_on(word);
    count.fetch_add(1, std::memory_order_acq_rel);
    bool input = false;
    if (word.load(std::memory_order_acquire) == seen) {
        HANDLE event_handle = wake_event.load();
        // MWMO_INPUTAVAILABLE: messages already in the queue count too, not only new ones.
        const DWORD woken = MsgWaitForMultipleObjectsEx(1, &event_handle, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        input = woken == WAIT_OBJECT_0 + 1;
        ResetEvent(event_handle);
    }
    count.fetch_sub(1, std::memory_order_release);
    input_waiter.store(nullptr, std::memory_order_relaxed);
    return input;
}

void wake_word_waiters(std::atomic<int32_t>& word) {
    // Adds nothing: the step on the count is what orders the word's change.
    if (waiting_on(word).fetch_add(0, std::memory_order_acq_rel) == 0) return;
    if (input_waiter.load(std::memory_order_relaxed) == &word) SetEvent(wake_event.load());
    WakeByAddressAll(word_address(word));
}

uint64_t wait_clock_ms() {
    // Asked here, not kept in a global: the clock's own start-up value calls this
    // while the program loads, in an order between files nobody fixes.
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return uint64_t(now.QuadPart / frequency.QuadPart) * 1000u +
           uint64_t(now.QuadPart % frequency.QuadPart) * 1000u / uint64_t(frequency.QuadPart);
}

}  // namespace rt::platform
