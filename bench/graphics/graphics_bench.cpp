// The per-frame graphics work of the race: sprites put onto the 800 by 600 page
// (with and without a clear colour) against a plain row copy of the same bytes,
// and the pixel reads of the collision test.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "runtime/graphics/graphics.h"

namespace {

struct Page {
    int32_t page = 0, sprite = 0;
    explicit Page(int size) {
        rt::images_init();
        rt::select_text_screen();
        page = rt::new_image(800, 600, 256, true);
        rt::select_screen(page);
        sprite = rt::new_image(size, size, 256, true);
        rt::Image& s = rt::image(-sprite);
        for (int i = 0; i < size * size; ++i) s.pixels[i] = uint8_t(i % 7 == 0 ? 0 : i);
    }
};

constexpr uint32_t point_form = rt::put_dest_corner_1 | rt::put_source_handle;

void put_sprites(benchmark::State& state, bool clear) {
    const int size = int(state.range(0));
    Page p(size);
    if (clear) rt::set_clear_color(false, 0, p.sprite, 3);
    int i = 0;
    for (auto _ : state) {
        double x = (i * 37) % 820 - 10, y = (i * 53) % 620 - 10;
        rt::put_image(x, y, 0, 0, p.sprite, 0, 0, 0, 0, 0, point_form);
        ++i;
    }
    benchmark::DoNotOptimize(rt::image(-p.page).pixels[0]);
    state.SetBytesProcessed(int64_t(state.iterations()) * size * size);
}

void BM_PutSpriteClearColour(benchmark::State& state) { put_sprites(state, true); }
void BM_PutSpriteNoClearColour(benchmark::State& state) { put_sprites(state, false); }

// The floor: the same rows copied with memcpy, no clipping or rounding.
void BM_RowMemcpy(benchmark::State& state) {
    const int size = int(state.range(0));
    std::vector<uint8_t> page(800 * 600), sprite(size_t(size) * size, 1);
    int i = 0;
    for (auto _ : state) {
        int x = (i * 37) % (800 - size), y = (i * 53) % (600 - size);
        for (int row = 0; row < size; ++row)
            std::memcpy(&page[size_t(y + row) * 800 + x], &sprite[size_t(row) * size], size_t(size));
        benchmark::DoNotOptimize(page.data());
        ++i;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * size * size);
}

void BM_PointColor(benchmark::State& state) {
    Page p(8);
    int i = 0;
    int64_t sum = 0;
    for (auto _ : state) {
        sum += rt::point_color(double(i % 800) + 0.25, double(i % 600));
        ++i;
    }
    benchmark::DoNotOptimize(sum);
}

BENCHMARK(BM_PutSpriteClearColour)->Arg(32)->Arg(64)->Arg(128);
BENCHMARK(BM_PutSpriteNoClearColour)->Arg(32)->Arg(64)->Arg(128);
BENCHMARK(BM_RowMemcpy)->Arg(32)->Arg(64)->Arg(128);
BENCHMARK(BM_PointColor);

}  // namespace

BENCHMARK_MAIN();
