// Opening sounds: the capability words, files as chunks or as the music stream,
// and the audio device itself.
#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/core/core.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_internal.h"
#include "runtime/values/values.h"

namespace rt {

namespace sound {

// ------------------------------------------------------------ capability words

namespace {

constexpr std::array<std::string_view, 5> word_names = {"SYNC", "VOL", "PAUSE", "LEN", "SETPOS"};

}  // namespace

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

namespace {

// A file name as a path; false when it cannot name a file (an embedded 0 byte).
bool file_path(const StrVal* name, std::string& path) {
    path.clear();
    if (name != nullptr) path.assign(reinterpret_cast<const char*>(name->text), name->length);
    return path.find('\0') == std::string::npos;
}

// The file's bytes, when they may be given to the mixer; false (and reported)
// when the file cannot be read or is damaged.
bool checked_file(const std::string& path, bool whole, std::vector<uint8_t>& bytes) {
    if (read_sound_file(path, bytes) && sound_is_usable(bytes, path, whole, output_format())) return true;
    report_unusable_file("sound", path);
    return false;
}

// A chunk decoded from the checked bytes of `path`, null (reported) on failure.
Mix_Chunk* load_chunk(const std::string& path, const std::vector<uint8_t>& bytes) {
    SDL_RWops* memory = SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
    Mix_Chunk* chunk = memory ? Mix_LoadWAV_RW(memory, 1) : nullptr;
    if (chunk == nullptr) report_unusable_file("sound", path);
    return chunk;
}

// ------------------------------------------------------------ opening

int32_t open_chunk_sound(const std::string& path, const Words& words) {
    if (words.setpos) return 0;
    uint8_t capabilities = uint8_t((words.len ? cap_len : 0) | (words.pause ? cap_pause : 0) |
                                   (words.vol ? cap_vol : 0) | cap_chunk);
    if (first_free_slot() < 0) return 0;
    std::vector<uint8_t> bytes;
    if (!checked_file(path, true, bytes)) return 0;
    if (is_ogg(bytes)) return open_decoded_later(path, std::move(bytes), capabilities);
    Mix_Chunk* chunk = load_chunk(path, bytes);
    if (chunk == nullptr) return 0;
    return register_chunk(chunk, capabilities);
}

int32_t open_music_sound(const std::string& path, const Words& words) {
    Music& music = state.music;
    if (music.open) {
        if (!music.closed) {
            raise_error(5);
            return 0;
        }
        free_music(music);
    }
    std::vector<uint8_t> bytes;
    if (!checked_file(path, words.len, bytes)) return 0;
    double length = -1;
    if (words.len) {
        Mix_Chunk* chunk = load_chunk(path, bytes);
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

}  // namespace

int32_t open_sound(const StrVal* name, const Words& words) {
    std::string path;
    if (!file_path(name, path)) return 0;
    settle_decoding();  // one file read at a time
    return words.sync ? open_chunk_sound(path, words) : open_music_sound(path, words);
}

namespace {

bool open_mixer() {
    SDL_ClearError();  // no older failure of this thread passes for the reason
    if (Mix_OpenAudio(mixer_rate, AUDIO_S16LSB, 2, 1024) == 0) return true;
    const char* reason = Mix_GetError();
    if (reason && *reason) return false;
    // Classic SDL 1.2 starts its audio driver in SDL_Init, on the entry thread,
    // and keeps no driver when none can start, but states why only there: its
    // error text is per thread, so the open here fails without a reason. The
    // driver started again from this thread gives its reason here (or works).
    if (SDL_WasInit(SDL_INIT_AUDIO)) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return Mix_OpenAudio(mixer_rate, AUDIO_S16LSB, 2, 1024) == 0;
}

}  // namespace

}  // namespace sound

using namespace sound;

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

}  // namespace rt
