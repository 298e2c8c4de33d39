// Waits between threads, real time in both platform variants (the virtual one
// uses this file as it is): polling sleeps, and waits on a shared word with an
// early wake-up, for hand-overs that must not cost a polling interval each time
// (the display thread answers every frame of the program thread).
//
// The word wait is a futex. C++20's std::atomic<T>::wait and notify_one would
// do the same on every system, but they take no time-out, and every wait here
// has one (the display thread's cycle of 16 ms waits on its request word until
// the next cycle is due). Windows has WaitOnAddress and WakeByAddressAll, which
// take one.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <linux/futex.h>
#include <poll.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <ctime>

#include "runtime/platform/wait.h"

namespace rt::platform {

static_assert(sizeof(std::atomic<int32_t>) == sizeof(int32_t) && std::atomic<int32_t>::is_always_lock_free,
              "the kernel waits on the word itself");

namespace {

int* word_address(const std::atomic<int32_t>& word) {
    return reinterpret_cast<int*>(const_cast<std::atomic<int32_t>*>(&word));
}

// Threads inside wait_on_word, counted by the word's address (words that share
// a count only cost a needless wake): a wake with nobody waiting (the display
// thread answering a frame the program thread does not wait for) costs no
// system call.
//
// Both sides read and write the count in one step, and those steps are ordered
// one after the other on the count. When the waker's comes first, it has
// published the word's new value to the waiter, whose step reads from it:
// the waiter sees the new value and does not sleep. When the waiter's comes
// first, the waker sees a count above 0 and calls the kernel, which wakes the
// waiter or makes it not sleep, the word no longer holding `seen`. Unlike a pair
// of fences, ThreadSanitizer follows this.
std::array<std::atomic<int32_t>, 16> waiting{};

std::atomic<int32_t>& waiting_on(const std::atomic<int32_t>& word) {
    return waiting[(reinterpret_cast<uintptr_t>(&word) / sizeof(int32_t)) % waiting.size()];
}

// The word the display thread waits on together with the window's input, and
// the event counter that wakes its poll. Set before the thread counts itself
// in, so that a waker that sees the count sees this too.
std::atomic<const std::atomic<int32_t>*> input_waiter{nullptr};
int wake_fd = -1;

// The window system connection SDL draws through, while a window exists; only
// the display thread, SDL's video thread, asks. Asked anew at every wait (a
// copy of a few fields), so that a window made again after SDL was shut down
// and started again is never watched through a closed connection.
Display* watched_display() {
    if (!SDL_GetVideoSurface()) return nullptr;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11 || !info.info.x11.display) return nullptr;
    if (wake_fd < 0) wake_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return wake_fd < 0 ? nullptr : info.info.x11.display;
}

// Input already read from the connection, where polling its descriptor would
// not see it: in SDL's queue, or in Xlib's (a present that waits for the
// server reads the events that came meanwhile).
bool input_queued(Display* d) {
    SDL_Event event;
    if (SDL_PeepEvents(&event, 1, SDL_PEEKEVENT, SDL_ALLEVENTS) > 0) return true;
    return XEventsQueued(d, QueuedAlready) > 0;
}

}  // namespace

void poll_wait(uint32_t ms) {
    if (ms == 0) {
        sched_yield();
        return;
    }
    timespec want{time_t(ms / 1000), long(ms % 1000) * 1000000L};
    while (nanosleep(&want, &want) == -1 && errno == EINTR) {
    }
}

void wait_on_word(const std::atomic<int32_t>& word, int32_t seen, uint32_t ms) {
    std::atomic<int32_t>& count = waiting_on(word);
    count.fetch_add(1, std::memory_order_acq_rel);
    if (word.load(std::memory_order_acquire) == seen) {
        timespec timeout{time_t(ms / 1000), long(ms % 1000) * 1000000L};
        // EINTR, EAGAIN (the word changed first) and the time-out all mean: look again.
        syscall(SYS_futex, word_address(word), FUTEX_WAIT_PRIVATE, seen, &timeout, nullptr, 0);
    }
    count.fetch_sub(1, std::memory_order_release);
}

bool wait_on_word_or_input(const std::atomic<int32_t>& word, int32_t seen, uint32_t ms) {
    Display* d = watched_display();
    if (!d) {
        wait_on_word(word, seen, ms);
        return false;
    }
    if (input_queued(d)) return true;
    input_waiter.store(&word, std::memory_order_relaxed);
    std::atomic<int32_t>& count = waiting_on(word);
    count.fetch_add(1, std::memory_order_acq_rel);
    bool input = false;
    if (word.load(std::memory_order_acquire) == seen) {
        pollfd fds[2] = {{ConnectionNumber(d), POLLIN, 0}, {wake_fd, POLLIN, 0}};
        if (poll(fds, 2, int(ms)) > 0) input = (fds[0].revents & POLLIN) != 0;
        uint64_t wakes;
        while (read(wake_fd, &wakes, sizeof wakes) > 0) {
        }
    }
    count.fetch_sub(1, std::memory_order_release);
    input_waiter.store(nullptr, std::memory_order_relaxed);
    return input;
}

void wake_word_waiters(std::atomic<int32_t>& word) {
    // Adds nothing: the step on the count is what orders the word's change.
    if (waiting_on(word).fetch_add(0, std::memory_order_acq_rel) == 0) return;
    if (input_waiter.load(std::memory_order_relaxed) == &word) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t written = write(wake_fd, &one, sizeof one);
    }
    syscall(SYS_futex, word_address(word), FUTEX_WAKE_PRIVATE, 0x7fffffff, nullptr, nullptr, 0);
}

uint64_t wait_clock_ms() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
}

}  // namespace rt::platform
