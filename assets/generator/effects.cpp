// The ambient loops, the bell and the start signals.
#include <cmath>

#include "assets/generator/sounds.h"

namespace assets {

namespace {

constexpr double two_pi = 6.28318530717958647;

size_t seconds(double s) { return static_cast<size_t>(s * sample_rate + 0.5); }

// A slow wave of whole cycles over the loop, so it lines up with itself at the seam.
double cycles(size_t i, size_t loop, double count, double offset = 0) {
    return std::sin(two_pi * (count * static_cast<double>(i) / loop + offset));
}

// Adds `event` into `into` at `at`, wrapping round the end: events near the seam
// ring on into the start, which keeps the loop whole.
void add_wrapped(Stereo& into, const Stereo& event, size_t at, float left_gain, float right_gain) {
    size_t n = into.frames();
    for (size_t i = 0; i < event.frames(); ++i) {
        size_t k = (at + i) % n;
        into.left[k] += event.left[i] * left_gain;
        into.right[k] += event.right[i] * right_gain;
    }
}

// One lap of a small wave against the hull: a swell of low noise with a fizz on top.
Stereo water_lap(Noise& noise, double length) {
    Stereo lap(seconds(length));
    LowPass body_l, body_r, fizz_l, fizz_r;
    for (size_t i = 0; i < lap.frames(); ++i) {
        double t = static_cast<double>(i) / lap.frames();
        float swell = static_cast<float>(std::sin(3.14159265 * t) * std::sin(3.14159265 * t));
        float fizz_env = static_cast<float>(std::exp(-6.0 * std::fabs(t - 0.55)));
        float a = noise.next(), b = noise.next(), c = noise.next(), d = noise.next();
        float high_l = c - fizz_l.run(c, 2500.0f), high_r = d - fizz_r.run(d, 2500.0f);
        lap.left[i] = swell * body_l.run(a, 500.0f) * 1.6f + fizz_env * high_l * 0.10f;
        lap.right[i] = swell * body_r.run(b, 500.0f) * 1.6f + fizz_env * high_r * 0.10f;
    }
    return lap;
}

// A short tone: a pulse with a touch of its octave, soft edges.
Stereo signal_tone(double frequency, double length, double duty) {
    Stereo tone(seconds(length));
    Phase p1, p2;
    LowPass soften;
    size_t attack = seconds(0.004), release = seconds(0.040);
    for (size_t i = 0; i < tone.frames(); ++i) {
        double env = 1.0;
        if (i < attack) env = static_cast<double>(i) / attack;
        if (i + release > tone.frames()) env = static_cast<double>(tone.frames() - i) / release;
        double dt1 = frequency / sample_rate, dt2 = 2 * frequency / sample_rate;
        float v = pulse(p1.step(frequency), dt1, duty) * 0.8f + pulse(p2.step(2 * frequency), dt2, 0.5) * 0.2f;
        float s = soften.run(v, 6000.0f) * static_cast<float>(env);
        tone.left[i] = s;
        tone.right[i] = s;
    }
    normalise(tone, 0.5f);
    return tone;
}

}  // namespace

Stereo make_water() {
    const size_t loop = seconds(4.0), overlap = seconds(0.5);
    Noise noise(0x5EA5EA01u);
    // The bed: a low, slowly breathing rush, the two sides a little apart.
    Stereo bed(loop + overlap);
    LowPass l1, l2, r1, r2, hiss_l, hiss_r;
    for (size_t i = 0; i < bed.frames(); ++i) {
        double breath = 0.65 + 0.20 * cycles(i, loop, 1) + 0.10 * cycles(i, loop, 3, 0.3);
        float a = noise.next(), b = noise.next(), c = noise.next();
        float shared = c * 0.4f;
        float left = l2.run(l1.run(a + shared, 700.0f), 900.0f);
        float right = r2.run(r1.run(b + shared, 700.0f), 900.0f);
        float hl = a - hiss_l.run(a, 3000.0f), hr = b - hiss_r.run(b, 3000.0f);
        bed.left[i] = static_cast<float>(breath) * (left * 2.2f + hl * 0.025f);
        bed.right[i] = static_cast<float>(breath) * (right * 2.2f + hr * 0.025f);
    }
    Stereo water = close_loop(bed, loop, overlap);
    // Laps against the hull at uneven places round the loop.
    constexpr struct { double at, length; float left, right; } laps[] = {
        {0.15, 0.70, 0.9f, 0.6f}, {1.05, 0.55, 0.5f, 0.9f}, {1.80, 0.80, 0.8f, 0.8f},
        {2.70, 0.60, 0.6f, 1.0f}, {3.45, 0.75, 1.0f, 0.6f},   // the last one rings over the seam
    };
    for (const auto& lap : laps) add_wrapped(water, water_lap(noise, lap.length), seconds(lap.at), lap.left, lap.right);
    normalise(water, 0.45f);
    return water;
}

Stereo make_wind() {
    const size_t loop = seconds(6.0), overlap = seconds(0.75);
    Noise noise(0x77A1D002u);
    Stereo source(loop + overlap);
    BandPass whistle_l, whistle_r;
    LowPass rumble_l, rumble_r, rumble2_l, rumble2_r;
    for (size_t i = 0; i < source.frames(); ++i) {
        // Gusts and the pitch of the whistle follow whole cycles of the loop.
        double gust = 0.70 + 0.18 * cycles(i, loop, 1, 0.1) + 0.10 * cycles(i, loop, 2, 0.6) + 0.04 * cycles(i, loop, 5);
        double centre = 520 + 160 * cycles(i, loop, 1, 0.35) + 70 * cycles(i, loop, 3, 0.8);
        float a = noise.next(), b = noise.next();
        float wl = whistle_l.run(a, static_cast<float>(centre), 7.0f);
        float wr = whistle_r.run(b, static_cast<float>(centre * 1.06), 7.0f);
        float rl = rumble2_l.run(rumble_l.run(a, 250.0f), 300.0f);
        float rr = rumble2_r.run(rumble_r.run(b, 250.0f), 300.0f);
        float g = static_cast<float>(gust);
        source.left[i] = g * (wl * 0.55f + rl * 1.6f);
        source.right[i] = g * (wr * 0.55f + rr * 1.6f);
    }
    Stereo wind = close_loop(source, loop, overlap);
    normalise(wind, 0.45f);
    return wind;
}

Stereo make_bell() {
    // A small ship's bell: inharmonic partials, the high ones dying first, and a
    // short knock of the clapper.
    constexpr struct { double ratio, level, decay; } partials[] = {
        {0.50, 0.35, 1.1}, {1.00, 1.00, 0.8}, {1.19, 0.45, 0.6}, {1.50, 0.40, 0.55},
        {2.00, 0.50, 0.45}, {2.51, 0.30, 0.35}, {2.66, 0.25, 0.3}, {3.01, 0.20, 0.25},
        {4.17, 0.12, 0.2}, {5.43, 0.08, 0.15},
    };
    const double base = 784.0;   // G5
    Stereo bell(seconds(3.0));
    Noise noise(0xC10C4E03u);
    LowPass knock_filter;
    size_t attack = seconds(0.002);
    for (size_t i = 0; i < bell.frames(); ++i) {
        double t = static_cast<double>(i) / sample_rate;
        double v = 0;
        for (const auto& p : partials) {
            double f = base * p.ratio;
            // A faint beat between the two sides of the bell.
            v += p.level * std::exp(-t / p.decay) * (std::sin(two_pi * f * t) + 0.3 * std::sin(two_pi * (f + 1.3) * t));
        }
        double knock = std::exp(-t / 0.006) * knock_filter.run(noise.next(), 3000.0f) * 2.0;
        double env = i < attack ? static_cast<double>(i) / attack : 1.0;
        // The last 300 ms fade out so the file ends on silence.
        const size_t fade = seconds(0.3);
        double tail = bell.frames() - i < fade ? static_cast<double>(bell.frames() - i) / fade : 1.0;
        float s = static_cast<float>((v + knock) * env * tail);
        bell.left[i] = s;
        bell.right[i] = s;
    }
    normalise(bell, 0.6f);
    return bell;
}

Stereo make_beep() { return signal_tone(880.0, 0.22, 0.5); }

Stereo make_beep2() { return signal_tone(1760.0, 0.60, 0.5); }

}  // namespace assets
