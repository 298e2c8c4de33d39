#!/usr/bin/env bash
# The sanitizer and fuzzing runs, after the test command (./setup.sh test has
# installed what they need: gcc's sanitizers, clang and its libFuzzer):
#   asan   the whole suite built with AddressSanitizer and UBSan (build-asan/), on
#          the system's SDL 1.2 only (the suite's sdl12-compat half adds nothing
#          to what these sanitizers see in our code)
#   tsan   the tests that run threads built with ThreadSanitizer (build-tsan/):
#          the host, input, display, graphics, sound and replay tests and the
#          programs of the X tests; the whole-game replays are left out (ten
#          minutes under ThreadSanitizer, the same threads as the short ones)
#   fuzz   the libFuzzer targets of tests/fuzz built with clang (build-fuzz/),
#          pictures, sounds and keys, each for FUZZ_SECONDS (60) over its seed
#          corpus and the inputs kept from earlier finds (FUZZ_TARGETS names
#          fewer: FUZZ_TARGETS=sound runs the sound target alone)
#   tests/sanitize/run.sh [asan] [tsan] [fuzz]    (all three when none is named)
# A sanitizer report anywhere, a failed test or a fuzzer find fails the run. A
# find is written to build-fuzz/finds/: once the fault is mended, keep the input
# in tests/fuzz/regressions/, where the suite replays it.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
jobs="$(nproc 2>/dev/null || echo 2)"
stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=(asan tsan fuzz)
fuzz_seconds="${FUZZ_SECONDS:-60}"

# Reports go to files as well as failing their process, so that one from a
# process whose exit status nobody reads is not lost either.
no_reports() {
  local reports=("$1".*)
  [ -e "${reports[0]}" ] || return 0
  cat "${reports[@]}" >&2
  echo "sanitizer reports: ${reports[*]}" >&2
  return 1
}

run_asan() {
  local build="$here/build-asan"
  cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUPERVIVEDAS_TESTS=ON \
    -DSUPERVIVEDAS_SANITIZE=ON -DSDL12_COMPAT_DIR="$build/no-sdl12-compat"
  cmake --build "$build" -j "$jobs"
  rm -f "$build"/asan-report.*
  # Full stacks, so that the leak suppressions name library calls, not libraries.
  local status=0
  TEST_TIME_FACTOR=5 ASAN_OPTIONS="fast_unwind_on_malloc=0:log_path=$build/asan-report" \
  LSAN_OPTIONS="suppressions=$here/tests/sanitize/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$build/asan-report" \
    ctest --test-dir "$build" --output-on-failure -j "$jobs" || status=1
  no_reports "$build/asan-report" || status=1
  return $status
}

run_tsan() {
  local build="$here/build-tsan" flags=-fsanitize=thread
  cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUPERVIVEDAS_TESTS=ON \
    -DSDL12_COMPAT_DIR="$build/no-sdl12-compat" -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags"
  cmake --build "$build" -j "$jobs" --target host_tests input_host_tests input_tests display_tests \
    graphics_tests sound_tests replay_tests supervivedas key_probe window_probe display_xvfb_check xwin
  rm -f "$build"/tsan-report.*
  # The other test programs are not built: CTest lists them as *_NOT_BUILT.
  local status=0
  # The game unscaled: a scaled window's millions of accesses a frame push out of
  # the checker's history the page reads it must name to accept their race (the
  # scaling touches only the display thread's own buffers).
  SUPERVIVEDAS_SCALE=original TEST_TIME_FACTOR=5 TSAN_OPTIONS="suppressions=$here/tests/sanitize/tsan.supp:history_size=7:second_deadlock_stack=1:log_path=$build/tsan-report" \
    ctest --test-dir "$build" --output-on-failure -j "$jobs" -L system -E "_NOT_BUILT|fuzz_inputs|ReplayWholeGame|game_screens" \
    || status=1
  no_reports "$build/tsan-report" || status=1
  return $status
}

run_fuzz() {
  local build="$here/build-fuzz"
  CC=clang CXX=clang++ cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSUPERVIVEDAS_TESTS=OFF -DSUPERVIVEDAS_FUZZ=ON
  cmake --build "$build" -j "$jobs" --target image_fuzz sound_fuzz key_fuzz
  local target inputs max_len
  for target in ${FUZZ_TARGETS:-image sound key}; do
    inputs="${target}s"
    # A Vorbis file's headers alone take some 4 KB.
    max_len=4096
    [ "$target" = sound ] && max_len=8192
    mkdir -p "$build/work/$inputs" "$build/finds"
    local kept=()
    [ -d "$here/tests/fuzz/regressions/$inputs" ] && kept=("$here/tests/fuzz/regressions/$inputs")
    # New inputs go to the first folder, the work corpus, never to the committed
    # ones. A hang is an input that takes 10 seconds; any load takes well under one.
    # The fuzzer's progress goes to a log; its figures are printed, the log's end on a find.
    local log="$build/${target}_fuzz.log"
    # A jump to an address that is no code (a library's overwritten function
    # pointer) ends the process inside AddressSanitizer's report when it unwinds
    # the stack its slow way, before the fuzzer keeps the input; the frame
    # pointers take it to the end of the report.
    if ! SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
      ASAN_OPTIONS="fast_unwind_on_fatal=1" \
      "$build/tests/fuzz/${target}_fuzz" "$build/work/$inputs" "$here/tests/fuzz/corpus/$inputs" "${kept[@]}" \
      -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$max_len" \
      -artifact_prefix="$build/finds/$target-" -print_final_stats=1 > "$log" 2>&1; then
      tail -n 60 "$log" >&2
      echo "${target}_fuzz found a fault: $build/finds/ (whole log: $log)" >&2
      return 1
    fi
    echo "${target}_fuzz:"
    grep -E '^(Done|stat::)' "$log" | sed 's/^/  /'
  done
}

for stage in "${stages[@]}"; do
  case "$stage" in
    asan) run_asan ;;
    tsan) run_tsan ;;
    fuzz) run_fuzz ;;
    *) echo "usage: $0 [asan] [tsan] [fuzz]" >&2; exit 2 ;;
  esac
  echo "sanitize: $stage passed"
done
