// The frame boundary: the runtime calls it on the program thread after every
// frame display_now presents. The shipped game does nothing there; the virtual
// platform runs the frame hook of the tests and the replay runner.
#pragma once

namespace rt::platform {

void frame_boundary();

}  // namespace rt::platform
