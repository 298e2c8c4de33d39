#include "runtime/core/core.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>

namespace rt {

std::string file_problem(const std::string& name) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::file_status status = fs::status(name, error);
    if (!fs::exists(status)) return "not found";
    if (!fs::is_regular_file(status)) return "not a file";
    std::ifstream in(name, std::ios::binary);
    if (!in) return "cannot be read";
    return "damaged";
}

void report_unusable_file(const char* kind, const std::string& name) {
    if (name.empty()) return;
    static std::mutex mutex;
    static std::set<std::string> reported;
    std::lock_guard<std::mutex> lock(mutex);
    if (!reported.insert(name).second) return;
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(name, error);
    std::string shown = error ? name : full.lexically_normal().string();
    std::fprintf(stderr, "Unable to load %s %s: %s\n", kind, shown.c_str(), file_problem(name).c_str());
    std::fflush(stderr);
}

}  // namespace rt
