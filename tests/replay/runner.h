// Runs the replay runner as a child process on a script and reads back what it
// wrote: the JSON state lines and the PNG pictures of the screen page.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "tests/game_view.h"

namespace runner {

// A parsed JSON value (the subset the runner writes).
struct Json {
    std::variant<std::nullptr_t, double, std::string, std::vector<Json>, std::map<std::string, Json>> v;
    double number() const;
    const std::string& text() const;
    const std::vector<Json>& items() const;
    const Json& operator[](const std::string& key) const;
    const Json& operator[](size_t index) const;
};
Json parse_json(const std::string& text);

// One frame's line.
struct Frame {
    int64_t frame = 0;
    std::string screen;
    uint32_t rnd = 0;
    uint32_t ticks = 0;
    Json vars;
    double var(const std::string& name) const { return vars[name].number(); }
    double var(const std::string& name, size_t i) const { return vars[name][i].number(); }
};

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> index;  // palette indices
    uint8_t at(int x, int y) const { return index[size_t(y) * size_t(width) + size_t(x)]; }
    // Every set pixel of the glyphs of `s` at text row/column (from 1) shows `colour`, no clear one does.
    bool shows_text(int row, int column, const std::string& s, uint8_t colour) const;
    // The glyph pixels of `s` all show `colour` (other text may overlap).
    bool contains_text(int row, int column, const std::string& s, uint8_t colour) const;
    bool row_band_is(int y0, int y1, uint8_t colour) const;
};

struct Result {
    int exit_code = -1;
    std::string folder;  // where the pictures are
    std::vector<Frame> frames;
    std::string json;    // the raw output
    std::string errors;  // the runner's standard error
    // Exit code 0 without a message box: an error box answered No and a
    // critical error also end with 0, and the virtual platform writes every box
    // on standard error.
    bool ended_cleanly() const { return exit_code == 0 && errors.find("[box] ") == std::string::npos; }
    const Frame* at(int64_t frame) const;
    Picture picture(int64_t frame) const;  // frame_NNNNNN.png
    Picture end_picture() const;           // end.png
};

// Arguments besides --script, --json and --png-dir.
Result run(const std::string& script, const std::vector<std::string>& arguments);

using test_support::next_state;
double rnd_of(uint32_t state);  // the value a draw gives that leaves this state

}  // namespace runner
