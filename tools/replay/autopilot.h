// An autopilot for the replay runner: it plays the game from its state, frame by
// frame, with the keys a player would use. `win` sails the course as fast as it
// can; `lose` idles away from the gates until three opponents are home, then sails.
#pragma once

#include <cstdint>
#include <vector>

#include "game/state.h"

namespace replay {

enum class PilotMode { win, lose };

// The keys the autopilot wants for this frame.
struct Controls {
    bool left = false, right = false;  // held
    bool type_space = false;           // typed once
    bool done = false;                 // back on the title screen after a game
};

struct Autopilot {
    PilotMode mode = PilotMode::win;
    game::Screen last_screen = game::Screen::start_up;
    int64_t frames_on_screen = 0;
    bool game_finished = false;  // a ranking screen was seen
    int64_t last_toggle = -1000;
    int64_t frames_all_home = 0;  // race frames since the sixth boat finished
    // Where the reef colour has been seen in this stage's race frames, and the
    // grid of 10-pixel cells where the yacht's probes would meet it.
    int mapped_stage = 0;
    int64_t mapped_frames = 0;
    std::vector<uint8_t> reef_seen;
    std::vector<uint8_t> blocked;
    // The planned route to the current waypoint, in cells.
    std::vector<int> route;
    int route_goal = -1;
    int64_t route_frame = -1000;
};

Controls steer(Autopilot& pilot, int64_t frame);

}  // namespace replay
