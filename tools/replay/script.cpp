#include "tools/replay/script.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace replay {

std::optional<Key> parse_key(const std::string& name) {
    if (name.size() == 1) {
        unsigned char c = static_cast<unsigned char>(name[0]);
        if (c < 32 || c > 126) return std::nullopt;
        // SDL names letter keys by their lower-case character.
        return Key{int32_t(std::tolower(c)), c};
    }
    struct Named {
        const char* name;
        Key key;
    };
    static const Named named[] = {
        {"space", {SDLK_SPACE, ' '}}, {"enter", {SDLK_RETURN, '\r'}}, {"escape", {SDLK_ESCAPE, 27}},
        {"left", {SDLK_LEFT, 0}},     {"right", {SDLK_RIGHT, 0}},     {"up", {SDLK_UP, 0}},
        {"down", {SDLK_DOWN, 0}},     {"pause", {SDLK_PAUSE, 0}},
    };
    for (const Named& n : named)
        if (name == n.name) return n.key;
    if (name.size() >= 2 && (name[0] == 'f' || name[0] == 'F') &&
        std::all_of(name.begin() + 1, name.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        int n = std::stoi(name.substr(1));
        if (n >= 1 && n <= 12) return Key{int32_t(SDLK_F1 + n - 1), 0};
    }
    if (name.rfind("sym:", 0) == 0 && name.size() > 4) {
        try {
            return Key{int32_t(std::stoi(name.substr(4))), 0};
        } catch (...) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::vector<Event> Script::at_frame(int64_t frame) const {
    std::vector<Event> out;
    auto [first, last] = events.equal_range(frame);
    for (auto it = first; it != last; ++it) out.push_back(it->second);
    return out;
}

std::optional<Script> parse_script(const std::string& text, std::string& error) {
    Script script;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string when, action, argument, extra;
        if (!(words >> when)) continue;
        auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(number) + ": " + why;
            return std::nullopt;
        };
        if (!(words >> action)) return fail("an action is missing");
        words >> argument;
        if (words >> extra) return fail("unexpected '" + extra + "'");

        int64_t frame = end_frame;
        if (when != "end") {
            if (!std::all_of(when.begin(), when.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
                return fail("'" + when + "' is neither a frame number nor end");
            frame = std::stoll(when);
            if (frame < 1) return fail("frames are counted from 1");
        }
        Event event{Event::Kind::shot, {}, {}};
        if (action == "press" || action == "release" || action == "type") {
            auto key = parse_key(argument);
            if (!key) return fail("unknown key '" + argument + "'");
            event.kind = action == "press" ? Event::Kind::press
                         : action == "release" ? Event::Kind::release
                                               : Event::Kind::type;
            event.key = *key;
        } else if (action == "release_all" && argument.empty()) {
            event.kind = Event::Kind::release_all;
        } else if (action == "answer" && (argument == "yes" || argument == "no" || argument == "ok")) {
            event.kind = Event::Kind::answer;
            event.word = argument;
        } else if (action == "shot" && argument.empty()) {
            event.kind = Event::Kind::shot;
        } else {
            return fail("unknown action '" + action + (argument.empty() ? "" : " " + argument) + "'");
        }
        script.events.emplace(frame, event);
    }
    return script;
}

}  // namespace replay
