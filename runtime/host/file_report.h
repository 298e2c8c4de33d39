// A picture or sound the game cannot use gets one line on stderr, besides the
// runtime error that follows when the game uses the missing handle: the error
// report only shows a line number, the stderr line says which file and why.
#pragma once

#include <string>

namespace rt {

// Why the file `name` (relative to the working directory) could not be used,
// as found now: "not found", "not a file", "cannot be read" or "damaged" (it
// exists and reads, so its contents were refused).
std::string file_problem(const std::string& name);

// Writes "Unable to load <kind> <full path>: <problem>" to stderr, once per
// name for the whole run (a one-shot sound is asked for again and again).
// An empty name was never a file and is not reported.
void report_unusable_file(const char* kind, const std::string& name);

}  // namespace rt
