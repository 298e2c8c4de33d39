// Writing sounds: 16-bit stereo WAV and Ogg Vorbis, both byte-for-byte the same
// on every run.
#pragma once

#include <string>

#include "assets/generator/synth.h"

namespace assets {

bool write_wav(const std::string& path, const Stereo& sound);
// quality: the Vorbis VBR quality, -0.1..1.
bool write_ogg(const std::string& path, const Stereo& sound, float quality);

}  // namespace assets
