// Sound synthesis for the generated effects and the theme: a stereo buffer,
// a seeded noise source, a few chip-style oscillators and filters, and the
// crossfade that closes an ambient loop. Everything is deterministic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace assets {

// The mixer's rate: every sound is made at it, so nothing is resampled.
constexpr int sample_rate = 22050;

struct Stereo {
    std::vector<float> left, right;   // -1..1 full scale
    explicit Stereo(size_t frames = 0) : left(frames), right(frames) {}
    size_t frames() const { return left.size(); }
};

// A fixed-seed generator (xorshift32): the same sequence on every build.
struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed ? seed : 0x9E3779B9u) {}
    uint32_t next_bits();
    float next();        // uniform in -1..1
    float unit();        // uniform in 0..1
};

// Phase accumulators return the phase in 0..1 for the next sample.
struct Phase {
    double value = 0;
    double step(double frequency);
};

// Band-limited pulse (PolyBLEP) with a duty cycle in 0..1.
float pulse(double phase, double phase_step, double duty);
// The chip's stepped triangle: 16 levels, as four-bit hardware would make it.
float stepped_triangle(double phase);

// One-pole low-pass: cutoff in Hz.
struct LowPass {
    float state = 0;
    float run(float in, float cutoff);
};

// State-variable band-pass with a resonance q (higher is narrower).
struct BandPass {
    float low = 0, band = 0;
    float run(float in, float centre, float q);
};

// Frequency of a note name such as "A4", "C#5" or "Bb3"; 0 for a rest ("-").
double note_frequency(const char* name);

// Closes `source` (frames + overlap long) into a loop of `frames`: the overlap
// after the end is faded into the start with equal power, so the last frame
// runs straight on into the first.
Stereo close_loop(const Stereo& source, size_t frames, size_t overlap);

// Peak of both channels.
float peak(const Stereo& sound);
// Scales the sound so its peak is `target`.
void normalise(Stereo& sound, float target);

}  // namespace assets
