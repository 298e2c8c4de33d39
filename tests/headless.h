// What every test program shares (tests/headless.cpp).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// Windows' C library has _putenv_s where POSIX has setenv.
#ifdef _WIN32
inline int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && std::getenv(name)) return 0;
    return _putenv_s(name, value);
}
#endif

namespace test_support {

// A name for scratch folders that differs between the runs of one test on the
// two SDL 1.2 libraries (which may run at the same time) but stays the same in
// a death test's child process.
std::string library_tag();

// How a child process ended. Exit code 0 alone does not tell a clean end from
// an error box answered No or a critical error, which also end with 0: in the
// child, an exit handler prints "[end] boxes shown: N" last on stderr, N being
// every message box the virtual platform recorded. An end that skips the exit
// handlers prints nothing.
void report_boxes_at_exit();
// Death-test matcher: `output` (a pattern), then the end line
// with N boxes. Matched with the C++ library's regex: GoogleTest on Windows
// knows only a few simple patterns.
::testing::Matcher<const std::string&> ended_after(const std::string& output, int boxes);

}  // namespace test_support

// The child runs `statement` and must end with exit code 0 through its exit
// handlers, having shown no message box (a clean end) or exactly one.
#define EXPECT_CLEAN_END(statement, output) EXPECT_END_AFTER_BOXES(0, statement, output)
#define EXPECT_END_AFTER_BOX(statement, output) EXPECT_END_AFTER_BOXES(1, statement, output)
#define EXPECT_END_AFTER_BOXES(boxes, statement, output)                                           \
    EXPECT_EXIT(                                                                                   \
        {                                                                                          \
            ::test_support::report_boxes_at_exit();                                                \
            statement;                                                                             \
        },                                                                                         \
        ::testing::ExitedWithCode(0), ::test_support::ended_after(output, boxes))
