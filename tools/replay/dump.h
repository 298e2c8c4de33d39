// What the runner writes: one JSON line of game state per frame, and the screen
// page as a palette PNG.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace replay {

// {"frame":n,"screen":"race","rnd":state,"ticks":ms,"vars":{...}} and a line end.
// Numbers print as %.9g, so each reads back to the same 32-bit float.
void write_state_line(std::FILE* out, int64_t frame);

// A copy of the display page: its pixels and palette.
struct PageCopy {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
    std::array<uint32_t, 256> palette{};
};
void copy_page(PageCopy& copy);

// The display page (or a copy of it) as an 8-bit palette PNG, indices kept; false on failure.
bool save_page_png(const std::string& path);
bool save_png(const std::string& path, const PageCopy& page);

}  // namespace replay
