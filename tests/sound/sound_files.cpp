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

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void put_tag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

void write_sine(const std::string& path, double seconds, int format, int rate, int channels) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
    const auto frames = sf_count_t(seconds * rate);
    std::vector<float> data(size_t(frames) * size_t(channels));
    for (sf_count_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            data[size_t(i) * size_t(channels) + size_t(c)] =
                float(0.5 * std::sin(2 * std::numbers::pi * 440.0 * double(i) / rate));
    sf_writef_float(file, data.data(), frames);
    sf_close(file);
}

void write_square_wav(const std::string& path, uint32_t frames, int16_t amplitude, uint32_t period) {
    std::vector<uint8_t> out;
    put_tag(out, "RIFF");
    put32(out, 36 + frames * 4);
    put_tag(out, "WAVE");
    put_tag(out, "fmt ");
    put32(out, 16);
    put16(out, 1);
    put16(out, 2);
    put32(out, 22050);
    put32(out, 22050 * 4);
    put16(out, 4);
    put16(out, 16);
    put_tag(out, "data");
    put32(out, frames * 4);
    for (uint32_t i = 0; i < frames; ++i) {
        int16_t v = (i % period) < period / 2 ? amplitude : int16_t(-amplitude);
        put16(out, uint16_t(v));
        put16(out, uint16_t(v));
    }
    write_bytes(path, out);
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
