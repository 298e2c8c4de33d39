#include "tests/sound/sound_files.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <random>
#include <stdexcept>

#include "tests/headless.h"

namespace sound_test {

Text::Text(std::string text) : bytes(std::move(text)) {
    value.text = reinterpret_cast<uint8_t*>(bytes.data());
    value.length = uint32_t(bytes.size());
}

std::string scratch_folder(const std::string& name) {
    std::filesystem::path folder = std::filesystem::path(testing::TempDir()) /
                                    ("sound-" + name + "-" + test_support::library_tag());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder.string();
}

std::string unique_scratch_folder(const std::string& name) {
    std::random_device random;
    return scratch_folder(name + "-" + std::to_string(random()) + std::to_string(random()));
}

namespace {

// Through libsndfile: `frames` frames of the same sample on every channel.
template <class Sample, class Write>
void write_sound(const std::string& path, int format, int rate, int channels, sf_count_t frames, Sample sample,
                 Write write) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
    std::vector<decltype(sample(0))> data(size_t(frames) * size_t(channels));
    for (sf_count_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) data[size_t(i) * size_t(channels) + size_t(c)] = sample(i);
    write(file, data.data(), frames);
    sf_close(file);
}

}  // namespace

void write_sine(const std::string& path, double seconds, int format, int rate, int channels) {
    write_sound(path, format, rate, channels, sf_count_t(seconds * rate),
                [rate](sf_count_t i) { return float(0.5 * std::sin(2 * std::numbers::pi * 440.0 * double(i) / rate)); },
                sf_writef_float);
}

void write_square_wav(const std::string& path, uint32_t frames, int16_t amplitude, uint32_t period) {
    write_sound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 2, frames,
                [&](sf_count_t i) { return i % period < period / 2 ? amplitude : int16_t(-amplitude); },
                sf_writef_short);
}

void write_ogg(const std::string& path, double seconds) { write_sine(path, seconds, SF_FORMAT_OGG | SF_FORMAT_VORBIS); }

void fix_ogg_checksums(std::vector<uint8_t>& ogg) {
    size_t at = 0;
    while (at + 27 <= ogg.size() && std::memcmp(ogg.data() + at, "OggS", 4) == 0) {
        size_t end = at + 27 + ogg[at + 26];
        if (end > ogg.size()) return;
        for (size_t i = 0; i < ogg[at + 26]; ++i) end += ogg[at + 27 + i];
        if (end > ogg.size()) return;
        std::memset(ogg.data() + at + 22, 0, 4);
        uint32_t crc = 0;
        for (size_t i = at; i < end; ++i) {
            crc ^= uint32_t(ogg[i]) << 24;
            for (int bit = 0; bit < 8; ++bit) crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
        }
        for (int i = 0; i < 4; ++i) ogg[at + 22 + size_t(i)] = uint8_t(crc >> (8 * i));
        at = end;
    }
}

void write_mp3(const std::string& path, double seconds) {
    write_sine(path, seconds, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
}

void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<int16_t> samples_of(const std::vector<uint8_t>& raw) {
    std::vector<int16_t> out(raw.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) out[i] = int16_t(uint16_t(raw[2 * i] | (raw[2 * i + 1] << 8)));
    return out;
}

}  // namespace sound_test
