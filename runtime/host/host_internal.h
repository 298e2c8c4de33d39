// Host details shared with its tests.
#pragma once

#include <cstdint>
#include <string>

namespace rt {

// The program file's folder: everything from the last '\', '/' or ':' removed,
// a final ':' kept (a drive root stays "C:").
std::string folder_of(const std::string& path);

// Set at start-up: the program folder (the working directory) and the command
// line (the arguments after the program name joined with single blanks).
extern std::string program_folder;
extern std::string command_line;

// Waits for the next entry of the typed-key buffer, a millisecond between tries;
// the shutdown still reaches the program thread meanwhile.
void take_typed_key_or_stop(uint8_t& character, uint8_t& scan);

}  // namespace rt
