// Generated tones (the bell of the text output), mixed on the channel of the
// silent chunk that the device registers when it opens.
#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "runtime/core/core.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_internal.h"

namespace rt {

namespace {

constexpr int tone_rate = 22050;
constexpr double longest_tone = 30.0;  // seconds
constexpr double ramp_seconds = 0.005;  // fade in and out, against clicks

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// A mono 16-bit sine wave as a WAV image, so that the mixer converts it to the
// device format as it does for any loaded sound.
std::vector<uint8_t> tone_wave(double frequency, double seconds) {
    const uint32_t frames = uint32_t(std::lround(seconds * tone_rate));
    const uint32_t data_bytes = frames * 2;
    std::vector<uint8_t> out;
    out.reserve(44 + data_bytes);
    for (char c : {'R', 'I', 'F', 'F'}) out.push_back(uint8_t(c));
    put32(out, 36 + data_bytes);
    for (char c : {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '}) out.push_back(uint8_t(c));
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, 1);  // mono
    put32(out, tone_rate);
    put32(out, tone_rate * 2);
    put16(out, 2);
    put16(out, 16);
    for (char c : {'d', 'a', 't', 'a'}) out.push_back(uint8_t(c));
    put32(out, data_bytes);
    const double ramp = std::max(1.0, ramp_seconds * tone_rate);
    for (uint32_t i = 0; i < frames; ++i) {
        double envelope = std::min({1.0, (i + 1) / ramp, (frames - i) / ramp});
        double v = std::sin(2.0 * std::numbers::pi * frequency * i / tone_rate) * envelope * 0.3;
        put16(out, uint16_t(int16_t(std::lround(v * 32767.0))));
    }
    return out;
}

Mix_Chunk* make_tone(double frequency, double seconds) {
    std::vector<uint8_t> wave = tone_wave(frequency, seconds);
    SDL_RWops* memory = SDL_RWFromConstMem(wave.data(), int(wave.size()));
    if (memory == nullptr) return nullptr;
    return Mix_LoadWAV_RW(memory, 1);
}

}  // namespace

void play_tone(double frequency, double seconds) {
    using sound::state;
    if (error_pending()) return;
    open_audio();
    // Only what the device can reproduce.
    if (!(frequency > 0 && frequency < tone_rate / 2.0 && seconds > 0)) return;
    seconds = std::min(seconds, longest_tone);
    if (seconds * tone_rate < 1.0) return;

    int32_t channel = sound::find_slot(state.tone_handle);
    if (channel < 0 || state.slots[size_t(channel)].closed) channel = sound::register_tone_slot();
    if (channel < 0) return;

    sound::Tone& tone = state.tone;
    if (tone.chunk != nullptr && tone.channel >= 0 && Mix_GetChunk(tone.channel) == tone.chunk)
        Mix_HaltChannel(tone.channel);
    if (tone.chunk != nullptr && (tone.frequency != frequency || tone.seconds != seconds)) {
        Mix_FreeChunk(tone.chunk);
        tone.chunk = nullptr;
    }
    if (tone.chunk == nullptr) {
        tone.chunk = make_tone(frequency, seconds);
        if (tone.chunk == nullptr) return;
        tone.frequency = frequency;
        tone.seconds = seconds;
    }
    Mix_HaltChannel(channel);
    tone.channel = channel;
    Mix_PlayChannelTimed(channel, tone.chunk, 0, -1);
}

}  // namespace rt
