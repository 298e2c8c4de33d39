// The sound operations the game calls: handles of chunk sounds on their own
// mixer channel and of the single music stream, looping and one-shot playback.
#include <SDL.h>
#include <SDL_mixer.h>

#include <cmath>
#include <limits>

#include "runtime/core/core.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/wait.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_internal.h"
#include "runtime/values/values.h"

namespace rt {

using namespace sound;

namespace {

// Every operation on a handle starts here: nothing while an error is pending,
// the device open, and handle 0 ignored.
bool begin(int32_t handle) {
    if (error_pending()) return false;
    open_audio();
    return handle != 0;
}

}  // namespace

// ------------------------------------------------------------ operations

int32_t sound_open(const StrVal* name, const StrVal* words) {
    if (error_pending()) return 0;
    open_audio();
    Words parsed;
    if (!parse_words(words, parsed)) {
        raise_error(5);
        return 0;
    }
    return open_sound(name, parsed);
}

void sound_play(int32_t handle) {
    if (!begin(handle)) return;
    if (handle == 1) {
        if (Music* music = open_music()) play_music(*music, false);
    } else if (!start_when_decoded(find_slot(handle), false)) {
        if (Slot* slot = open_slot(handle)) play_slot(*slot, false);
    }
}

void sound_loop(int32_t handle) {
    if (!begin(handle)) return;
    if (handle == 1) {
        if (Music* music = open_music()) {
            stop_music(*music);
            play_music(*music, true);
        }
    } else if (!start_when_decoded(find_slot(handle), true)) {
        if (Slot* slot = open_slot(handle)) {
            stop_slot(*slot);
            play_slot(*slot, true);
        }
    }
}

void sound_stop(int32_t handle) {
    if (!begin(handle)) return;
    if (handle == 1) {
        if (Music* music = open_music()) stop_music(*music);
    } else if (Slot* slot = open_slot(handle)) {
        stop_slot(*slot);
    }
}

void sound_close(int32_t handle) {
    if (!begin(handle)) return;
    if (handle == 1) {
        Music* music = open_music();
        if (music == nullptr) return;
        music->closed = true;
    } else {
        Slot* slot = open_slot(handle);
        if (slot == nullptr) return;
        slot->closed = 1;
    }
    sweep();
}

void sound_volume(int32_t handle, float volume) {
    if (!begin(handle)) return;
    if (!valid_volume(volume)) {
        raise_error(5);
        return;
    }
    const int m = mixer_volume(volume);
    if (handle == 1) {
        Music* music = open_music();
        if (music == nullptr || !needs(music->capabilities, cap_vol)) return;
        Mix_VolumeMusic(int(m * music->distance_factor));
        music->volume = volume;
    } else {
        Slot* slot = open_slot(handle);
        if (slot == nullptr || !needs(slot->capabilities, cap_vol)) return;
        Mix_Volume(channel_of(*slot), int(m * slot->balance));
        slot->volume = volume;
    }
}

void sound_pause(int32_t handle) {
    if (!begin(handle)) return;
    if (handle == 1) {
        Music* music = open_music();
        if (music == nullptr || !needs(music->capabilities, cap_pause)) return;
        refresh(*music);
        if (music->paused || !music->playing) return;
        Mix_PauseMusic();
        music->pause_time = platform::ticks_ms();
        music->paused = true;
    } else {
        Slot* slot = open_slot(handle);
        if (slot == nullptr || !needs(slot->capabilities, cap_pause)) return;
        refresh(*slot);
        if (slot->paused || !slot->playing) return;
        Mix_Pause(channel_of(*slot));
        slot->pause_time = platform::ticks_ms();
        slot->paused = 1;
    }
}

void sound_play_file(const StrVal* name, bool sync, double volume, bool volume_given) {
    if (error_pending()) return;
    open_audio();
    if (volume_given && !valid_volume(volume)) {
        raise_error(5);
        return;
    }
    const bool volume_request = volume_given && volume != 1.0;
    Words words;
    words.sync = sync;
    words.vol = volume_request;
    int32_t handle = open_sound(name, words);
    if (handle == 0) return;
    if (volume_request) sound_volume(handle, float(volume));
    sound_play(handle);
    sound_close(handle);  // plays to its end; a later sweep frees it
}

void close_all_sounds() {
    if (error_pending() || !state.audio_open) return;
    settle_decoding();
    Music& music = state.music;
    if (music.open && !music.closed) {
        stop_music(music);
        music.closed = true;
    }
    for (Slot& slot : state.slots) {
        if (slot.handle == 0 || slot.closed) continue;
        stop_slot(slot);
        slot.closed = 1;
    }
    sweep();
}

double sound_length(int32_t handle) {
    if (!begin(handle)) return 0;
    if (handle == 1) {
        Music* music = open_music();
        if (music == nullptr || !needs(music->capabilities, cap_len)) return 0;
        return music->length;
    }
    Slot* slot = open_slot(handle);
    if (slot == nullptr || !needs(slot->capabilities, cap_len)) return 0;
    return slot->length;
}

void sound_play_limit(int32_t handle, double seconds) {
    if (!begin(handle)) return;
    // The mixer counts a chunk's limit in an int of milliseconds.
    if (!(seconds >= 0.0 && seconds * 1000.0 <= double(std::numeric_limits<int32_t>::max()))) {
        raise_error(5);
        return;
    }
    const int64_t milliseconds = std::llround(seconds * 1000.0);
    if (handle == 1) {
        if (Music* music = open_music()) music->play_limit = milliseconds;
    } else if (Slot* slot = open_slot(handle)) {
        slot->play_limit = milliseconds;
    }
}

void sound_set_position(int32_t handle, double seconds) {
    if (!begin(handle)) return;
    if (handle != 1) {
        raise_error(5);
        return;
    }
    Music* music = open_music();
    if (music == nullptr || !needs(music->capabilities, cap_setpos)) return;
    // Beyond some 46 days the millisecond clock could not be back-dated.
    if (music->looping || !(seconds >= 0.0) || seconds > 4e6) {
        raise_error(5);
        return;
    }
    refresh(*music);
    if (!music->playing) {
        music->start_position = seconds;
        return;
    }
    platform::poll_wait(100);
    Mix_RewindMusic();
    platform::poll_wait(100);
    Mix_SetMusicPosition(seconds);
    music->start_time = platform::ticks_ms() - uint32_t(std::llround(seconds * 1000.0));
}

double sound_position(int32_t handle) {
    if (!begin(handle)) return 0;
    if (handle == 1) {
        Music* music = open_music();
        if (music == nullptr) return 0;
        refresh(*music);
        if (!music->playing) return 0;
        return elapsed_seconds(music->start_time, music->paused ? music->pause_time.load() : platform::ticks_ms());
    }
    Slot* slot = open_slot(handle);
    if (slot == nullptr) return 0;
    refresh(*slot);
    if (!slot->playing) return 0;
    return elapsed_seconds(slot->start_time, slot->paused ? slot->pause_time : platform::ticks_ms());
}

void sound_balance(int32_t handle, float x, float y, float z) {
    if (!begin(handle)) return;
    if (handle == 1) {
        Music* music = open_music();
        if (music == nullptr || !needs(music->capabilities, cap_vol)) return;
        double distance = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
        if (!(distance >= 1.0)) distance = 0;
        if (distance > 1000.0) distance = 1000.0;
        music->distance_factor = float((1000.0 - distance) / 1000.0);
        Mix_VolumeMusic(int(mixer_volume(music->volume) * music->distance_factor));
        return;
    }
    Slot* slot = open_slot(handle);
    if (slot == nullptr || !needs(slot->capabilities, cap_vol)) return;
    slot->x = x;
    slot->y = y;
    slot->z = z;
    apply_placement(*slot);
}

int32_t sound_copy(int32_t handle) {
    if (!begin(handle)) return 0;
    if (handle == 1) {  // a stream cannot be shared
        raise_error(5);
        return 0;
    }
    Slot* source = open_slot(handle);
    if (source == nullptr || !needs(source->capabilities, cap_chunk)) return 0;
    return register_chunk(source->chunk, source->capabilities);
}

int32_t sound_paused(int32_t handle) {
    if (!begin(handle)) return 0;
    if (handle == 1) {
        Music* music = open_music();
        if (music == nullptr || !needs(music->capabilities, cap_pause)) return 0;
        return music->paused ? -1 : 0;
    }
    Slot* slot = open_slot(handle);
    if (slot == nullptr || !needs(slot->capabilities, cap_pause)) return 0;
    return slot->paused ? -1 : 0;
}

int32_t sound_playing(int32_t handle) {
    if (!begin(handle)) return 0;
    if (handle == 1) {
        Music* music = open_music();
        if (music == nullptr) return 0;
        refresh(*music);
        return music->playing && !music->paused ? -1 : 0;
    }
    Slot* slot = open_slot(handle);
    if (slot == nullptr) return 0;
    refresh(*slot);
    return slot->playing && !slot->paused ? -1 : 0;
}

void sound_play_copy(int32_t handle, double volume, bool volume_given) {
    if (!begin(handle)) return;
    if (volume_given && !valid_volume(volume)) {
        raise_error(5);
        return;
    }
    int32_t copy = sound_copy(handle);
    if (copy == 0) return;
    if (volume_given && volume != 1.0) sound_volume(copy, float(volume));
    sound_play(copy);
    sound_close(copy);
}

void sound_check_music_limit() {
    Music& music = state.music;
    if (!state.audio_open || !music.open || !music.playing || music.looping || music.play_limit <= 0) return;
    AudioLock lock;
    if (!music.open || !music.playing || music.looping || music.play_limit <= 0) return;
    uint32_t until = music.paused ? music.pause_time.load() : platform::ticks_ms();
    if (int64_t(uint32_t(until - music.start_time)) >= music.play_limit) {
        Mix_HaltMusic();
        music.playing = false;
        music.paused = false;
    }
}

}  // namespace rt
