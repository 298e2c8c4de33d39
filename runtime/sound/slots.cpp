// Sound handles and slots: the slot table and its handles, where a sound sits
// around the listener, the lookups every operation makes, and starting,
// stopping and freeing chunks and the music.
#include <SDL.h>
#include <SDL_mixer.h>

#include <array>
#include <cmath>
#include <numbers>

#include "runtime/core/core.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/wait.h"
#include "runtime/sound/sound_internal.h"

namespace rt::sound {

State state;

namespace {

// The silent buffer registered at start; its channel carries the tones.
std::array<uint8_t, 32768> silence{};

int32_t take_handle() {
    for (;;) {
        int32_t handle = state.next_handle;
        state.next_handle = int32_t(uint32_t(handle) + 1u);
        if (state.next_handle == 0) state.next_handle = 2;  // 0 and 1 are never chunks
        // After a wrap the counter may meet a sound that is still open.
        if (find_slot(handle) < 0) return handle;
    }
}

}  // namespace

int32_t find_slot(int32_t handle) {
    if (handle == 0) return -1;
    for (int32_t i = 0; i < slot_count; ++i)
        if (state.slots[size_t(i)].handle == handle) return i;
    return -1;
}

int32_t first_free_slot() {
    for (int32_t i = 0; i < slot_count; ++i)
        if (state.slots[size_t(i)].handle == 0) return i;
    return -1;
}

int32_t register_chunk(Mix_Chunk* chunk, uint8_t capabilities) {
    const int32_t index = first_free_slot();
    if (index < 0) return 0;
    Slot& slot = state.slots[size_t(index)];
    slot = Slot{};
    Mix_Volume(index, MIX_MAX_VOLUME);
    slot.chunk = chunk;
    slot.length = chunk ? chunk_seconds(chunk) : 0.0f;
    slot.capabilities = capabilities;
    slot.handle = take_handle();
    return slot.handle;
}

float chunk_seconds(const Mix_Chunk* chunk) { return float(double(chunk->alen) / bytes_per_second); }

int32_t register_tone_slot() {
    Mix_Chunk* silent = Mix_QuickLoad_RAW(silence.data(), uint32_t(silence.size()));
    if (silent == nullptr) return -1;
    state.tone_handle = register_chunk(silent, cap_chunk);
    if (state.tone_handle == 0) {
        Mix_FreeChunk(silent);
        return -1;
    }
    return find_slot(state.tone_handle);
}

Placement placement(float x, float y, float z) {
    double px = x, py = y, pz = z;
    if (px == 0 && pz == 0) pz = 1;
    double degrees = std::atan2(px, pz) * 180.0 / std::numbers::pi;
    if (degrees < 0) degrees += 360.0;
    int angle = int(std::floor(degrees + 0.5));
    if (angle >= 360) angle = 0;
    double distance = std::sqrt(px * px + py * py + pz * pz);
    if (!(distance >= 1.0)) distance = 1.0;  // NaN as well
    if (distance > 999.9) distance = 999.9;
    return {int16_t(angle), uint8_t(distance / 3.90625)};
}

// ------------------------------------------------------------ lookups

Slot* open_slot(int32_t handle) {
    int32_t index = find_slot(handle);
    if (index < 0 || state.slots[size_t(index)].closed) {
        raise_error(5);
        return nullptr;
    }
    if (decoding(index)) settle_decoding();
    return &state.slots[size_t(index)];
}

int channel_of(const Slot& slot) { return int(&slot - state.slots.data()); }

Music* open_music() {
    if (!state.music.open || state.music.closed) {
        raise_error(5);
        return nullptr;
    }
    return &state.music;
}

bool needs(uint8_t capabilities, uint8_t bit) {
    if (capabilities & bit) return true;
    raise_error(5);
    return false;
}

void refresh(Slot& slot) {
    if (slot.playing && !slot.looping && !Mix_Playing(channel_of(slot))) {
        slot.playing = 0;
        slot.paused = 0;
    }
}

void refresh(Music& music) {
    if (music.playing && !music.looping && !Mix_PlayingMusic()) {
        music.playing = false;
        music.paused = false;
    }
}

int mixer_volume(double volume) {
    int m = int(volume * 129.0);
    return m > MIX_MAX_VOLUME ? MIX_MAX_VOLUME : m;
}

bool valid_volume(double volume) { return volume >= 0.0 && volume <= 1.0; }

double elapsed_seconds(uint32_t start, uint32_t until) { return double(uint32_t(until - start)) / 1000.0; }

// ------------------------------------------------------------ start and stop

void apply_placement(const Slot& slot) {
    Placement p = placement(slot.x, slot.y, slot.z);
    Mix_SetPosition(channel_of(slot), p.angle, p.distance);
}

void play_slot(Slot& slot, bool loop) {
    const int channel = channel_of(slot);
    if (slot.paused) {
        Mix_Resume(channel);
        slot.start_time += platform::ticks_ms() - slot.pause_time;
        slot.paused = 0;
        return;
    }
    slot.looping = 0;
    Mix_HaltChannel(channel);  // also drops the channel's position effect
    slot.playing = 0;
    if (slot.x != 0 || slot.y != 0 || slot.z != 0) apply_placement(slot);
    int result;
    if (!loop) {
        int ticks = slot.play_limit != 0 ? int(slot.play_limit) : -1;
        result = Mix_PlayChannelTimed(channel, slot.chunk, 0, ticks);
    } else {
        if (slot.play_limit != 0) {
            raise_error(5);
            return;
        }
        result = Mix_PlayChannelTimed(channel, slot.chunk, -1, -1);
        if (result != -1) slot.looping = 1;
    }
    if (result == -1) return;
    slot.start_time = platform::ticks_ms();
    slot.playing = 1;
}

void stop_slot(Slot& slot) {
    Mix_HaltChannel(channel_of(slot));
    slot.playing = 0;
    slot.paused = 0;
    slot.looping = 0;
}

void play_music(Music& music, bool loop) {
    if (music.paused) {
        Mix_ResumeMusic();
        music.start_time = music.start_time + (platform::ticks_ms() - music.pause_time);
        music.paused = false;
        return;
    }
    {
        AudioLock lock;
        Mix_HaltMusic();
        music.playing = false;
        music.looping = false;
        if (loop && music.play_limit != 0) {
            raise_error(5);
            return;
        }
        if (Mix_PlayMusic(music.music, loop ? -1 : 0) == -1) return;
        music.looping = loop;
        music.start_time = platform::ticks_ms();
        music.playing = true;
    }
    if (music.start_position != 0) {
        platform::poll_wait(100);  // the stream must be running before it can seek
        Mix_SetMusicPosition(music.start_position);
        music.start_time = music.start_time - uint32_t(std::llround(music.start_position * 1000.0));
        music.start_position = 0;
    }
}

void stop_music(Music& music) {
    {
        AudioLock lock;
        Mix_HaltMusic();
        music.playing = false;
        music.paused = false;
        music.looping = false;
    }
    music.start_position = 0;
}

void free_music(Music& music) {
    {
        AudioLock lock;
        music.open = false;
        music.playing = false;
        music.paused = false;
        music.looping = false;
    }
    Mix_FreeMusic(music.music);  // stops it when it is the one sounding
    music.music = nullptr;
}

void free_slot(int32_t index) {
    Slot& slot = state.slots[size_t(index)];
    Mix_HaltChannel(index);
    bool shared = false;
    for (int32_t i = 0; i < slot_count; ++i)
        if (i != index && state.slots[size_t(i)].handle != 0 && state.slots[size_t(i)].chunk == slot.chunk)
            shared = true;
    if (!shared) Mix_FreeChunk(slot.chunk);
    slot = Slot{};
}

void sweep() {
    settle_decoding();
    for (int32_t i = 0; i < slot_count; ++i) {
        Slot& slot = state.slots[size_t(i)];
        if (slot.handle == 0 || !slot.closed) continue;
        refresh(slot);
        if (!slot.playing) free_slot(i);
    }
    Music& music = state.music;
    if (music.open && music.closed) {
        refresh(music);
        if (!music.playing) free_music(music);
    }
}

}  // namespace rt::sound
