// Sound files made by the tests themselves, and the texts handed to sound_open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/values/values.h"

namespace sound_test {

// A string value over its own bytes (the sound operations only read them).
struct Text {
    explicit Text(std::string bytes);
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    operator const rt::StrVal*() const { return &value; }
    std::string bytes;
    rt::StrVal value;
};

// A fresh folder under the test temp directory. The same name gives the same
// folder, as a death test's child process needs; a unique one is for one process.
std::string scratch_folder(const std::string& name);
std::string unique_scratch_folder(const std::string& name);

// 16-bit stereo PCM at 22,050 Hz: a square wave of +/- amplitude (period in frames).
void write_square_wav(const std::string& path, uint32_t frames, int16_t amplitude, uint32_t period = 50);
// Vorbis in Ogg and MPEG layer III, a sine of the given length (22,050 Hz stereo).
void write_ogg(const std::string& path, double seconds);
// Any format libsndfile writes (SF_FORMAT_*), a sine at `rate` on every channel.
void write_sine(const std::string& path, double seconds, int format, int rate = 22050, int channels = 2);
// Makes the checksum of every page right again after a field was changed.
void fix_ogg_checksums(std::vector<uint8_t>& ogg);
void write_mp3(const std::string& path, double seconds);
void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> read_bytes(const std::string& path);

// The interleaved 16-bit samples of a raw little-endian recording.
std::vector<int16_t> samples_of(const std::vector<uint8_t>& raw);

}  // namespace sound_test
