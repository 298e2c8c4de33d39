#include "assets/generator/synth.h"

#include <algorithm>
#include <cmath>

namespace assets {

uint32_t Noise::next_bits() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

float Noise::next() { return static_cast<float>(next_bits() >> 8) / 8388608.0f - 1.0f; }

float Noise::unit() { return static_cast<float>(next_bits() >> 8) / 16777216.0f; }

double Phase::step(double frequency) {
    double now = value;
    value += frequency / sample_rate;
    value -= std::floor(value);
    return now;
}

// The PolyBLEP residual that rounds off a step at phase 0.
static double blep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

float pulse(double phase, double phase_step, double duty) {
    double value = phase < duty ? 1.0 : -1.0;
    value += blep(phase, phase_step);
    double falling = phase - duty;
    if (falling < 0) falling += 1.0;
    value -= blep(falling, phase_step);
    // Centre the wave so narrow duties carry no offset.
    return static_cast<float>(value - (2.0 * duty - 1.0));
}

float stepped_triangle(double phase) {
    double tri = phase < 0.5 ? phase * 2.0 : 2.0 - phase * 2.0;   // 0..1..0
    double level = std::floor(tri * 15.999);                       // 0..15
    return static_cast<float>(level / 7.5 - 1.0);
}

float LowPass::run(float in, float cutoff) {
    float a = 1.0f - std::exp(-2.0f * 3.14159265f * cutoff / sample_rate);
    state += a * (in - state);
    return state;
}

float BandPass::run(float in, float centre, float q) {
    float f = 2.0f * std::sin(3.14159265f * std::min(centre, sample_rate / 6.0f) / sample_rate);
    float damping = 1.0f / q;
    float high = in - low - damping * band;
    band += f * high;
    low += f * band;
    return band;
}

double note_frequency(const char* name) {
    static constexpr int semitone[7] = {9, 11, 0, 2, 4, 5, 7};   // A B C D E F G
    if (!name || name[0] < 'A' || name[0] > 'G') return 0.0;
    int note = semitone[name[0] - 'A'];
    const char* p = name + 1;
    if (*p == '#') { ++note; ++p; }
    else if (*p == 'b') { --note; ++p; }
    int octave = *p - '0';
    int midi = 12 * (octave + 1) + note;
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

Stereo close_loop(const Stereo& source, size_t frames, size_t overlap) {
    Stereo out(frames);
    for (size_t i = 0; i < frames; ++i) {
        out.left[i] = source.left[i];
        out.right[i] = source.right[i];
    }
    for (size_t i = 0; i < overlap; ++i) {
        double t = static_cast<double>(i) / overlap;
        float in = static_cast<float>(std::sin(t * 1.57079632679));
        float tail = static_cast<float>(std::cos(t * 1.57079632679));
        out.left[i] = source.left[i] * in + source.left[frames + i] * tail;
        out.right[i] = source.right[i] * in + source.right[frames + i] * tail;
    }
    return out;
}

float peak(const Stereo& sound) {
    float top = 0;
    for (size_t i = 0; i < sound.frames(); ++i)
        top = std::max({top, std::fabs(sound.left[i]), std::fabs(sound.right[i])});
    return top;
}

void normalise(Stereo& sound, float target) {
    float top = peak(sound);
    if (top <= 0) return;
    float gain = target / top;
    for (size_t i = 0; i < sound.frames(); ++i) {
        sound.left[i] *= gain;
        sound.right[i] *= gain;
    }
}

}  // namespace assets
