// Sound: the audio device, sound handles and their slots, capability words,
// looping, one-shot playback. Handle 0 is no sound, 1 the music slot, 2 and
// above chunk sounds. All playback goes through SDL_mixer.
#pragma once

#include <cstdint>

namespace rt {

struct StrVal;

// Opens the mixer once per process (every sound operation runs it first). When
// no audio device can be opened the process ends with status 10001.
void open_audio();

// words: comma-separated SYNC, VOL, PAUSE, LEN, SETPOS; may be null (none given).
// Returns a handle, 0 on failure.
int32_t sound_open(const StrVal* name, const StrVal* words);
void sound_play(int32_t handle);
void sound_loop(int32_t handle);
void sound_stop(int32_t handle);
void sound_close(int32_t handle);
void sound_volume(int32_t handle, float volume);
void sound_pause(int32_t handle);
void sound_play_file(const StrVal* name, bool sync, double volume, bool volume_given);
void close_all_sounds();

// Further operations, not used by the game.
double sound_length(int32_t handle);
void sound_play_limit(int32_t handle, double seconds);
void sound_set_position(int32_t handle, double seconds);
double sound_position(int32_t handle);
void sound_balance(int32_t handle, float x, float y, float z);
int32_t sound_copy(int32_t handle);
int32_t sound_paused(int32_t handle);
int32_t sound_playing(int32_t handle);
void sound_play_copy(int32_t handle, double volume, bool volume_given);

// The music-limit test made by the display thread in each event round.
void sound_check_music_limit();

// A generated tone mixed on its own channel (the bell of print_text).
void play_tone(double frequency, double seconds);

}  // namespace rt
