#!/usr/bin/env bash
# CPU the real game uses while racing at 60 frames a second under a virtual X
# server, full-screen (as it starts) and windowed (after Alt+Enter), in percent
# of one core over the seconds measured, and the wake-ups a second of all its
# threads (voluntary context switches) over both intervals.
#   race_cpu.sh GAME [SECONDS]       (run it under xvfb-run; LD_LIBRARY_PATH picks the SDL)
set -u
game=$1 seconds=${2:-10}
ticks=$(getconf CLK_TCK)
cpu_of() { awk '{print $14 + $15}' "/proc/$1/stat"; }
wakeups_of() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ {n += $2} END {print n + 0}'; }
measure() {
    local before after
    before=$(cpu_of "$pid")
    sleep "$seconds"
    after=$(cpu_of "$pid")
    awk -v t=$((after - before)) -v hz="$ticks" -v s="$seconds" 'BEGIN {printf "%.1f", 100 * t / hz / s}'
}
SDL_AUDIODRIVER=dummy "$game" & pid=$!
sleep 3
xdotool key space   # the title screen's coin
sleep 6             # the introduction and the countdown
xdotool keydown Right
woken=$(wakeups_of "$pid")
full=$(measure)
xdotool keyup Right
xdotool key alt+Return
sleep 1
xdotool keydown Left
windowed=$(measure)
woken=$(( $(wakeups_of "$pid") - woken ))
xdotool keyup Left
echo "full-screen ${full}% windowed ${windowed}% wakeups $(( woken / (2 * seconds) ))/s"
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
