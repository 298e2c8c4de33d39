#!/usr/bin/env bash
# Milliseconds from a key press (sent with XTest) to the first presented frame
# that shows it, under a virtual X server, with libkey_latency.so preloaded:
# space on the title screen -> the stage introduction (one start-up per press),
# and space in a race -> the spinnaker. Prints min, median, p90 and max of each.
# The page is looked for unscaled (--scale=original): scaling changes what a frame
# costs, not when a key reaches it.
#   key_latency.sh GAME KEY_LATENCY_SO [PRESSES]   (run it under xvfb-run -s -noreset)
set -u
game=$1 shim=$2 presses=${3:-30}
log=$(mktemp)
for ((i = 0; i < presses; i++)); do
    KEY_LATENCY_CASE=title SUPERVIVEDAS_SCALE=original SDL_AUDIODRIVER=dummy LD_PRELOAD="$shim" "$game" 2>>"$log" & pid=$!
    for ((w = 0; w < 100; w++)); do
        [ "$(grep -c -E '^(latency|missed) title|^no title' "$log")" -gt "$i" ] && break
        sleep 0.1
    done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
done
KEY_LATENCY_CASE=race KEY_LATENCY_PRESSES=$((presses + 12)) SUPERVIVEDAS_SCALE=original SDL_AUDIODRIVER=dummy LD_PRELOAD="$shim" "$game" 2>>"$log" &
pid=$!
for ((w = 0; w < 600; w++)); do
    grep -q -E '^presses done|^no title' "$log" && break
    sleep 0.1
done
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
for c in title race; do
    awk -v c="$c" '$1 == "latency" && $2 == c {print $3} $1 == "missed" && $2 == c {missed++}
        END {if (missed) print "missed " missed > "/dev/stderr"}' "$log" | sort -g |
        awk -v c="$c" '{t[NR] = $1} END {if (NR == 0) {print c ": no press seen"; exit}
            p = int(0.9 * NR + 0.999); if (p < 1) p = 1
            m = NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
            printf "%s min %.1f median %.1f p90 %.1f max %.1f ms (%d presses)\n", c, t[1], m, t[p], t[NR], NR}'
done
rm -f "$log"
