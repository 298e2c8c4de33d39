// What the game tests and the replay tests read the same way: text as the game
// prints it on an 8-bit page (8x16 glyphs), and the random generator's steps.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/text/text.h"

namespace test_support {

// Every set pixel of the glyphs of `s` at text row and column (from 1) shows
// `colour` in `pixel(x, y)`; `exact`: and no clear pixel of them does (other
// text may overlap otherwise).
template <class Pixel>
bool text_at(Pixel pixel, int row, int column, const std::string& s, uint8_t colour, bool exact) {
    for (size_t n = 0; n < s.size(); ++n) {
        const uint8_t* g = rt::glyph(16, static_cast<uint8_t>(s[n]));
        const int x0 = (column - 1 + int(n)) * 8, y0 = (row - 1) * 16;
        for (int gy = 0; gy < 16; ++gy)
            for (int gx = 0; gx < 8; ++gx) {
                const bool set = g[gy * 8 + gx] != 0, shown = pixel(x0 + gx, y0 + gy) == colour;
                if (set ? !shown : exact && shown) return false;
            }
    }
    return true;
}

// The generator's next state.
constexpr uint32_t next_state(uint32_t state) { return (state * 16598013u + 12820163u) & 0xFFFFFFu; }

}  // namespace test_support
