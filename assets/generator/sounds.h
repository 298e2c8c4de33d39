// The game's sounds: the ambient loops, the gate bell, the start signals and
// the title theme, made at the mixer's rate in stereo.
#pragma once

#include "assets/generator/synth.h"

namespace assets {

Stereo make_water();    // "water.wav": lapping water, a seamless loop
Stereo make_wind();     // "vent.wav": wind in the rigging, a seamless loop
Stereo make_bell();     // "cloche.wav": the bell of a passed gate
Stereo make_beep();     // "beep.wav": the start countdown's beep
Stereo make_beep2();    // "beep2.wav": the higher final signal
Stereo make_theme();    // "8bit_varlin.OGG": the title theme, loop-clean

}  // namespace assets
