// The shipped game has nothing to do between frames.
#include "runtime/platform/frame.h"

namespace rt::platform {

void frame_boundary() {}

}  // namespace rt::platform
