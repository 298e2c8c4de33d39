// Sound bytes through sound_open, as the game opens its sounds: WAV and Ogg
// Vorbis files (anything else is left to SDL_mixer), each as a chunk (decoded
// whole, an Ogg one by the decode worker), as a one-shot and as the music
// stream, looped, played and stopped on the dummy audio driver. An open gives 0
// or a handle, leaves no error pending, and never hangs or crashes. The sounds
// of one input sound on until the next input closes them, so that the mixer's
// thread plays them meanwhile.
#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "runtime/core/core.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_internal.h"
#include "runtime/values/values.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

std::filesystem::path folder;
int32_t chunk = 0;  // the last input's chunk sound, still looping

void set_up() {
    SDL_putenv(const_cast<char*>("SDL_AUDIODRIVER=dummy"));
    folder = std::filesystem::temp_directory_path() / ("supervivedas-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    });
    rt::strings_init();
    rt::open_audio();
    FUZZ_CHECK(rt::pending_error.load() == 0);
}

struct Name {
    explicit Name(const std::string& text) : text(text) {
        value.text = reinterpret_cast<uint8_t*>(this->text.data());
        value.length = uint32_t(this->text.size());
    }
    std::string text;
    rt::StrVal value;
};

void no_error() { FUZZ_CHECK(rt::pending_error.load() == 0); }

// The chunk of an open handle: decoded, of whole 16-bit stereo frames, within
// the largest size a sound is taken at.
void check_chunk(int32_t handle) {
    const int32_t index = rt::sound::find_slot(handle);
    FUZZ_CHECK(index >= 0);
    const Mix_Chunk* decoded = rt::sound::state.slots[size_t(index)].chunk;
    if (decoded == nullptr) return;  // the decode failed (reported), the handle stays silent
    FUZZ_CHECK(decoded->alen <= (uint32_t(1) << 30));
    FUZZ_CHECK(decoded->alen == 0 || decoded->abuf != nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (set_up(), true);
    (void)ready;
    const bool wav = size >= 4 && std::memcmp(data, "RIFF", 4) == 0;
    const bool ogg = size >= 4 && std::memcmp(data, "OggS", 4) == 0;
    if (!wav && !ogg) return -1;  // kept out of the corpus

    if (chunk != 0) {
        rt::sound_stop(chunk);
        rt::sound_close(chunk);
        chunk = 0;
    }
    if (rt::sound::state.music.open && !rt::sound::state.music.closed) {
        rt::sound_stop(1);
        rt::sound_close(1);
    }
    no_error();

    const std::string path = (folder / (wav ? "sound.wav" : "sound.ogg")).string();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    const Name name(path);
    const Name chunk_words("sync,len,vol,pause");
    const Name music_words("len,vol,pause");

    chunk = rt::sound_open(&name.value, &chunk_words.value);
    no_error();
    FUZZ_CHECK(chunk == 0 || chunk >= 2);
    if (chunk != 0) {
        rt::sound_loop(chunk);  // before the decode ends: the worker starts it
        rt::sound::settle_decoding();
        check_chunk(chunk);
        FUZZ_CHECK(rt::sound_length(chunk) >= 0);
        rt::sound_play(chunk);
        rt::sound_pause(chunk);
        rt::sound_play(chunk);
        rt::sound_loop(chunk);
        no_error();
    }

    // The game's one-shots: opened as the music, played and closed at once.
    rt::sound_play_file(&name.value, false, 1, false);
    no_error();

    const int32_t music = rt::sound_open(&name.value, &music_words.value);
    no_error();
    FUZZ_CHECK(music == 0 || music == 1);
    if (music == 1) {
        FUZZ_CHECK(rt::sound_length(1) >= 0);
        rt::sound_play(1);
        rt::sound_loop(1);
        no_error();
    }
    return 0;
}
