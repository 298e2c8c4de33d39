// Replay scripts: key events and dialog answers by frame number.
//
//     # a comment
//     120 type space        press and release: the key is typed once
//     300 press right       held until released
//     420 release right
//     500 release_all
//     610 answer yes        the next message box is answered Yes
//     700 shot              save the screen page of this frame as PNG
//     end type x            when the program waits for its last key (after Q)
//
// Keys: a single character ("q", "Q", "p"), or space, enter, escape, left, right,
// up, down, pause, f1..f12, or sym:N for any SDL key symbol.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace replay {

// An SDL key symbol with the character it types (0 for none).
struct Key {
    int32_t symbol = 0;
    uint32_t unicode = 0;
};
std::optional<Key> parse_key(const std::string& name);

struct Event {
    enum class Kind { press, release, type, release_all, answer, shot } kind;
    Key key;
    std::string word;  // the answer: yes, no or ok
};

struct Script {
    // Events by frame, in script order within a frame; frame 0 holds the "end" events.
    std::multimap<int64_t, Event> events;
    std::vector<Event> at_frame(int64_t frame) const;
};

constexpr int64_t end_frame = 0;

// Parses a script; on a bad line fills `error` with its number and reason.
std::optional<Script> parse_script(const std::string& text, std::string& error);

}  // namespace replay
