#include "tests/sound/sound_files.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
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

// 22,050 Hz stereo through libsndfile: `frames` frames of the same sample on both channels.
template <class Sample, class Write>
void write_sound(const std::string& path, int format, sf_count_t frames, Sample sample, Write write) {
    SF_INFO info{};
    info.samplerate = 22050;
    info.channels = 2;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
    std::vector<decltype(sample(0))> data(size_t(frames) * 2);
    for (sf_count_t i = 0; i < frames; ++i) data[size_t(i) * 2] = data[size_t(i) * 2 + 1] = sample(i);
    write(file, data.data(), frames);
    sf_close(file);
}

void write_sine(const std::string& path, double seconds, int format) {
    write_sound(path, format, sf_count_t(seconds * 22050),
                [](sf_count_t i) { return float(0.5 * std::sin(2 * std::numbers::pi * 440.0 * double(i) / 22050)); },
                sf_writef_float);
}

}  // namespace

void write_square_wav(const std::string& path, uint32_t frames, int16_t amplitude, uint32_t period) {
    write_sound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, frames,
                [&](sf_count_t i) { return i % period < period / 2 ? amplitude : int16_t(-amplitude); },
                sf_writef_short);
}

void write_ogg(const std::string& path, double seconds) { write_sine(path, seconds, SF_FORMAT_OGG | SF_FORMAT_VORBIS); }

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
