#!/usr/bin/env bash
# The real platform under Xvfb: the window, its caption and cursor, the window
# manager's close request, and the error dialog answered with a key.
#   window_test.sh PROBE XWIN OUTDIR
set -u
probe=$1 xwin=$2 out=$3
mkdir -p "$out"
fail() { echo "FAIL: $*"; exit 1; }

# Caption, arrow cursor, close request -> exit code 0.
SDL_AUDIODRIVER=dummy "$probe" window & pid=$!
"$xwin" wait Untitled 10000 >/dev/null || fail "no window captioned Untitled"
sleep 0.5
xdotool mousemove 200 200
sleep 0.3
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
echo "window tests passed"
