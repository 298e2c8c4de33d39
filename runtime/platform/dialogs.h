// Message boxes: a modal dialog independent of the game window, for error
// reports and critical errors.
#pragma once

#include <string>

namespace rt::platform {

enum class Answer { yes, no, ok };
// yes_no: buttons Yes and No; otherwise a single OK button.
Answer message_box(const std::string& text, const std::string& caption, bool yes_no);

}  // namespace rt::platform
