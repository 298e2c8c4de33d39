#!/usr/bin/env bash
# Keys typed with xdotool into the real window reach inkey and key_down.
#   keys_test.sh PROBE XWIN OUTDIR
set -u
probe=$1 xwin=$2 out=$3
mkdir -p "$out"
log=$out/keys.out
fail() { echo "FAIL: $*"; echo "--- probe output:"; cat "$log"; exit 1; }
# Waits until the probe has printed the line (the N-th time, default once).
expect() {
    local times=${2:-1}
    for _ in $(seq 100); do [ "$(grep -cx "$1" "$log")" -ge "$times" ] && return 0; sleep 0.05; done
    fail "no line '$1' (x$times)"
}

SDL_AUDIODRIVER=dummy "$probe" > "$log" & pid=$!
"$xwin" wait Untitled 10000 >/dev/null || fail "no window captioned Untitled"
sleep 0.5
xdotool mousemove 200 200
xdotool search --name '^Untitled$' windowfocus 2>/dev/null
sleep 0.3

xdotool key space
expect "typed 20"

xdotool keydown q
expect "down 113"
xdotool keyup q
expect "up 113"
expect "typed 71"
grep -qx "down 81" "$log" && fail "q without Shift held key code 81"
xdotool keydown Shift_L keydown q
expect "down 81"
xdotool keyup q keyup Shift_L
expect "up 81"
expect "typed 51"

xdotool keydown Right
expect "down 19712"
xdotool keyup Right
expect "up 19712"
expect "typed 00 4d"

# The left arrow stays down whatever Shift does, and repeats while held.
xdotool keydown Left
expect "down 19200"
xdotool keydown Shift_L
expect "down 100304" 2
xdotool keyup Shift_L
expect "up 100304" 2
sleep 0.8
xdotool keyup Left
expect "up 19200"
shift_ups=$(awk '/^up 19200$/ { exit } /^up 100304$/ { n++ } END { print n + 0 }' "$log")
[ "$shift_ups" -eq 2 ] || fail "the left arrow went up with Shift"
repeats=$(grep -cx "typed 00 4b" "$log")
[ "$repeats" -ge 5 ] || fail "held left arrow typed $repeats entries, key repeat is off"

# The keypad 4 with Num Lock off is a left arrow too.
xdotool keydown KP_Left
expect "down 200004"
expect "down 19200" 2
xdotool keyup KP_Left
expect "up 200004"

# Alt + keypad 6, 5 types "A".
xdotool keydown Alt_L
xdotool key KP_Right KP_Begin
xdotool keyup Alt_L
expect "typed 41"

# Ctrl with a letter types its control character: Ctrl+C is 03.
xdotool key ctrl+c
expect "typed 03"

# The Scroll Lock light, switched by another program, is mirrored into the
# held keys, and so is its going off.
last_held() { awk '$1 == "held" {n = $2} END {print n}' "$log"; }
expect_held() {
    for _ in $(seq 100); do [ "$(last_held)" = "$1" ] && return 0; sleep 0.05; done
    fail "held codes: $(last_held), not $1"
}
sleep 0.3
held=$(last_held)
xset led named "Scroll Lock"
expect_held $((held + 1))
xset -led named "Scroll Lock"
expect_held "$held"

# Ctrl+Pause is Break: the process ends with exit code 0.
xdotool key ctrl+Pause
for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
kill -0 $pid 2>/dev/null && { kill $pid; fail "Break did not end the program"; }
wait $pid; rc=$?
[ $rc -eq 0 ] || fail "Break: exit code $rc"
echo "keyboard tests passed"
