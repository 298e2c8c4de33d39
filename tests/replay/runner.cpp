#include "tests/replay/runner.h"

#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/game_view.h"

namespace runner {

// ------------------------------------------------------------ JSON
double Json::number() const { return std::get<double>(v); }
const std::string& Json::text() const { return std::get<std::string>(v); }
const std::vector<Json>& Json::items() const { return std::get<std::vector<Json>>(v); }
const Json& Json::operator[](const std::string& key) const {
    const auto& m = std::get<std::map<std::string, Json>>(v);
    auto it = m.find(key);
    if (it == m.end()) throw std::runtime_error("no member " + key);
    return it->second;
}
const Json& Json::operator[](size_t index) const { return items().at(index); }

namespace {

struct Parser {
    const std::string& s;
    size_t i = 0;
    void space() {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\n' || s[i] == '\t' || s[i] == '\r')) ++i;
    }
    void expect(char c) {
        space();
        if (i >= s.size() || s[i] != c) throw std::runtime_error(std::string("expected ") + c);
        ++i;
    }
    std::string string() {
        expect('"');
        std::string out;
        while (s.at(i) != '"') {
            if (s[i] == '\\') {
                char e = s.at(++i);
                if (e == 'u') {
                    out += char(std::stoi(s.substr(i + 1, 4), nullptr, 16));
                    i += 4;
                } else {
                    out += e == 'n' ? '\n' : e;
                }
                ++i;
            } else {
                out += s[i++];
            }
        }
        ++i;
        return out;
    }
    Json value() {
        space();
        char c = s.at(i);
        if (c == '{') {
            ++i;
            std::map<std::string, Json> m;
            space();
            if (s.at(i) == '}') return ++i, Json{m};
            for (;;) {
                std::string key = string();
                expect(':');
                m.emplace(key, value());
                space();
                if (s.at(i++) == '}') return Json{m};
            }
        }
        if (c == '[') {
            ++i;
            std::vector<Json> a;
            space();
            if (s.at(i) == ']') return ++i, Json{a};
            for (;;) {
                a.push_back(value());
                space();
                if (s.at(i++) == ']') return Json{a};
            }
        }
        if (c == '"') return Json{string()};
        size_t used = 0;
        double d = std::stod(s.substr(i, 40), &used);
        i += used;
        return Json{d};
    }
};

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

Picture read_png(const std::string& path) {
    Picture p;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw std::runtime_error("no picture " + path);
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(f);
        throw std::runtime_error("bad picture " + path);
    }
    png_init_io(png, f);
    png_read_info(png, info);
    p.width = int(png_get_image_width(png, info));
    p.height = int(png_get_image_height(png, info));
    if (png_get_color_type(png, info) != PNG_COLOR_TYPE_PALETTE) longjmp(png_jmpbuf(png), 1);
    p.index.resize(size_t(p.width) * size_t(p.height));
    for (int y = 0; y < p.height; ++y) png_read_row(png, p.index.data() + size_t(y) * size_t(p.width), nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return p;
}

}  // namespace

Json parse_json(const std::string& text) {
    Parser p{text};
    return p.value();
}

// ------------------------------------------------------------ pictures
bool Picture::shows_text(int row, int column, const std::string& s, uint8_t colour) const {
    return test_support::text_at([this](int x, int y) { return at(x, y); }, row, column, s, colour, true);
}

bool Picture::contains_text(int row, int column, const std::string& s, uint8_t colour) const {
    return test_support::text_at([this](int x, int y) { return at(x, y); }, row, column, s, colour, false);
}

bool Picture::row_band_is(int y0, int y1, uint8_t colour) const {
    for (int y = y0; y <= y1; ++y)
        for (int x = 0; x < width; ++x)
            if (at(x, y) != colour) return false;
    return true;
}

// ------------------------------------------------------------ running
const Frame* Result::at(int64_t frame) const {
    for (const Frame& f : frames)
        if (f.frame == frame) return &f;
    return nullptr;
}

Picture Result::picture(int64_t frame) const {
    char name[64];
    std::snprintf(name, sizeof name, "/frame_%06lld.png", static_cast<long long>(frame));
    return read_png(folder + name);
}

Picture Result::end_picture() const { return read_png(folder + "/end.png"); }

Result run(const std::string& script, const std::vector<std::string>& arguments) {
    static std::atomic<int> runs{0};
    Result r;
    char pattern[] = "/tmp/replay_test_XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("no temporary folder");
    r.folder = pattern;
    r.folder += "/" + std::to_string(runs++);
    std::string make = "mkdir -p " + r.folder;
    if (std::system(make.c_str()) != 0) throw std::runtime_error("no temporary folder");
    std::ofstream(r.folder + "/script.txt") << script;

    std::vector<std::string> args = {REPLAY_BINARY, "--script", r.folder + "/script.txt", "--json",
                                     r.folder + "/out.json", "--png-dir", r.folder};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::string errors = r.folder + "/errors.txt";
    pid_t child = fork();
    if (child == 0) {
        std::freopen(errors.c_str(), "w", stderr);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.json = read_file(r.folder + "/out.json");
    r.errors = read_file(errors);
    std::istringstream lines(r.json);
    std::string line;
    while (std::getline(lines, line)) {
        Json j = parse_json(line);
        Frame f;
        f.frame = int64_t(j["frame"].number());
        f.screen = j["screen"].text();
        f.rnd = uint32_t(j["rnd"].number());
        f.ticks = uint32_t(j["ticks"].number());
        f.vars = j["vars"];
        r.frames.push_back(std::move(f));
    }
    return r;
}

double rnd_of(uint32_t state) { return double(static_cast<float>(double(state) / 16777216.0)); }

}  // namespace runner
