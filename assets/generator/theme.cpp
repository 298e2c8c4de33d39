// The title theme: a bright sailing tune in D major for two pulse voices, a
// stepped-triangle bass and noise drums. 32 bars at 16 steps; the last beat
// rests so the loop closes on silence and starts again from the top.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "assets/generator/sounds.h"

namespace assets {

namespace {

constexpr size_t step_frames = 2520;   // one sixteenth: 131.25 beats a minute
constexpr int steps_per_bar = 16;
constexpr double two_pi = 6.28318530717958647;

struct Bar {
    const char* chords;   // one chord, or two for the two half bars
    const char* melody;   // notes "A4:2" (name:steps) and rests "-:2"
};

// Section A: the tune. Section B: the answer, over the relative minor.
constexpr Bar section_a[8] = {
    {"D", "A4:2 D5:2 F#5:2 A5:4 F#5:2 E5:2 D5:2"},
    {"A", "E5:3 C#5:1 A4:4 E5:2 F#5:2 E5:2 C#5:2"},
    {"Bm", "D5:2 F#5:2 B5:4 A5:2 F#5:2 D5:2 B4:2"},
    {"G", "G4:2 B4:2 D5:2 G5:6 F#5:2 E5:2"},
    {"D", "F#5:4 A5:2 F#5:2 D5:4 A4:4"},
    {"A", "C#5:2 E5:2 A5:4 G5:2 F#5:2 E5:4"},
    {"G A", "D5:2 B4:2 G4:4 A4:2 C#5:2 E5:4"},
    {"D", "D5:6 -:2 A4:2 B4:2 C#5:4"},
};
constexpr const char* a_second_ending = "D5:8 -:4 C#5:2 A4:2";
constexpr const char* a_final_ending = "D5:4 A4:2 F#4:2 D4:4 -:4";

constexpr Bar section_b[8] = {
    {"Bm", "B4:4 D5:4 F#5:6 E5:2"},
    {"F#m", "C#5:4 F#5:4 A5:6 F#5:2"},
    {"G", "G5:3 F#5:1 E5:2 D5:2 B4:4 D5:4"},
    {"D", "A5:8 F#5:4 D5:4"},
    {"Em", "E5:2 G5:2 B5:4 A5:2 G5:2 E5:4"},
    {"A", "A5:3 G5:1 F#5:2 E5:2 C#5:4 A4:4"},
    {"F#m Bm", "C#5:2 F#5:2 A5:4 B5:2 A5:2 F#5:4"},
    {"Em A", "G5:4 E5:4 C#5:4 E5:2 C#5:2"},
};

enum class Voice { lead, echo, stab, arpeggio, bass, kick, snare, hat };

struct Note {
    int start;      // step
    int length;     // steps
    int midi;       // pitch (drums: unused)
    Voice voice;
    float level;
};

int midi_of(const std::string& name) {
    double f = note_frequency(name.c_str());
    return static_cast<int>(std::lround(69 + 12 * std::log2(f / 440.0)));
}

double frequency_of(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

struct Chord {
    int root;   // pitch class 0..11 (C = 0)
    bool minor;
};

std::vector<Chord> chords_of(const char* text) {
    std::vector<Chord> out;
    std::string s(text);
    size_t pos = 0;
    while (pos < s.size()) {
        size_t end = s.find(' ', pos);
        if (end == std::string::npos) end = s.size();
        std::string name = s.substr(pos, end - pos);
        bool minor = name.back() == 'm';
        std::string root = minor ? name.substr(0, name.size() - 1) : name;
        out.push_back({midi_of(root + "4") % 12, minor});
        pos = end + 1;
    }
    return out;
}

// The chord in force at a step of a bar.
Chord chord_at(const Bar& bar, int step) {
    auto chords = chords_of(bar.chords);
    return chords.size() == 1 || step < steps_per_bar / 2 ? chords[0] : chords[1];
}

void add_melody(std::vector<Note>& notes, const char* text, int bar_start, Voice voice, float level, int delay) {
    std::string s(text);
    size_t pos = 0;
    int step = bar_start;
    while (pos < s.size()) {
        size_t end = s.find(' ', pos);
        if (end == std::string::npos) end = s.size();
        std::string token = s.substr(pos, end - pos);
        size_t colon = token.find(':');
        std::string name = token.substr(0, colon);
        int length = std::stoi(token.substr(colon + 1));
        if (name != "-") notes.push_back({step + delay, length, midi_of(name), voice, level});
        step += length;
        pos = end + 1;
    }
}

void add_bass(std::vector<Note>& notes, const Bar& bar, int bar_start) {
    // Octave jumps in eighths: root, octave, fifth, octave.
    for (int half = 0; half < 2; ++half) {
        Chord c = chord_at(bar, half * 8);
        int root = 40 + (c.root - 4 + 12) % 12;   // E2 .. D#3
        const int pattern[4] = {root, root + 12, root + 7, root + 12};
        for (int k = 0; k < 4; ++k) notes.push_back({bar_start + half * 8 + k * 2, 2, pattern[k], Voice::bass, 0.30f});
    }
}

void add_stabs(std::vector<Note>& notes, const Bar& bar, int bar_start) {
    // Off-beat chord notes, third and fifth in turn.
    for (int k = 0; k < 4; ++k) {
        int step = 2 + k * 4;
        Chord c = chord_at(bar, step);
        int tone = 60 + (c.root + (k % 2 == 0 ? (c.minor ? 3 : 4) : 7)) % 12;
        notes.push_back({bar_start + step, 1, tone + 12, Voice::stab, 0.09f});
    }
}

void add_arpeggio(std::vector<Note>& notes, const Bar& bar, int bar_start) {
    for (int step = 0; step < steps_per_bar; ++step) {
        Chord c = chord_at(bar, step);
        const int shape[4] = {0, c.minor ? 3 : 4, 7, 12};
        int tone = 62 + (c.root - 2 + 12) % 12 + shape[step % 4];
        notes.push_back({bar_start + step, 1, tone, Voice::arpeggio, 0.07f});
    }
}

void add_drums(std::vector<Note>& notes, int bar_start, bool busy, bool fill, bool last) {
    for (int step = 0; step < steps_per_bar; ++step) {
        int at = bar_start + step;
        if (last && step > 8) break;   // the final bar stops after its third beat
        if (step == 0 || step == 8 || (busy && step == 10)) notes.push_back({at, 1, 0, Voice::kick, 0.40f});
        if (fill && step >= 12) notes.push_back({at, 1, 0, Voice::snare, step == 12 ? 0.20f : 0.14f});
        else if (step == 4 || step == 12) notes.push_back({at, 1, 0, Voice::snare, 0.20f});
        if (step % 2 == 0) notes.push_back({at, 1, 0, Voice::hat, step % 4 == 0 ? 0.06f : 0.04f});
    }
}

std::vector<Note> arrangement() {
    std::vector<Note> notes;
    int bar = 0;
    auto start = [&] { return bar * steps_per_bar; };
    // A: the tune over off-beat stabs.
    for (int i = 0; i < 8; ++i, ++bar) {
        add_melody(notes, section_a[i].melody, start(), Voice::lead, 0.22f, 0);
        add_stabs(notes, section_a[i], start());
        add_bass(notes, section_a[i], start());
        add_drums(notes, start(), false, i == 7, false);
    }
    // A again, with an echo voice three steps behind.
    for (int i = 0; i < 8; ++i, ++bar) {
        const char* tune = i == 7 ? a_second_ending : section_a[i].melody;
        add_melody(notes, tune, start(), Voice::lead, 0.22f, 0);
        add_melody(notes, tune, start(), Voice::echo, 0.08f, 3);
        add_bass(notes, section_a[i], start());
        add_drums(notes, start(), false, i == 7, false);
    }
    // B: the answer over running arpeggios.
    for (int i = 0; i < 8; ++i, ++bar) {
        add_melody(notes, section_b[i].melody, start(), Voice::lead, 0.22f, 0);
        add_arpeggio(notes, section_b[i], start());
        add_bass(notes, section_b[i], start());
        add_drums(notes, start(), true, i == 7, false);
    }
    // A to close, ending on the tonic and a beat of rest.
    for (int i = 0; i < 8; ++i, ++bar) {
        const char* tune = i == 7 ? a_final_ending : section_a[i].melody;
        add_melody(notes, tune, start(), Voice::lead, 0.22f, 0);
        if (i < 7) add_melody(notes, tune, start(), Voice::echo, 0.08f, 3);
        add_stabs(notes, section_a[i], start());
        add_bass(notes, section_a[i], start());
        add_drums(notes, start(), false, false, i == 7);
    }
    // Every voice rests over the last beat, so the loop closes on silence.
    const int rest = bar * steps_per_bar - steps_per_bar / 4;
    std::vector<Note> kept;
    for (Note n : notes) {
        if (n.start >= rest) continue;
        n.length = std::min(n.length, rest - n.start);
        kept.push_back(n);
    }
    return kept;
}

// The chip's noise channel: a 15-bit shift register clocked at `rate`.
struct ChipNoise {
    uint16_t reg = 1;
    double clock = 0;
    float value = 1;
    float run(double rate, bool short_mode) {
        clock += rate / sample_rate;
        while (clock >= 1) {
            clock -= 1;
            int tap = short_mode ? 6 : 1;
            uint16_t bit = ((reg >> 0) ^ (reg >> tap)) & 1;
            reg = static_cast<uint16_t>((reg >> 1) | (bit << 14));
            value = (reg & 1) ? 1.0f : -1.0f;
        }
        return value;
    }
};

// Renders one note into the mix.
void render(Stereo& mix, const Note& n) {
    size_t start = static_cast<size_t>(n.start) * step_frames;
    size_t gate = static_cast<size_t>(n.length) * step_frames;
    size_t attack = 60, release = 700;
    float pan_left = 0.5f, pan_right = 0.5f;
    Phase phase;
    ChipNoise noise;
    size_t total = gate + release;
    bool drum = n.voice == Voice::kick || n.voice == Voice::snare || n.voice == Voice::hat;
    if (drum) total = n.voice == Voice::kick ? 3200 : n.voice == Voice::snare ? 3600 : 900;
    else gate -= 300;   // a small gap between notes keeps the tune articulate
    switch (n.voice) {
    case Voice::lead: pan_left = 0.58f; pan_right = 0.42f; break;
    case Voice::echo: case Voice::stab: case Voice::arpeggio: pan_left = 0.38f; pan_right = 0.62f; break;
    default: break;
    }
    double f = frequency_of(n.midi);
    for (size_t i = 0; i < total && start + i < mix.frames(); ++i) {
        double t = static_cast<double>(i) / sample_rate;
        float v = 0;
        switch (n.voice) {
        case Voice::lead: case Voice::echo: case Voice::stab: case Voice::arpeggio: {
            // Vibrato on held notes only.
            double vib = t > 0.18 ? 1.0 + 0.004 * std::sin(two_pi * 5.5 * (t - 0.18)) : 1.0;
            double fi = f * vib;
            double duty = n.voice == Voice::lead ? 0.25 : 0.125;
            v = pulse(phase.step(fi), fi / sample_rate, duty);
            double env = i < attack ? static_cast<double>(i) / attack : 1.0;
            if (n.voice == Voice::lead) env *= 0.75 + 0.25 * std::exp(-t / 0.08);
            if (n.voice == Voice::stab || n.voice == Voice::arpeggio) env *= std::exp(-t / 0.09);
            if (i >= gate) env *= 1.0 - static_cast<double>(i - gate) / release;
            v *= static_cast<float>(env);
            break;
        }
        case Voice::bass: {
            v = stepped_triangle(phase.step(f));
            double env = i < attack ? static_cast<double>(i) / attack : 1.0;
            if (i >= gate) env *= 1.0 - static_cast<double>(i - gate) / release;
            v *= static_cast<float>(env);
            break;
        }
        case Voice::kick: {
            double sweep = 50 + 110 * std::exp(-t / 0.03);
            v = static_cast<float>(std::sin(two_pi * phase.step(sweep)) * std::exp(-t / 0.05));
            break;
        }
        case Voice::snare: {
            double tone = std::sin(two_pi * phase.step(190)) * std::exp(-t / 0.03) * 0.5;
            v = static_cast<float>((noise.run(11000, false) * std::exp(-t / 0.045) + tone));
            break;
        }
        case Voice::hat:
            v = static_cast<float>(noise.run(18000, true) * std::exp(-t / 0.012));
            break;
        }
        // Drums rise and fade over a few frames so none starts or ends on a step.
        if (drum && i < 16) v *= static_cast<float>(i) / 16.0f;
        if (drum && total - i < 200) v *= static_cast<float>(total - i) / 200.0f;
        mix.left[start + i] += v * n.level * pan_left * 2;
        mix.right[start + i] += v * n.level * pan_right * 2;
    }
}

}  // namespace

Stereo make_theme() {
    Stereo mix(static_cast<size_t>(4 * 8 * steps_per_bar) * step_frames);
    for (const Note& n : arrangement()) render(mix, n);
    // A gentle top cut takes the edge off the pulses, as a small speaker would.
    LowPass soften_l, soften_r;
    for (size_t i = 0; i < mix.frames(); ++i) {
        mix.left[i] = soften_l.run(mix.left[i], 7000.0f);
        mix.right[i] = soften_r.run(mix.right[i], 7000.0f);
    }
    normalise(mix, 0.8f);
    return mix;
}

}  // namespace assets
