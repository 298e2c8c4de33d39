// The audio device itself: each case runs in a child process of its own, since
// the driver is chosen once per process when the mixer opens.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>

#include "runtime/sound/sound.h"
#include "runtime/sound/sound_internal.h"
#include "tests/headless.h"
#include "tests/sound/sound_files.h"

namespace {

using sound_test::Text;

uintmax_t size_of(const std::string& path) {
    std::error_code error;
    uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

// The disk driver writes the mixed output as it goes; waiting for a number of
// bytes rather than for a time keeps the recording independent of the load.
void wait_for_output(const std::string& path, uintmax_t more) {
    const uintmax_t target = size_of(path) + more;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (size_of(path) < target) {
        if (std::chrono::steady_clock::now() > until) std::exit(3);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void record_to(const std::string& raw) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "10", 1);  // faster than real time
}

// The mixed output in windows of 64 stereo frames, each by its mean loudness:
// the test sounds are square waves of amplitude 8000 (loud) and 3000 (soft).
enum class Level { silent, soft, loud, between };
constexpr size_t window_frames = 64;

std::vector<Level> levels_of(const std::string& raw) {
    const std::vector<int16_t> samples = sound_test::samples_of(sound_test::read_bytes(raw));
    std::vector<Level> levels;
    for (size_t at = 0; at + 2 * window_frames <= samples.size(); at += 2 * window_frames) {
        double sum = 0;
        for (size_t i = at; i < at + 2 * window_frames; ++i) sum += std::abs(samples[i]);
        const double mean = sum / (2 * window_frames);
        levels.push_back(mean < 100      ? Level::silent
                         : mean > 6500   ? Level::loud
                         : mean > 2000 && mean < 4000 ? Level::soft
                                         : Level::between);
    }
    return levels;
}

// Checks made in a child process: each failure is named on stderr and ends it with 1.
void require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "failed: %s\n", what);
    std::exit(1);
}

// The device as the first sound operation leaves it, in a fresh process.
void check_fresh_device(const std::string& wav) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    require(!rt::sound::state.audio_open, "closed before the first operation");
    rt::sound_stop(0);
    require(rt::sound::state.audio_open, "open after the first operation");
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    require(Mix_QuerySpec(&frequency, &format, &channels) == 1, "mixer open");
    require(frequency == 22050 && format == AUDIO_S16LSB && channels == 2, "22,050 Hz 16-bit stereo");
    require(Mix_AllocateChannels(-1) == 256, "256 channels");
    const rt::sound::Slot& silent = rt::sound::state.slots[0];
    require(silent.handle == 2 && rt::sound::state.tone_handle == 2, "the silent chunk takes handle 2");
    require(silent.chunk->alen == 32768 && silent.capabilities == rt::sound::cap_chunk, "32,768 silent bytes");
    require(!silent.playing && Mix_Playing(0) == 0, "the silent chunk is not played");
    rt::open_audio();
    require(rt::sound::state.slots[1].handle == 0, "opened once");
    require(rt::sound_open(Text(wav), Text("sync")) == 3, "the first sound gets handle 3");
}

TEST(SoundDevice, OpensOnceAtTheFirstOperationWithTheSilentChunkOnItsOwnSlot) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string wav = sound_test::scratch_folder("device") + "/a.wav";
    sound_test::write_square_wav(wav, 100, 1000);
    EXPECT_CLEAN_END(
        {
            check_fresh_device(wav);
            std::exit(0);
        },
        "");
}

// The line gives SDL's reason (its texts start with a capital letter, the
// runtime's own stand-in does not), also in the game's order of things: SDL
// started on the entry thread, the device opened on the program thread, where
// classic SDL 1.2 keeps no reason of its own.
TEST(SoundDevice, NoAudioDeviceEndsTheProcessWithStatus10001AndTheReason) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The system keeps the low 8 bits of the status: 10001 is seen as 17.
    EXPECT_EXIT(
        {
            setenv("SDL_AUDIODRIVER", "nosuchdriver", 1);
            rt::sound_open(Text("any.wav"), Text("sync"));
        },
        testing::ExitedWithCode(10001 & 0xFF), "The audio device could not be opened: [A-Z]");
    EXPECT_EXIT(
        {
            setenv("SDL_AUDIODRIVER", "nosuchdriver", 1);
            SDL_Init(SDL_INIT_AUDIO);  // over SDL2 this fails, and the open starts it again
            SDL_Thread* program = SDL_CreateThread(
                [](void*) {
                    rt::sound_open(Text("any.wav"), Text("sync"));
                    return 0;
                },
                nullptr);
            SDL_WaitThread(program, nullptr);
        },
        testing::ExitedWithCode(10001 & 0xFF), "The audio device could not be opened: [A-Z]");
}

TEST(SoundDevice, LoopedChunkReachesTheMixedOutputAndAStoppedOneDoesNot) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string folder = sound_test::scratch_folder("disk-loop");
    const std::string wav = folder + "/beat.wav", raw = folder + "/mixed.raw";
    constexpr uint32_t chunk_frames = 2205;
    sound_test::write_square_wav(wav, chunk_frames, 8000);
    EXPECT_CLEAN_END(
        {
            record_to(raw);
            int32_t h = rt::sound_open(Text(wav), Text("sync"));
            if (h == 0) std::exit(2);
            wait_for_output(raw, 32768);
            rt::sound_loop(h);
            wait_for_output(raw, 131072);
            rt::sound_stop(h);
            wait_for_output(raw, 131072);
            std::exit(0);
        },
        "");

    // Heard level by level: over SDL2 the device may run at another rate and
    // resample, so single samples are not compared.
    const std::vector<Level> levels = levels_of(raw);
    size_t first = levels.size(), last = 0;
    for (size_t i = 0; i < levels.size(); ++i)
        if (levels[i] == Level::loud) {
            first = std::min(first, i);
            last = i;
        }
    ASSERT_LT(first, levels.size()) << "the looped chunk never reached the output";
    EXPECT_GT(first, 0u);  // silence until the loop started
    // Without a gap and well beyond one play of the chunk (0.1 s) at any device rate: it loops.
    EXPECT_GT((last - first) * window_frames, 3u * chunk_frames * 48000 / 22050);
    for (size_t i = first; i <= last; ++i) ASSERT_EQ(levels[i], Level::loud) << "gap at window " << i;
    // Once stopped nothing more of it is heard.
    for (size_t i = last + 2; i < levels.size(); ++i) ASSERT_EQ(levels[i], Level::silent) << "window " << i;
    EXPECT_GT(levels.size() - last, 8000u / window_frames);
}

TEST(SoundDevice, SecondOneShotCutsOffTheFirst) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string folder = sound_test::scratch_folder("disk-cut");
    const std::string first = folder + "/first.wav", second = folder + "/second.wav";
    const std::string raw = folder + "/mixed.raw";
    sound_test::write_square_wav(first, 66150, 8000);
    sound_test::write_square_wav(second, 66150, 3000);
    EXPECT_CLEAN_END(
        {
            record_to(raw);
            rt::open_audio();
            wait_for_output(raw, 32768);
            rt::sound_play_file(Text(first), false, 1, false);
            wait_for_output(raw, 65536);
            rt::sound_play_file(Text(second), false, 1, false);
            wait_for_output(raw, 65536);
            std::exit(0);
        },
        "");

    const std::vector<Level> levels = levels_of(raw);
    size_t first_loud = levels.size(), first_soft = levels.size(), last_loud = 0;
    for (size_t i = 0; i < levels.size(); ++i) {
        if (levels[i] == Level::loud) {
            first_loud = std::min(first_loud, i);
            last_loud = i;
        }
        if (levels[i] == Level::soft) first_soft = std::min(first_soft, i);
    }
    ASSERT_LT(first_loud, levels.size()) << "the first one-shot was never heard";
    ASSERT_LT(first_soft, levels.size()) << "the second one-shot was never heard";
    EXPECT_LT(last_loud, first_soft);  // the first stopped as the second began
    for (size_t i = first_soft + 1; i + 1 < levels.size(); ++i) ASSERT_EQ(levels[i], Level::soft) << i;
}

}  // namespace
