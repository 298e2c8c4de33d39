#!/usr/bin/env bash
# Every performance figure of the game against its target, measured in one run:
#   bench/run.sh [BUILD [RELEASE_BUILD]]
# BUILD (default ./build) has the tests and benchmarks; RELEASE_BUILD (default
# ./build-release, if it holds a replay runner) is a Release build with tests on,
# like the one `./setup.sh play` makes, for the race frame. Needs xvfb-run and
# xdotool; the CPU figures are medians of three runs; the key-to-frame latencies
# need libkey_latency.so (libXtst). Prints a Markdown table.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build=$(realpath "${1:-$here/build}")
release=$(realpath "${2:-$here/build-release}" 2>/dev/null || true)
[ -x "$release/game/replay" ] || release=$build
xvfb() { xvfb-run -a -s "-noreset -screen 0 1024x768x24" "$@"; }
median3() { printf '%s\n' "$@" | sort -g | sed -n 2p; }
row() { printf '| %s | %s | %s | %s |\n' "$1" "$2" "$3" "$4"; }
ok() { awk -v v="$1" -v t="$2" -v op="$3" 'BEGIN {print ((op == "le" ? v <= t : v >= t) ? "met" : "NOT met")}'; }

# Conversion, SDL blit and memcpy side by side in one benchmark run (fastest of 9).
csv=$(mktemp)
"$build/bench/display/display_bench" --benchmark_out="$csv" --benchmark_out_format=csv >/dev/null 2>&1
ns() { awk -F, -v n="\"$1/repeats:9_min\"" '$1 == n {print $4; exit}' "$csv"; }
convert=$(ns palette_conversion) blit=$(ns sdl_blit_8_to_32) copy=$(ns memcpy_32) changed=$(ns handed_frame_changed)
rm -f "$csv"

# Race frame: CPU time of a whole replayed game divided by its frames.
json=$(mktemp)
cpu=$( { /usr/bin/time -f '%U %S' "$release/game/replay" --autopilot win --time 22:00:00 \
    --json "$json" --json-every 1000000 >/dev/null; } 2>&1 | tail -n 1)
frames=$(tail -n 1 "$json" | sed 's/^{"frame":\([0-9]*\).*/\1/')
frame_ms=$(awk -v frames="$frames" -v cpu="$cpu" 'BEGIN {split(cpu, t, " "); printf "%.3f", 1000 * (t[1] + t[2]) / frames}')
rm -f "$json"

full=() windowed=() wakes=() rank=()
for i in 1 2 3; do
    line=$(xvfb "$here/bench/host/race_cpu.sh" "$build/game/supervivedas" 8)
    full+=("$(sed 's/.*full-screen \([0-9.]*\)%.*/\1/' <<<"$line")")
    windowed+=("$(sed 's/.*windowed \([0-9.]*\)%.*/\1/' <<<"$line")")
    wakes+=("$(sed 's/.*wakeups \([0-9]*\)\/s.*/\1/' <<<"$line")")
    rank+=("$(xvfb "$here/bench/host/ranking_cpu.sh" "$build/bench/host/ranking_probe" 8 | sed 's/ranking \([0-9.]*\)%/\1/')")
done
# Full-screen on large desktops in the sharp look, both conversion paths.
screen_cpu() { xvfb-run -a -s "-noreset -screen 0 $1x24" "$here/bench/host/race_cpu.sh" "$build/game/supervivedas" 8 |
               sed 's/.*full-screen \([0-9.]*\)%.*/\1/'; }
cpu1080=$(screen_cpu 1920x1080) cpu2160=$(screen_cpu 3840x2160)
cpu1080p=$(SUPERVIVEDAS_CONVERSION=portable screen_cpu 1920x1080) cpu2160p=$(SUPERVIVEDAS_CONVERSION=portable screen_cpu 3840x2160)
repaint=$(SUPERVIVEDAS_CONVERSION=portable "$build/bench/display/display_bench" --benchmark_filter='scaled_full_repaint/2160' 2>/dev/null |
          awk '/_min/ {print $4; exit}')
latency=$(xvfb "$here/bench/host/key_latency.sh" "$build/game/supervivedas" "$build/bench/host/libkey_latency.so" 30 2>/dev/null)
lat() { awk -v c="$1" -v f="$2" '$1 == c {for (i = 2; i < NF; i++) if ($i == f) {print $(i + 1); exit}}' <<<"$latency"; }
start=$(xvfb "$here/bench/host/startup_time.sh" "$build/game/supervivedas" "$build/bench/host/libfirst_frame.so" 12 |
        sed 's/startup median \([0-9]*\) ms.*/\1/')

f() { awk "BEGIN {printf \"%.2f\", $1}"; }
echo "| measure | target | measured | |"
echo "|---|---|---|---|"
row "race frame, replay runner ($(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$release/CMakeCache.txt"), CPU per frame over a whole game)" "<= 0.10 ms" "${frame_ms} ms" "$(ok "$frame_ms" 0.10 le)"
row "presentation of a frame (the page compared with the last, the change presented), one row changed, vs SDL_BlitSurface of the page" ">= 4x less" "$(f "$blit / $changed")x less ($(f "$changed / 1000") us vs $(f "$blit / 1000") us)" "$(ok "$(f "$blit / $changed")" 4 ge)"
row "full-page conversion vs SDL_BlitSurface" ">= 1.5x faster" "$(f "$blit / $convert")x ($(f "$convert / 1000") us)" "$(ok "$(f "$blit / $convert")" 1.5 ge)"
row "full-page conversion vs memcpy of the frame" "<= 2x" "$(f "$convert / $copy")x (memcpy $(f "$copy / 1000") us)" "$(ok "$(f "$convert / $copy")" 2 le)"
row "CPU racing at 60 fps under Xvfb, full-screen" "<= 2.5%" "$(median3 "${full[@]}")%" "$(ok "$(median3 "${full[@]}")" 2.5 le)"
row "CPU racing at 60 fps under Xvfb, windowed" "<= 2.5%" "$(median3 "${windowed[@]}")%" "$(ok "$(median3 "${windowed[@]}")" 2.5 le)"
row "wake-ups per second while racing" "<= 250" "$(median3 "${wakes[@]}")" "$(ok "$(median3 "${wakes[@]}")" 250 le)"
row "exec to first title frame, median of 12" "<= 250 ms" "${start} ms" "$(ok "$start" 250 le)"
row "key to frame: space on the title -> introduction, median / p90 (30 presses)" "<= 12 / <= 20 ms" "$(lat title median) / $(lat title p90) ms" "$(ok "$(lat title median)" 12 le) / $(ok "$(lat title p90)" 20 le)"
row "key to frame: space in a race -> spinnaker, median / p90 (42 presses)" "<= 28 / <= 36 ms" "$(lat race median) / $(lat race p90) ms" "$(ok "$(lat race median)" 28 le) / $(ok "$(lat race p90)" 36 le)"
row "ranking screen CPU" "<= 3%" "$(median3 "${rank[@]}")%" "$(ok "$(median3 "${rank[@]}")" 3 le)"
row "CPU racing, full-screen 1920x1080, sharp (portable conversion)" "<= 4%" "${cpu1080}% (${cpu1080p}%)" "$(ok "$cpu1080p" 4 le)"
row "CPU racing, full-screen 3840x2160, sharp (portable conversion)" "<= 8%" "${cpu2160}% (${cpu2160p}%)" "$(ok "$cpu2160p" 8 le)"
row "full repaint of the scaled page at 3840x2160 (portable conversion, CPU)" "<= 3 ms" "${repaint} us" "$(ok "$repaint" 3000 le)"
