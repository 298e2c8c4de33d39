#!/usr/bin/env bash
# Milliseconds from exec of the game to its first title frame in the window,
# over RUNS start-ups (median, lowest, highest), under a virtual X server.
#   startup_time.sh GAME FIRST_FRAME_SO [RUNS]   (run it under xvfb-run -s -noreset)
set -u
game=$1 shim=$2 runs=${3:-12}
times=()
for ((i = 0; i < runs; i++)); do
    log=$(mktemp)
    start=$(date +%s%3N)
    SDL_AUDIODRIVER=dummy LD_PRELOAD="$shim" "$game" 2>"$log" & pid=$!
    for ((w = 0; w < 100; w++)); do
        grep -q first-frame "$log" && break
        sleep 0.05
    done
    frame=$(awk '/first-frame/ {print $2; exit}' "$log")
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    rm -f "$log"
    [ -n "$frame" ] && times+=($((frame - start)))
    sleep 0.3
done
printf '%s\n' "${times[@]}" | sort -n |
    awk '{t[NR] = $1} END {if (NR == 0) {print "startup: no frame seen"; exit 1}
         printf "startup median %d ms (%d-%d, %d runs)\n", (NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2), t[1], t[NR], NR}'
