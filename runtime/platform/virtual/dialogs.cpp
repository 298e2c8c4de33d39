// Virtual message boxes: recorded, and answered from a queue of scripted answers.
#include <cstdio>
#include <deque>
#include <mutex>

#include "runtime/platform/dialogs.h"
#include "runtime/platform/virtual/virtual.h"

namespace rt {

namespace {

std::mutex box_lock;  // guards everything below
std::deque<platform::Answer> answers;
platform::Answer fallback = platform::Answer::no;
std::vector<virtual_platform::Box> shown;

}  // namespace

namespace virtual_platform {

void push_answer(platform::Answer answer) {
    std::lock_guard<std::mutex> guard(box_lock);
    answers.push_back(answer);
}

void set_fallback_answer(platform::Answer answer) {
    std::lock_guard<std::mutex> guard(box_lock);
    fallback = answer;
}

std::vector<Box> boxes() {
    std::lock_guard<std::mutex> guard(box_lock);
    return shown;
}

void clear_boxes() {
    std::lock_guard<std::mutex> guard(box_lock);
    shown.clear();
}

}  // namespace virtual_platform

platform::Answer platform::message_box(const std::string& text, const std::string& caption, bool yes_no) {
    std::lock_guard<std::mutex> guard(box_lock);
    shown.push_back({text, caption, yes_no});
    // Also on stderr, so that a test watching a child process can read it.
    std::fprintf(stderr, "[box] %s\n%s\n", caption.c_str(), text.c_str());
    if (!yes_no) return Answer::ok;
    if (answers.empty()) return fallback;
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

}  // namespace rt
