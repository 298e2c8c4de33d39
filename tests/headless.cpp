// Linked into every test program: SDL runs headless unless the test (or whoever
// starts it) names the drivers it wants. Without a display SDL 1.2 would pick
// whatever driver it finds, a text-mode one included.
#include <cstdlib>

namespace {

const bool headless = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    return true;
}();

}  // namespace
