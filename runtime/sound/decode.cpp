// Ogg Vorbis chunks decoded by a worker thread. A chunk is decoded whole when it
// is opened, and a minute of Vorbis takes the best part of a tenth of a second:
// the open (and the first play or loop asked for before the decode ends) would
// hold the game's next frame that long. The worker decodes while the game goes
// on and starts that first play itself once the sound is there. Everything else
// done to the sound, and every other file opened, first waits for the decode:
// what the game sees of its sounds stays as it was, only sooner.
#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/core/core.h"
#include "runtime/platform/clock.h"
#include "runtime/sound/sound_internal.h"

namespace rt::sound {

namespace {

// What the program thread asks of the decode, and the worker's end, in one word
// so that a start asked for just as the decode ends is made by one of the two.
constexpr int32_t want_play = 1;
constexpr int32_t want_loop = 2;
constexpr int32_t decoded = 4;

// The decode in progress. The worker writes the fields below the word, the
// program thread reads them once it has joined the worker.
struct Job {
    std::thread worker;
    int32_t index = -1;  // the slot the chunk is for; -1: no decode in progress
    std::string path;
    std::vector<uint8_t> bytes;  // the checked file
    std::atomic<int32_t> word{0};
    Mix_Chunk* chunk = nullptr;
    bool started = false;  // the worker made the start asked for
    bool start_ok = false;
    uint32_t start_time = 0;
};

Job job;
std::atomic<bool> held{false};

// The first start of a sound nothing else has been done to (any other operation
// waits for the decode), so no placement or play limit applies.
bool start_fresh(int32_t index, Mix_Chunk* chunk, int32_t asked) {
    return Mix_PlayChannelTimed(index, chunk, (asked & want_loop) ? -1 : 0, -1) != -1;
}

void decode() {
    while (held.load(std::memory_order_acquire)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    SDL_RWops* memory = SDL_RWFromConstMem(job.bytes.data(), int(job.bytes.size()));
    job.chunk = memory ? Mix_LoadWAV_RW(memory, 1) : nullptr;
    const int32_t asked = job.word.fetch_or(decoded, std::memory_order_acq_rel);
    if ((asked & (want_play | want_loop)) != 0 && job.chunk != nullptr) {
        job.start_ok = start_fresh(job.index, job.chunk, asked);
        job.start_time = platform::ticks_ms();
        job.started = true;
    }
}

}  // namespace

int32_t open_decoded_later(const std::string& path, std::vector<uint8_t>&& bytes, uint8_t capabilities) {
    if (first_free_slot() < 0) return 0;
    // Opening it as a stream reads the Vorbis headers: a file the decode would
    // refuse is refused here, at the open, as before.
    SDL_RWops* memory = SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
    Mix_Music* probe = memory ? Mix_LoadMUS_RW(memory) : nullptr;
    if (probe != nullptr) Mix_FreeMusic(probe);
    if (memory != nullptr) SDL_RWclose(memory);
    if (probe == nullptr) {
        report_unusable_file("sound", path);
        return 0;
    }
    const int32_t handle = register_chunk(nullptr, capabilities);
    if (handle == 0) return 0;
    job.index = find_slot(handle);
    job.path = path;
    job.bytes = std::move(bytes);
    job.word.store(0, std::memory_order_relaxed);
    job.chunk = nullptr;
    job.started = job.start_ok = false;
    job.worker = std::thread(decode);
    return handle;
}

bool decoding(int32_t index) { return job.index >= 0 && job.index == index; }

bool start_when_decoded(int32_t index, bool loop) {
    if (!decoding(index) || (job.word.load(std::memory_order_acquire) & (want_play | want_loop)) != 0) return false;
    Slot& slot = state.slots[size_t(index)];
    if (slot.closed) return false;
    slot.playing = 1;
    slot.looping = loop ? 1 : 0;
    slot.paused = 0;
    slot.start_time = platform::ticks_ms();
    const int32_t before = job.word.fetch_or(loop ? want_loop : want_play, std::memory_order_acq_rel);
    if (before & decoded) settle_decoding();  // the worker had ended: start it here
    return true;
}

void settle_decoding() {
    if (job.index < 0) return;
    job.worker.join();
    const int32_t index = job.index;
    job.index = -1;
    job.bytes = std::vector<uint8_t>();
    Slot& slot = state.slots[size_t(index)];
    slot.chunk = job.chunk;
    if (job.chunk == nullptr) report_unusable_file("sound", job.path);
    slot.length = job.chunk ? chunk_seconds(job.chunk) : 0.0f;
    const int32_t asked = job.word.load(std::memory_order_acquire);
    if ((asked & (want_play | want_loop)) == 0) return;
    if (!job.started && job.chunk != nullptr) {  // asked for after the worker ended
        job.start_ok = start_fresh(index, job.chunk, asked);
        job.start_time = platform::ticks_ms();
    }
    slot.playing = job.start_ok ? 1 : 0;
    slot.looping = job.start_ok && (asked & want_loop) ? 1 : 0;
    slot.start_time = job.start_time;
}

void hold_decoding(bool hold) { held.store(hold, std::memory_order_release); }

}  // namespace rt::sound
