// Sound handles and slots: chunk sounds on their own mixer channel, the single
// music stream, capability words, looping and one-shot playback.
#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <string>
#include <string_view>

#include "runtime/host/errors.h"
#include "runtime/host/file_report.h"
#include "runtime/platform/platform.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_internal.h"
#include "runtime/values/values.h"

namespace rt {

namespace sound {

State state;

namespace {

constexpr int mixer_rate = 22050;
constexpr double bytes_per_second = mixer_rate * 2.0 * 2.0;  // 16-bit stereo

// The silent buffer registered at start; its channel carries the tones.
std::array<uint8_t, 32768> silence{};

// Holds off the mixer thread while the music state changes, so that the play
// limit test of the display thread never halts a music that has just restarted.
struct AudioLock {
    AudioLock() { SDL_LockAudio(); }
    ~AudioLock() { SDL_UnlockAudio(); }
    AudioLock(const AudioLock&) = delete;
    AudioLock& operator=(const AudioLock&) = delete;
};

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

}  // namespace sound

using namespace sound;

namespace {

// ------------------------------------------------------------ capability words

struct Words {
    bool sync = false, vol = false, pause = false, len = false, setpos = false;
};

constexpr std::array<std::string_view, 5> word_names = {"SYNC", "VOL", "PAUSE", "LEN", "SETPOS"};

// Upper-cased, split at commas, each piece trimmed of spaces. False for an
// unknown, empty or repeated word.
bool parse_words(const StrVal* words, Words& out) {
    out = Words{};
    if (words == nullptr || words->length == 0) return true;
    std::string text(reinterpret_cast<const char*>(words->text), words->length);
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    std::array<int, word_names.size()> counts{};
    size_t begin = 0;
    for (;;) {
        size_t end = std::min(text.find(',', begin), text.size());
        size_t first = begin, last = end;
        while (first < last && text[first] == ' ') ++first;
        while (last > first && text[last - 1] == ' ') --last;
        const std::string_view piece(text.data() + first, last - first);
        auto known = std::find(word_names.begin(), word_names.end(), piece);
        if (known == word_names.end()) return false;
        if (++counts[size_t(known - word_names.begin())] > 1) return false;
        if (end == text.size()) break;
        begin = end + 1;
    }
    out = {counts[0] == 1, counts[1] == 1, counts[2] == 1, counts[3] == 1, counts[4] == 1};
    return true;
}

// A file name as a path; false when it cannot name a file (an embedded 0 byte).
bool file_path(const StrVal* name, std::string& path) {
    path.clear();
    if (name != nullptr) path.assign(reinterpret_cast<const char*>(name->text), name->length);
    return path.find('\0') == std::string::npos;
}

Mix_Chunk* load_chunk(const std::string& path) {
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    Mix_Chunk* chunk = file ? Mix_LoadWAV_RW(file, 1) : nullptr;
    if (chunk == nullptr) report_unusable_file("sound", path);
    return chunk;
}

// ------------------------------------------------------------ lookups

// The open slot of a chunk handle; error 5 (and null) when unknown or closed.
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

// The music when it is open and not closed; error 5 (and null) otherwise.
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

// A sound that was started once and has run out no longer counts as playing.
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

// Integer mixer volume of a volume 0..1.
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

// Frees every closed sound that is no longer playing.
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

// ------------------------------------------------------------ opening

int32_t open_chunk_sound(const std::string& path, const Words& words) {
    if (words.setpos) return 0;
    uint8_t capabilities = uint8_t((words.len ? cap_len : 0) | (words.pause ? cap_pause : 0) |
                                   (words.vol ? cap_vol : 0) | cap_chunk);
    const int32_t later = open_decoded_later(path, capabilities);
    if (later >= 0) return later;
    if (first_free_slot() < 0) return 0;
    Mix_Chunk* chunk = load_chunk(path);
    if (chunk == nullptr) return 0;
    return register_chunk(chunk, capabilities);
}

int32_t open_music_sound(const std::string& path, const Words& words) {
    settle_decoding();  // one file read at a time
    Music& music = state.music;
    if (music.open) {
        if (!music.closed) {
            raise_error(5);
            return 0;
        }
        free_music(music);
    }
    double length = -1;
    if (words.len) {
        Mix_Chunk* chunk = load_chunk(path);
        if (chunk == nullptr) return 0;
        length = double(chunk->alen) / bytes_per_second;
        Mix_FreeChunk(chunk);
    }
    Mix_Music* stream = Mix_LoadMUS(path.c_str());
    if (stream == nullptr) {
        report_unusable_file("sound", path);
        return 0;
    }
    if (words.setpos) {
        Mix_MusicType type = Mix_GetMusicType(stream);
        if (type != MUS_MP3 && type != MUS_MP3_MAD) {
            Mix_FreeMusic(stream);
            return 0;
        }
    }
    Mix_VolumeMusic(MIX_MAX_VOLUME);
    music.music = stream;
    music.closed = false;
    music.playing = false;
    music.paused = false;
    music.looping = false;
    music.volume = 1;
    music.distance_factor = 1;
    music.start_position = 0;
    music.play_limit = 0;
    music.length = length;
    music.capabilities = uint8_t((words.setpos ? cap_setpos : 0) | (words.len ? cap_len : 0) |
                                 (words.pause ? cap_pause : 0) | (words.vol ? cap_vol : 0));
    music.open = true;
    return 1;
}

int32_t open_sound(const StrVal* name, const Words& words) {
    std::string path;
    if (!file_path(name, path)) return 0;
    return words.sync ? open_chunk_sound(path, words) : open_music_sound(path, words);
}

bool open_mixer() {
    SDL_ClearError();  // no older failure of this thread passes for the reason
    if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024) == 0) return true;
    const char* reason = Mix_GetError();
    if (reason && *reason) return false;
    // Classic SDL 1.2 starts its audio driver in SDL_Init, on the entry thread,
    // and keeps no driver when none can start, but states why only there: its
    // error text is per thread, so the open here fails without a reason. The
    // driver started again from this thread gives its reason here (or works).
    if (SDL_WasInit(SDL_INIT_AUDIO)) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024) == 0;
}

// Every operation on a handle starts here: nothing while an error is pending,
// the device open, and handle 0 ignored.
bool begin(int32_t handle) {
    if (error_pending()) return false;
    open_audio();
    return handle != 0;
}

}  // namespace

// ------------------------------------------------------------ the device

void open_audio() {
    if (state.audio_open) return;
    if (!open_mixer()) {
        const char* reason = Mix_GetError();
        std::fprintf(stderr, "The audio device could not be opened: %s\n",
                     reason && *reason ? reason : "no reason given by SDL");
        end_process(10001);
    }
    std::atexit(Mix_CloseAudio);
    std::atexit(settle_decoding);  // before the mixer closes
    Mix_AllocateChannels(slot_count);
    state.audio_open = true;
    register_tone_slot();
}

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
