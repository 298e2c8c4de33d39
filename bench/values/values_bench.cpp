// The string work of one printed line, as every step of the game does it: a
// working value, temporaries from a literal, a number and a character, their
// concatenation, assignment, free and release. It should cost a few pointer
// bumps and no allocation. Number formatting and the generator alone beside it.
#include <benchmark/benchmark.h>

#include "runtime/values/string_store.h"
#include "runtime/values/values.h"

namespace {

void print_line_step(benchmark::State& state) {
    rt::strings_init();
    const uint32_t mark = rt::temporaries_length();
    rt::free_string(rt::new_string(0, false));  // the first descriptor block
    const uint32_t blocks = rt::string_store_state().descriptor_blocks;
    float lap = 0;
    for (auto _ : state) {
        rt::StrVal* line = rt::new_string(0, false);
        rt::StrVal* lap_text = rt::string_concat(rt::string_literal("LAP "), rt::str_of_number(lap));
        rt::string_assign(line, rt::string_concat(lap_text, rt::chr_string('/')));
        benchmark::DoNotOptimize(line->text[0]);
        rt::free_string(line);
        rt::release_temporaries(mark, 0);
        lap += 0.25f;
    }
    if (rt::string_store_state().descriptor_blocks != blocks) state.SkipWithError("descriptor store grew");
}
BENCHMARK(print_line_step);

void concat_and_assign(benchmark::State& state) {
    rt::strings_init();
    const uint32_t mark = rt::temporaries_length();
    rt::StrVal* name = rt::new_string_variable();
    for (auto _ : state) {
        rt::StrVal* line = rt::new_string(0, false);
        rt::string_assign(line, rt::string_concat(rt::string_literal("NEW ZELAND"), rt::space_string));
        rt::string_assign(name, line);
        rt::free_string(line);
        benchmark::DoNotOptimize(rt::release_temporaries(mark, rt::string_equal(name, rt::empty_string)));
    }
    rt::free_string(name);
}
BENCHMARK(concat_and_assign);

void number_text(benchmark::State& state) {
    rt::strings_init();
    const uint32_t mark = rt::temporaries_length();
    float x = 0.001f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(rt::str_of_number(x)->length);
        rt::release_temporaries(mark, 0);
        x *= 1.37f;
        if (x > 1e30f) x = 0.001f;
    }
}
BENCHMARK(number_text);

void generator(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(rt::rnd());
}
BENCHMARK(generator);

}  // namespace

BENCHMARK_MAIN();
