#!/usr/bin/env bash
# The real platform under Xvfb: the window, its caption and cursor, the window
# manager's close request, and the error dialog answered with a key.
#   window_test.sh PROBE XWIN OUTDIR
set -u
probe=$1 xwin=$2 out=$3
mkdir -p "$out"
# Sanitizer builds run several times slower: they stretch the bounds below.
factor=${TEST_TIME_FACTOR:-1}
fail() { echo "FAIL: $*"; exit 1; }

# Caption, arrow cursor, close request -> exit code 0 (in a window: full-screen
# hides the cursor).
SUPERVIVEDAS_DISPLAY=window SDL_AUDIODRIVER=dummy "$probe" window & pid=$!
"$xwin" wait Untitled 10000 >/dev/null || fail "no window captioned Untitled"
# The cursor is set once the window is up: longer under a sanitizer.
sleep "$(awk -v f="$factor" 'BEGIN {print 0.5 * f}')"
xdotool mousemove 200 200
sleep "$(awk -v f="$factor" 'BEGIN {print 0.3 * f}')"
"$xwin" cursor > "$out/cursor.txt"
head -3 "$out/cursor.txt" | tr -d '\n' | grep -q '^XXXX\.X' || fail "cursor is not the arrow: $(head -4 "$out/cursor.txt")"
grep -q '^hot 0 0$' "$out/cursor.txt" || fail "cursor hot spot is not (0,0)"
import -window root "$out/window.png" 2>/dev/null
"$xwin" close Untitled || fail "could not send the close request"
wait $pid; rc=$?
[ $rc -eq 0 ] || fail "close request: exit code $rc"

# The error dialog: it appears, Y answers it and the program goes on.
SDL_AUDIODRIVER=dummy "$probe" error > "$out/error.out" & pid=$!
"$xwin" wait "Unhandled Error #5" 10000 >/dev/null || fail "no error dialog"
sleep 0.3
import -window root "$out/dialog.png" 2>/dev/null
xdotool key y
for _ in $(seq 100); do grep -q continued "$out/error.out" && break; sleep 0.05; done
grep -q continued "$out/error.out" || fail "Yes did not continue"
"$xwin" close Untitled
wait $pid; rc=$?
[ $rc -eq 0 ] || fail "after Yes: exit code $rc"

# N answers No: the program ends with exit code 0 and does not go on.
SDL_AUDIODRIVER=dummy "$probe" error > "$out/error2.out" & pid=$!
"$xwin" wait "Unhandled Error #5" 10000 >/dev/null || fail "no error dialog (second run)"
sleep 0.3
xdotool key n
wait $pid; rc=$?
[ $rc -eq 0 ] || fail "after No: exit code $rc"
grep -q continued "$out/error2.out" && fail "No went on with the next step"
# A program thread stuck inside a library call never reaches its next step: the
# close button and SIGTERM still end the process, with exit code 0, within 3 s.
for how in close term; do
    SDL_AUDIODRIVER=dummy "$probe" stuck > "$out/stuck.out" & pid=$!
    "$xwin" wait Untitled 10000 >/dev/null || fail "no window (stuck, $how)"
    for _ in $(seq 100); do grep -q stuck "$out/stuck.out" && break; sleep 0.05; done
    if [ $how = close ]; then "$xwin" close Untitled; else kill -TERM $pid; fi
    for _ in $(seq $((30 * factor))); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    kill -0 $pid 2>/dev/null && { kill -9 $pid; fail "stuck program still running 3 s after $how"; }
    wait $pid; rc=$?
    [ $rc -eq 0 ] || fail "stuck program, $how: exit code $rc"
done

# A close request while the program thread sleeps in sleep_seconds ends the
# sleep: the orderly end at once, exit handlers and all, not the end that
# leaves a stuck thread after 2 s.
SDL_AUDIODRIVER=dummy "$probe" sleeping > "$out/sleeping.out" & pid=$!
"$xwin" wait Untitled 10000 >/dev/null || fail "no window (sleeping)"
for _ in $(seq 100); do grep -q sleeping "$out/sleeping.out" && break; sleep 0.05; done
"$xwin" close Untitled
for _ in $(seq $((15 * factor))); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && { kill -9 $pid; fail "sleeping program still running 1.5 s after the close request"; }
wait $pid; rc=$?
[ $rc -eq 0 ] || fail "sleeping program: exit code $rc"
grep -q "exit handlers ran" "$out/sleeping.out" || fail "sleeping program: not the orderly end"

# The X server goes away under a running program: it ends at once with exit
# code 1 and says why on one line. A server of this test's own, since the one
# it runs on must outlive it.
lost=$((700 + $$ % 200))
Xvfb ":$lost" -screen 0 1024x768x24 -noreset -nolisten tcp > /dev/null 2>&1 & server=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$lost" ] && break; sleep 0.1; done
DISPLAY=":$lost" SDL_AUDIODRIVER=dummy "$probe" > /dev/null 2> "$out/lost.err" & pid=$!
DISPLAY=":$lost" "$xwin" wait Untitled 10000 >/dev/null || { kill $server; fail "no window (server loss)"; }
sleep 0.5
kill $server
for _ in $(seq $((30 * factor))); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && { kill -9 $pid; fail "still running 3 s after the X server went away"; }
wait $pid; rc=$?
[ $rc -eq 1 ] || fail "X server gone: exit code $rc"
[ "$(cat "$out/lost.err")" = "The connection to the X server was lost." ] || fail "X server gone: stderr $(cat "$out/lost.err")"
echo "window tests passed"
