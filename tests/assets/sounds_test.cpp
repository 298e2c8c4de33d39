// The generated sounds: their format, their loops measured at the seam, the
// mixer taking them as they are, and the generator's output byte for byte.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/asset_list.h"

namespace {

std::string asset(const std::string& name) { return std::string(ASSET_DIR) + "/" + name; }

struct Sound {
    SF_INFO info{};
    std::vector<int16_t> samples;   // interleaved left, right
    size_t frames() const { return samples.size() / 2; }
    int channel(size_t frame, int c) const { return samples[frame * 2 + c]; }
    double seconds() const { return double(frames()) / info.samplerate; }
};

Sound read_sound(const std::string& name) {
    Sound s;
    SNDFILE* f = sf_open(asset(name).c_str(), SFM_READ, &s.info);
    if (!f) {
        ADD_FAILURE() << name << ": " << sf_strerror(nullptr);
        return s;
    }
    s.samples.resize(size_t(s.info.frames) * size_t(s.info.channels));
    sf_count_t got = sf_readf_short(f, s.samples.data(), s.info.frames);
    s.samples.resize(size_t(got) * size_t(s.info.channels));
    sf_close(f);
    return s;
}

double rms(const Sound& s, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i)
        for (int c = 0; c < 2; ++c) sum += double(s.channel(i, c)) * s.channel(i, c);
    return std::sqrt(sum / (2.0 * double(to - from)));
}

// Zero crossings per second of the left channel: a measure of pitch for a tone.
double crossings_per_second(const Sound& s) {
    int n = 0;
    for (size_t i = 1; i < s.frames(); ++i) n += (s.channel(i - 1, 0) < 0) != (s.channel(i, 0) < 0);
    return n / s.seconds();
}

TEST(AssetSounds, EveryFileIsSixteenBitStereoAtTheMixersRate) {
    for (const char* name : assets::sound_files) {
        Sound s = read_sound(name);
        EXPECT_EQ(s.info.samplerate, 22050) << name;
        EXPECT_EQ(s.info.channels, 2) << name;
        bool ogg = std::string(name).ends_with(".OGG");
        int want = ogg ? (SF_FORMAT_OGG | SF_FORMAT_VORBIS) : (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        EXPECT_EQ(s.info.format, want) << name;
        // Audible, and nowhere at full scale.
        ASSERT_FALSE(s.samples.empty()) << name;
        int top = 0;
        for (int16_t v : s.samples) top = std::max(top, std::abs(int(v)));
        EXPECT_LT(top, 32000) << name;
        EXPECT_GT(rms(s, 0, s.frames()), 300.0) << name;
    }
}

TEST(AssetSounds, LengthsAndPitches) {
    Sound theme = read_sound("8bit_varlin.OGG");
    EXPECT_GE(theme.seconds(), 30.0);
    EXPECT_LE(theme.seconds(), 90.0);
    for (const char* loop : {"water.wav", "vent.wav"}) {
        Sound s = read_sound(loop);
        EXPECT_GE(s.seconds(), 2.0) << loop;
        EXPECT_LE(s.seconds(), 10.0) << loop;
    }
    Sound bell = read_sound("cloche.wav"), beep = read_sound("beep.wav"), beep2 = read_sound("beep2.wav");
    EXPECT_LE(bell.seconds(), 4.0);
    EXPECT_LE(beep.seconds(), 1.0);
    EXPECT_LE(beep2.seconds(), 1.5);
    // The bell rings out: far quieter at its end than at its strike, ending on silence.
    size_t tenth = bell.frames() / 10;
    EXPECT_LT(rms(bell, bell.frames() - tenth, bell.frames()) * 10, rms(bell, 0, tenth));
    EXPECT_LT(std::abs(bell.channel(bell.frames() - 1, 0)), 100);
    // The final signal is the higher one.
    EXPECT_GT(crossings_per_second(beep2), 1.5 * crossings_per_second(beep));
}

TEST(AssetSounds, AmbientLoopsMeetAtTheSeam) {
    for (const char* name : {"water.wav", "vent.wav"}) {
        Sound s = read_sound(name);
        ASSERT_GT(s.frames(), 22050u) << name;
        // The step from the last frame to the first is no bigger than the steps
        // the sound takes anywhere inside: 99 in 100 of those are at least as big.
        for (int c = 0; c < 2; ++c) {
            std::vector<int> steps;
            for (size_t i = 1; i < s.frames(); ++i) steps.push_back(std::abs(s.channel(i, c) - s.channel(i - 1, c)));
            std::nth_element(steps.begin(), steps.begin() + steps.size() * 99 / 100, steps.end());
            int seam = std::abs(s.channel(0, c) - s.channel(s.frames() - 1, c));
            EXPECT_LE(seam, steps[steps.size() * 99 / 100]) << name << " channel " << c;
        }
        // No fade at either end: the level runs on across the seam.
        size_t part = s.frames() / 16;
        double whole = rms(s, 0, s.frames());
        EXPECT_GT(rms(s, 0, part), whole * 0.5) << name;
        EXPECT_GT(rms(s, s.frames() - part, s.frames()), whole * 0.5) << name;
        // Noise hides a cut sample by sample, but not in its level: over 20 ms
        // windows the change across the seam is no bigger than any change inside.
        const size_t window = 441;
        double largest = 0;
        for (size_t at = window; at + window <= s.frames(); at += window)
            largest = std::max(largest, std::fabs(std::log(rms(s, at, at + window) / rms(s, at - window, at))));
        double seam = std::fabs(std::log(rms(s, 0, window) / rms(s, s.frames() - window, s.frames())));
        EXPECT_LE(seam, largest) << name;
    }
}

TEST(AssetSounds, ThemeLoopsFromSilenceToSilence) {
    Sound theme = read_sound("8bit_varlin.OGG");
    ASSERT_GT(theme.frames(), 22050u);
    for (int c = 0; c < 2; ++c) {
        EXPECT_LT(std::abs(theme.channel(0, c)), 300) << c;
        EXPECT_LT(std::abs(theme.channel(theme.frames() - 1, c)), 300) << c;
    }
    // The last moments are a rest, the first a start: the tune comes in at once.
    EXPECT_LT(rms(theme, theme.frames() - 2205, theme.frames()), 200.0);
    EXPECT_GT(rms(theme, 0, 22050 / 4), 1000.0);
}

TEST(AssetSounds, TheMixerTakesThemWithoutResampling) {
    SDL_putenv(const_cast<char*>("SDL_AUDIODRIVER=dummy"));
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16SYS, 2, 1024), 0) << Mix_GetError();
    for (const char* name : {"water.wav", "vent.wav", "cloche.wav", "beep.wav", "beep2.wav"}) {
        Mix_Chunk* chunk = Mix_LoadWAV(asset(name).c_str());
        ASSERT_NE(chunk, nullptr) << name << ": " << Mix_GetError();
        // Same rate and format: four bytes a frame, frame for frame.
        EXPECT_EQ(chunk->alen, read_sound(name).frames() * 4) << name;
        Mix_FreeChunk(chunk);
    }
    Mix_Music* theme = Mix_LoadMUS(asset("8bit_varlin.OGG").c_str());
    EXPECT_NE(theme, nullptr) << Mix_GetError();
    if (theme) Mix_FreeMusic(theme);
    Mix_CloseAudio();
    SDL_Quit();
}

std::vector<char> bytes_of(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Run again into a fresh folder, the generator writes every file as the build
// did: the artwork and sounds, and with --icons the desktop icons (the SVG and
// five PNG sizes).
TEST(AssetGenerator, WritesTheSameBytesEveryTime) {
    struct Run {
        std::string name, option, reference;
        size_t files;
    };
    const auto stamp = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    for (const Run& run : {Run{"assets", "", ASSET_DIR, assets::picture_files.size() + assets::sound_files.size()},
                           Run{"icons", "--icons ", ICON_DIR, 7}}) {
        const auto folder = std::filesystem::temp_directory_path() / (run.name + "_again_" + stamp);
        std::filesystem::create_directories(folder);
        const std::string command = std::string("\"") + ASSET_GENERATOR + "\" " + run.option + "\"" + folder.string() + "\"";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        size_t files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            ++files;
            EXPECT_EQ(bytes_of(entry.path()), bytes_of(run.reference / entry.path().filename()))
                << entry.path().filename();
        }
        EXPECT_EQ(files, run.files) << command;
        std::filesystem::remove_all(folder);
    }
}

}  // namespace
