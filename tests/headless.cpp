// Linked into every test program: SDL runs headless unless the test (or whoever
// starts it) names the drivers it wants. Without a display SDL 1.2 would pick
// whatever driver it finds, a text-mode one included.
#include "tests/headless.h"

#include <cstdlib>
#include <functional>

namespace {

const bool headless = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    return true;
}();

}  // namespace

namespace test_support {

// The library is chosen by the library search path.
std::string library_tag() {
    const char* path = std::getenv("LD_LIBRARY_PATH");
    return path ? std::to_string(std::hash<std::string>{}(path) % 1000000) : "system";
}

}  // namespace test_support
