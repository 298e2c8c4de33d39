// What every test program shares (tests/headless.cpp).
#pragma once

#include <string>

namespace test_support {

// A name for scratch folders that differs between the runs of one test on the
// two SDL 1.2 libraries (which may run at the same time) but stays the same in
// a death test's child process.
std::string library_tag();

}  // namespace test_support
