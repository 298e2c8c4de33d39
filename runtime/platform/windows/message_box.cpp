// Message boxes: the system's own, system-modal and without an owner window, so
// that they show whatever state the game window is in.
#include <windows.h>

#include <string>

#include "runtime/platform/dialogs.h"
#include "runtime/platform/windows/text.h"

namespace rt::platform {

Answer message_box(const std::string& text, const std::string& caption, bool yes_no) {
    const UINT style = (yes_no ? MB_YESNO : MB_OK) | MB_SYSTEMMODAL | MB_SETFOREGROUND;
    const int answer = MessageBoxW(nullptr, wide(text).c_str(), wide(caption).c_str(), style);
    // 0 when no box could be shown (no desktop): answered as Escape would.
    if (answer == IDYES) return Answer::yes;
    return yes_no ? Answer::no : Answer::ok;
}

}  // namespace rt::platform
