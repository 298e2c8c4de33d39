// The hottest loop of the program: an 800x600 palette page turned into 32-bit
// video words. Timed in the same run against SDL's own 8-bit to 32-bit blit and
// against a plain copy of a 32-bit frame; the ratios are printed at the end.
// Also the whole display update, for a changed and an unchanged frame.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "runtime/graphics/graphics.h"
#include "runtime/host/display_internal.h"
#include "runtime/host/frame_cache.h"
#include "runtime/host/host.h"

namespace {

constexpr int32_t width = 800, height = 600;

struct Frame {
    std::vector<uint8_t> indices;
    std::vector<uint32_t> words;  // the same frame already in 32 bits
    SDL_Surface* page8 = nullptr;
    SDL_Surface* video32 = nullptr;
};

Frame& frame() {
    static Frame f = [] {
        Frame f;
        uint32_t seed = 12345;
        f.indices.resize(size_t(width) * height);
        for (uint8_t& v : f.indices) v = uint8_t((seed = seed * 1103515245u + 12345u) >> 16);
        f.words.resize(f.indices.size());
        for (size_t i = 0; i < f.indices.size(); ++i) f.words[i] = rt::default_palette[f.indices[i]];
        f.page8 = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 8, 0, 0, 0, 0);
        f.video32 = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, 0xFF0000, 0xFF00, 0xFF, 0);
        if (!f.page8 || !f.video32) {
            std::fprintf(stderr, "cannot make surfaces: %s\n", SDL_GetError());
            std::exit(1);
        }
        std::array<SDL_Color, 256> colours{};
        for (int i = 0; i < 256; ++i) {
            uint32_t c = rt::default_palette[i];
            colours[i] = {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 0};
        }
        SDL_SetColors(f.page8, colours.data(), 0, 256);
        for (int32_t y = 0; y < height; ++y)
            std::memcpy(static_cast<uint8_t*>(f.page8->pixels) + y * f.page8->pitch,
                        f.indices.data() + size_t(y) * width, width);
        return f;
    }();
    return f;
}

void set_frame_bytes(benchmark::State& state) {
    state.SetBytesProcessed(int64_t(state.iterations()) * width * height * 4);
}

void palette_conversion(benchmark::State& state) {
    Frame& f = frame();
    auto* dst = static_cast<uint32_t*>(f.video32->pixels);
    for (auto _ : state) {
        rt::convert_palette_rows(f.indices.data(), width, width, height, rt::default_palette.data(), dst,
                                 f.video32->pitch / 4, 1, 1);
        benchmark::ClobberMemory();
    }
    set_frame_bytes(state);
}

// The path of processors without the fast one.
void palette_conversion_portable(benchmark::State& state) {
    Frame& f = frame();
    auto* dst = static_cast<uint32_t*>(f.video32->pixels);
    for (auto _ : state) {
        rt::convert_palette_rows_portable(f.indices.data(), width, width, height, rt::default_palette.data(), dst,
                                          f.video32->pitch / 4, 1, 1);
        benchmark::ClobberMemory();
    }
    set_frame_bytes(state);
}

void sdl_blit_8_to_32(benchmark::State& state) {
    Frame& f = frame();
    for (auto _ : state) {
        SDL_BlitSurface(f.page8, nullptr, f.video32, nullptr);
        benchmark::ClobberMemory();
    }
    set_frame_bytes(state);
}

void memcpy_32(benchmark::State& state) {
    Frame& f = frame();
    for (auto _ : state) {
        std::memcpy(f.video32->pixels, f.words.data(), f.words.size() * 4);
        benchmark::ClobberMemory();
    }
    set_frame_bytes(state);
}

// The whole update on the dummy video driver: cache test, cache copy, conversion.
rt::Image& screen_page() {
    static rt::Image* page = [] {
        rt::images_init();
        int32_t handle = rt::new_image(width, height, 256, true);
        rt::select_screen(handle);
        rt::Image* img = &rt::image(-handle);
        std::memcpy(img->pixels, frame().indices.data(), frame().indices.size());
        rt::display_update();
        return img;
    }();
    return *page;
}

// A frame of display_now, one whole row changed: the program thread's compare
// of the page with the frame cache, and the display thread's presentation.
void handed_frame_changed(benchmark::State& state) {
    rt::Image& page = screen_page();
    rt::Frame frame;
    for (auto _ : state) {
        for (int32_t x = 0; x < width; ++x) page.pixels[width * (height - 1) + x] ^= 1;
        rt::take_frame(frame);
        rt::present_frame(frame);
    }
    set_frame_bytes(state);
}

void display_update_unchanged(benchmark::State& state) {
    screen_page();
    for (auto _ : state) rt::display_update();
    set_frame_bytes(state);
}

// Full-screen in the sharp look on a desktop of 1920x1080 or 3840x2160: the
// whole page again (as on the first frame of a race), and one row changed.
void scaled_setup(benchmark::State& state) {
    rt::Image& page = screen_page();
    const int32_t h = int32_t(state.range(0)), w = h * 16 / 9;
    if (rt::desktop_size.height != h) {
        rt::screen_choice = {rt::Look::sharp, rt::StartScreen::as_asked};
        rt::desktop_size = {w, h};
        rt::full_screen_state.store(rt::ScreenMode::windowed);
        rt::display_forget();
        rt::full_screen_request.store(rt::ScreenMode::best);
        rt::display_update();
    }
    (void)page;
}

void scaled_full_repaint(benchmark::State& state) {
    scaled_setup(state);
    for (auto _ : state) {
        rt::frame_cache.size = 0;
        rt::display_update();
    }
}

void scaled_row_changed(benchmark::State& state) {
    rt::Image& page = screen_page();
    scaled_setup(state);
    rt::Frame frame;
    for (auto _ : state) {
        for (int32_t x = 0; x < width; ++x) page.pixels[width * (height / 2) + x] ^= 1;
        rt::take_frame(frame);
        rt::present_frame(frame);
    }
}

// Other programs share the machine: each benchmark is repeated and the ratios
// use the fastest repetition's CPU time, the one least disturbed.
double fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
#define DISPLAY_BENCHMARK(f) \
    BENCHMARK(f)->Repetitions(9)->ReportAggregatesOnly(true)->ComputeStatistics("min", fastest)

DISPLAY_BENCHMARK(palette_conversion);
DISPLAY_BENCHMARK(palette_conversion_portable);
DISPLAY_BENCHMARK(sdl_blit_8_to_32);
DISPLAY_BENCHMARK(memcpy_32);
DISPLAY_BENCHMARK(handed_frame_changed);
DISPLAY_BENCHMARK(display_update_unchanged);
DISPLAY_BENCHMARK(scaled_full_repaint)->Arg(1080)->Arg(2160)->Unit(benchmark::kMicrosecond);
DISPLAY_BENCHMARK(scaled_row_changed)->Arg(1080)->Arg(2160)->Unit(benchmark::kMicrosecond);

// Keeps the fastest CPU time of each benchmark for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> times;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min")
                times[run.run_name.function_name] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& t = reporter.times;
    if (t.count("palette_conversion") && t.count("sdl_blit_8_to_32") && t.count("memcpy_32")) {
        double ours = t["palette_conversion"];
        std::printf("\nconversion speed / SDL blit speed: %.2fx (target 1.5x)\n", t["sdl_blit_8_to_32"] / ours);
        std::printf("conversion time / 32-bit memcpy time: %.2fx\n", ours / t["memcpy_32"]);
        std::printf("fast path on this processor: %s\n", rt::vector_conversion_available() ? "yes" : "no");
        if (t.count("palette_conversion_portable"))
            std::printf("portable path speed / SDL blit speed: %.2fx\n",
                        t["sdl_blit_8_to_32"] / t["palette_conversion_portable"]);
    }
    SDL_Quit();
    return 0;
}
