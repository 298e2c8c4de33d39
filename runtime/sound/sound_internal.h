// The sound subsystem's own records: the slot table, the music slot and the
// handle counter. Shared by the sources of runtime/sound and by its tests.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace rt {
struct StrVal;
}

namespace rt::sound {

constexpr int32_t slot_count = 256;  // one mixer channel per slot
constexpr int mixer_rate = 22050;
constexpr double bytes_per_second = mixer_rate * 2.0 * 2.0;  // 16-bit stereo

// Capability bits.
constexpr uint8_t cap_chunk = 1;
constexpr uint8_t cap_vol = 2;
constexpr uint8_t cap_pause = 4;
constexpr uint8_t cap_len = 8;
constexpr uint8_t cap_setpos = 16;

struct Slot {
    int32_t handle = 0;  // 0 = free
    Mix_Chunk* chunk = nullptr;  // may be shared with copies
    uint8_t closed = 0;
    uint8_t playing = 0;
    uint8_t paused = 0;
    float volume = 1;
    float balance = 1;
    float x = 0, y = 0, z = 0;
    uint32_t start_time = 0;
    uint32_t pause_time = 0;
    uint8_t looping = 0;
    int64_t play_limit = 0;  // milliseconds, 0 = none
    float length = 0;        // seconds
    uint8_t capabilities = 0;
};

// The display thread reads the atomic words to enforce the play limit.
struct Music {
    Mix_Music* music = nullptr;
    std::atomic<bool> open{false};
    bool closed = false;
    std::atomic<bool> playing{false};
    std::atomic<bool> paused{false};
    std::atomic<bool> looping{false};
    float volume = 1;
    float distance_factor = 1;
    double start_position = 0;  // seconds, applied at the next start
    std::atomic<int64_t> play_limit{0};
    double length = -1;
    uint8_t capabilities = 0;
    std::atomic<uint32_t> start_time{0};
    std::atomic<uint32_t> pause_time{0};
};

// A generated tone kept while it may still be sounding.
struct Tone {
    Mix_Chunk* chunk = nullptr;
    int32_t channel = -1;
    double frequency = 0, seconds = 0;
};

struct State {
    std::atomic<bool> audio_open{false};
    std::array<Slot, slot_count> slots{};
    Music music;
    int32_t next_handle = 2;
    // The silent chunk registered at start; its channel carries the tones.
    int32_t tone_handle = 0;
    Tone tone;
};

extern State state;

// Slot index of an in-use handle, -1 when none.
int32_t find_slot(int32_t handle);
// Index of the first free slot, -1 when all are in use.
int32_t first_free_slot();
// Takes the first free slot for `chunk` and returns its handle; 0 when none is free.
// A null chunk is one still being decoded (length 0 until it is there).
int32_t register_chunk(Mix_Chunk* chunk, uint8_t capabilities);
// A chunk's length in seconds at the mixer's rate.
float chunk_seconds(const Mix_Chunk* chunk);

// ------------------------------------------------------------ checks (check.cpp)
// The mixer's output, which a file's sound is converted to.
struct OutputFormat {
    int rate = mixer_rate;
    int channels = 2;
};
OutputFormat output_format();
// The whole file through SDL's file abstraction; false when it cannot be read.
bool read_sound_file(const std::string& path, std::vector<uint8_t>& bytes);
bool is_ogg(const std::vector<uint8_t>& bytes);
// Whether SDL_mixer may be given the bytes of the file `path`: false for a WAV
// or Ogg Vorbis file whose own fields its loaders or converter do not handle
// (other formats are SDL_mixer's business). `whole`: the sound is decoded
// whole into memory (a chunk), not streamed.
bool sound_is_usable(const std::vector<uint8_t>& bytes, const std::string& path, bool whole, OutputFormat out);

// ------------------------------------------------------------ decoding
// An Ogg Vorbis file opened as a chunk is decoded by a worker thread, one at a
// time, so that the open returns at once (decode.cpp).
// Opens the checked Ogg file `path` of `bytes` that way: its handle, 0 when it
// cannot be used (reported). No other decode may be running.
int32_t open_decoded_later(const std::string& path, std::vector<uint8_t>&& bytes, uint8_t capabilities);
// Whether slot `index` waits for its decode.
bool decoding(int32_t index);
// The first play or loop of a slot still being decoded: marked as playing now,
// started by the worker once decoded. False when the slot is not waiting for its
// decode or already has its start asked for: start it the usual way.
bool start_when_decoded(int32_t index, bool loop);
// Waits for the decode in progress, if any, and puts its chunk in its slot.
void settle_decoding();
// For tests: while held, the worker waits before it decodes.
void hold_decoding(bool hold);


// Holds off the mixer thread while the music state changes, so that the play
// limit test of the display thread never halts a music that has just restarted.
struct AudioLock {
    AudioLock() { SDL_LockAudio(); }
    ~AudioLock() { SDL_UnlockAudio(); }
    AudioLock(const AudioLock&) = delete;
    AudioLock& operator=(const AudioLock&) = delete;
};

// ------------------------------------------------------------ lookups (slots.cpp)
// The open slot of a chunk handle; error 5 (and null) when unknown or closed.
// Waits for the slot's decode, if any.
Slot* open_slot(int32_t handle);
int channel_of(const Slot& slot);
// The music when it is open and not closed; error 5 (and null) otherwise.
Music* open_music();
// Whether `capabilities` has `bit`; error 5 when not.
bool needs(uint8_t capabilities, uint8_t bit);
// A sound that was started once and has run out no longer counts as playing.
void refresh(Slot& slot);
void refresh(Music& music);
// Integer mixer volume of a volume 0..1.
int mixer_volume(double volume);
bool valid_volume(double volume);
double elapsed_seconds(uint32_t start, uint32_t until);

// ------------------------------------------------------------ start and stop (slots.cpp)
void apply_placement(const Slot& slot);
void play_slot(Slot& slot, bool loop);
void stop_slot(Slot& slot);
void play_music(Music& music, bool loop);
void stop_music(Music& music);
void free_music(Music& music);
void free_slot(int32_t index);
// Frees every closed sound that is no longer playing.
void sweep();

// ------------------------------------------------------------ opening (open.cpp)
struct Words {
    bool sync = false, vol = false, pause = false, len = false, setpos = false;
};
// The capability words: upper-cased, split at commas, each piece trimmed of
// spaces. False for an unknown, empty or repeated word.
bool parse_words(const StrVal* words, Words& out);
// Opens a file as a chunk (SYNC) or as the music stream: its handle, 0 on failure.
int32_t open_sound(const StrVal* name, const Words& words);

// Mixer position setting of a sound at (x, y, z) relative to the listener.
struct Placement {
    int16_t angle;     // degrees 0..359
    uint8_t distance;  // 0..255
};
// Registers the silent buffer as a chunk sound and makes it the tone channel;
// returns its slot index, -1 when no slot is free.
int32_t register_tone_slot();

Placement placement(float x, float y, float z);

}  // namespace rt::sound
