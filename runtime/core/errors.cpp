// Runtime errors: ordinary errors are recorded as the pending error and reported
// by the statement hook after the step; critical ones end the process at once.
#include <string>
#include <utility>

#include "runtime/core/core.h"
#include "runtime/platform/dialogs.h"

namespace rt {

namespace {

constexpr std::pair<int32_t, const char*> messages[] = {
    {1, "NEXT without FOR"},
    {2, "Syntax error"},
    {3, "RETURN without GOSUB"},
    {4, "Out of DATA"},
    {5, "Illegal function call"},
    {6, "Overflow"},
    {7, "Out of memory"},
    {8, "Label not defined"},
    {9, "Subscript out of range"},
    {10, "Duplicate definition"},
    {11, "Division by zero"},
    {12, "Illegal in direct mode"},
    {13, "Type mismatch"},
    {14, "Out of string space"},
    {16, "String formula too complex"},
    {17, "Cannot continue"},
    {18, "Function not defined"},
    {19, "No RESUME"},
    {20, "RESUME without error"},
    {24, "Device timeout"},
    {25, "Device fault"},
    {26, "FOR without NEXT"},
    {27, "Out of paper"},
    {29, "WHILE without WEND"},
    {30, "WEND without WHILE"},
    {33, "Duplicate label"},
    {35, "Subprogram not defined"},
    {37, "Argument-count mismatch"},
    {38, "Array not defined"},
    {40, "Variable required"},
    {50, "FIELD overflow"},
    {51, "Internal error"},
    {52, "Bad file name or number"},
    {53, "File not found"},
    {54, "Bad file mode"},
    {55, "File already open"},
    {56, "FIELD statement active"},
    {57, "Device I/O error"},
    {58, "File already exists"},
    {59, "Bad record length"},
    {61, "Disk full"},
    {62, "Input past end of file"},
    {63, "Bad record number"},
    {64, "Bad file name"},
    {67, "Too many files"},
    {68, "Device unavailable"},
    {69, "Communication-buffer overflow"},
    {70, "Permission denied"},
    {71, "Disk not ready"},
    {72, "Disk-media error"},
    {73, "Feature unavailable"},
    {74, "Rename across disks"},
    {75, "Path/File access error"},
    {76, "Path not found"},
    {258, "Invalid handle"},
};

}  // namespace

const char* error_message(int32_t number) {
    for (const auto& [n, text] : messages)
        if (n == number) return text;
    return "Unprintable error";
}

bool is_critical_error(int32_t number) {
    return number == 256 || number == 257 || number == 259 || number == 260 ||
           (number >= 502 && number <= 517);
}

std::string error_report_text(int32_t number, int32_t line) {
    return "Line:" + std::to_string(line) + "\n" + error_message(number) + "\nContinue?";
}

std::string error_report_caption(int32_t number) {
    return "Unhandled Error #" + std::to_string(number);
}

std::string critical_error_text(int32_t number) {
    switch (number) {
        case 256: return "Out of stack space";
        case 259: return "Cannot find dynamic library file";
        case 260: return "Sub/Function does not exist in dynamic library";
        default: return "Out of memory";
    }
}

std::string critical_error_caption(int32_t number) {
    if (number == 257) return "Critical Error #1";
    if (number >= 502 && number <= 517) return "Critical Error #" + std::to_string(number - 500);
    return "Critical Error";
}

void critical_error(int32_t number) {
    platform::message_box(critical_error_text(number), critical_error_caption(number), false);
    end_process(0);
}

int32_t raise_error(int32_t number) {
    if (is_critical_error(number)) critical_error(number);
    int32_t in_force = pending_error.load(std::memory_order_acquire);
    if (in_force != 0) return in_force;
    if (number < 1) number = 5;
    pending_error.store(number, std::memory_order_release);
    attention_flag.store(1, std::memory_order_release);
    return number;
}

}  // namespace rt
