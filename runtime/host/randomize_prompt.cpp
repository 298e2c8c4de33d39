// The form of randomize without a seed: the seed is asked for on the screen and
// typed in as a 16-bit integer, which goes into bits 8..23 of the state the way
// a given seed's bits do.
#include <string>

#include "runtime/host/host.h"
#include "runtime/host/host_internal.h"
#include "runtime/input/input.h"
#include "runtime/text/text.h"
#include "runtime/values/values.h"

namespace rt {

namespace {

void print_now(const std::string& text, bool new_line) {
    print_text(string_literal(text.c_str(), uint32_t(text.size())), new_line);
}

bool parse_seed(const std::string& text, int32_t& seed) {
    size_t at = 0;
    bool negative = false;
    while (at < text.size() && text[at] == ' ') ++at;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    if (at == text.size()) return false;
    int64_t value = 0;
    for (; at < text.size(); ++at) {
        if (text[at] == ' ') break;
        if (text[at] < '0' || text[at] > '9') return false;
        value = value * 10 + (text[at] - '0');
        if (value > 32768) return false;
    }
    for (; at < text.size(); ++at)
        if (text[at] != ' ') return false;
    if (negative) value = -value;
    if (value < -32768 || value > 32767) return false;
    seed = int32_t(value);
    return true;
}

}  // namespace

void randomize_prompt() {
    if (error_pending()) return;
    int32_t seed = 0;
    for (;;) {
        print_now("Random-number seed (-32768 to 32767)? ", false);
        std::string line;
        for (;;) {
            uint8_t character = 0, scan = 0;
            take_typed_key_or_stop(character, scan);
            if (character == 0) continue;  // a key that types no character
            char c = char(character);
            if (c == 13) break;
            if (c == 8) {
                if (!line.empty()) {
                    line.pop_back();
                    print_now("\x1D \x1D", false);  // back, blank, back
                }
            } else if (uint8_t(c) >= 32) {
                line += c;
                print_now(std::string(1, c), false);
            }
        }
        print_now("", true);
        release_temporaries(step_mark, 0);
        if (parse_seed(line, seed)) break;
        print_now("Redo from start", true);
    }
    uint32_t bits = uint32_t(seed) & 0xFFFF;
    random_state = (random_state & 0xFF) | (bits << 8);
}

}  // namespace rt
