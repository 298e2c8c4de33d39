// Linked into every test program: SDL runs headless unless the test (or whoever
// starts it) names the drivers it wants. Without a display SDL 1.2 would pick
// whatever driver it finds, a text-mode one included.
#include "tests/headless.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <regex>
#include <utility>

#include "runtime/platform/virtual/virtual.h"

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

// Registered before the runtime registers its own handlers, so it runs after them.
void report_boxes_at_exit() {
    std::atexit([] {
        std::fprintf(stderr, "[end] boxes shown: %zu\n", rt::virtual_platform::boxes().size());
        std::fflush(stderr);
    });
}

namespace {

class Search : public ::testing::MatcherInterface<const std::string&> {
public:
    explicit Search(std::string pattern) : pattern_(std::move(pattern)), regex_(pattern_) {}
    bool MatchAndExplain(const std::string& text, ::testing::MatchResultListener*) const override {
        return std::regex_search(text, regex_);
    }
    void DescribeTo(std::ostream* os) const override { *os << "contains regular expression " << pattern_; }

private:
    std::string pattern_;
    std::regex regex_;
};

}  // namespace

::testing::Matcher<const std::string&> ended_after(const std::string& output, int boxes) {
    const std::string end = "\\[end\\] boxes shown: " + std::to_string(boxes) + "\n";
    return ::testing::MakeMatcher(new Search(output.empty() ? end : "(" + output + ")(.|\n)*" + end));
}

}  // namespace test_support
