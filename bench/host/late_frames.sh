#!/usr/bin/env bash
# Frames that came late while racing at 60 a second (more than 25 ms after the
# one before), and the CPU the game used, over SECONDS of a race in the window
# or screen the game starts with; game options after the seconds.
#   late_frames.sh GAME FIRST_FRAME_SO [SECONDS [OPTIONS...]]   (under xvfb-run)
set -u
game=$1 shim=$2 seconds=${3:-10}; shift 3 2>/dev/null || shift $#
ticks=$(getconf CLK_TCK)
log=$(mktemp)
SDL_AUDIODRIVER=dummy FRAME_GAPS=1 LD_PRELOAD="$shim" "$game" "$@" 2>"$log" & pid=$!
sleep 3
xdotool key space   # the title screen's coin
sleep 6             # the introduction and the countdown
xdotool keydown Right
from=$(date +%s%3N) cpu0=$(awk '{print $14 + $15}' "/proc/$pid/stat")
sleep "$seconds"
to=$(date +%s%3N) cpu1=$(awk '{print $14 + $15}' "/proc/$pid/stat")
xdotool keyup Right
kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
awk -v from="$from" -v to="$to" -v cpu=$((cpu1 - cpu0)) -v hz="$ticks" -v s="$seconds" '
    $1 == "late" && $2 >= from && $2 <= to {n++; if ($3 > worst) worst = $3}
    $1 == "updates" && $2 >= from && $2 <= to {if (!first) first = $3; last = $3}
    END {printf "late %d worst %.1f ms updates %d cpu %.1f%%\n", n, worst, last - first, 100 * cpu / hz / s}' "$log"
rm -f "$log"
