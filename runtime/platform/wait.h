// Waits between threads: polling intervals and hand-overs on a shared word.
// They are real time on every platform variant, the virtual one included, so
// that a replay's results never depend on how the threads are scheduled.
#pragma once

#include <atomic>
#include <cstdint>

namespace rt::platform {

// A wait for another thread to hand something over (polling loops of the
// display thread, the statement hook, handshakes). 0 only yields. Never moves
// the program's clock.
void poll_wait(uint32_t ms);

// A hand-over wait that another thread can cut short: returns once `word` no
// longer holds `seen`, when wake_word_waiters is called on it, or after `ms`
// milliseconds of real time, whichever comes first (it may also return early
// for no reason: callers look at the word again).
void wait_on_word(const std::atomic<int32_t>& word, int32_t seen, uint32_t ms);
// The display thread's wait on its request word: wait_on_word's, ended as well
// as soon as the window system has input for the window (a key, a close),
// so that a key is taken the moment it is pressed. True when input waits.
// Until the window exists, or where its input cannot be watched (no window
// system connection, as with SDL's dummy driver), it is wait_on_word.
bool wait_on_word_or_input(const std::atomic<int32_t>& word, int32_t seen, uint32_t ms);
// Called after changing `word`. Cheap when nobody waits on it.
void wake_word_waiters(std::atomic<int32_t>& word);
// Real milliseconds from an arbitrary start, for the deadlines of such waits.
uint64_t wait_clock_ms();

}  // namespace rt::platform
