#!/usr/bin/env bash
# CPU of the game's final ranking screen while it waits for space, under a
# virtual X server, in percent of one core over the seconds measured; also the
# presented passes a second are bounded by what the X server is sent.
#   ranking_cpu.sh RANKING_PROBE [SECONDS]   (run it under xvfb-run -s -noreset)
set -u
probe=$1 seconds=${2:-10}
ticks=$(getconf CLK_TCK)
cpu_of() { awk '{print $14 + $15}' "/proc/$1/stat"; }
SDL_AUDIODRIVER=dummy "$probe" & pid=$!
sleep 3
before=$(cpu_of "$pid")
sleep "$seconds"
after=$(cpu_of "$pid")
awk -v t=$((after - before)) -v hz="$ticks" -v s="$seconds" 'BEGIN {printf "ranking %.1f%%\n", 100 * t / hz / s}'
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
