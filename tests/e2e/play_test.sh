#!/usr/bin/env bash
# The real game in a real X server, played with the keyboard as a player would:
# title, space, stage introduction, countdown, steering, spinnaker, pause, quit.
#   play_test.sh GAME XWIN OUTDIR
set -u
game=$1 xwin=$2 out=$3
mkdir -p "$out"
fail() { echo "FAIL: $*"; kill "$pid" 2>/dev/null; exit 1; }
shot() { import -window root "$out/$1.png" 2>/dev/null; }
# Pixels that differ between two screenshots.
differ() { compare -metric AE "$out/$1.png" "$out/$2.png" null: 2>&1 | cut -d' ' -f1; }
# Pixels of one colour (as ImageMagick names it) inside a region WxH+X+Y.
count() { convert "$out/$1.png" -crop "$2" +repage -fill black +opaque "$3" -fill white -opaque "$3" \
          -format '%[fx:int(mean*w*h+0.5)]' info:; }

SDL_AUDIODRIVER=dummy "$game" & pid=$!
"$xwin" wait Untitled 15000 >/dev/null || fail "no game window"
sleep 3
shot title
read -r w h < <("$xwin" size Untitled)
echo "window ${w}x${h}"

xdotool key space
sleep 0.8
shot intro
sleep 2.5
shot countdown
[ "$(differ intro countdown)" -gt 1000 ] || fail "the race did not follow the introduction"
sleep 5.5
shot race1
xdotool keydown Right; sleep 1.5; xdotool keyup Right
shot race2
xdotool key space
sleep 0.5
shot spinnaker
[ "$(differ race1 race2)" -gt 100 ] || fail "nothing moved while steering"

xdotool key p
sleep 0.5
shot paused1
sleep 1
shot paused2
[ "$(differ paused1 paused2)" -eq 0 ] || fail "the picture moved during the pause"
xdotool key space
sleep 0.7
shot resumed
[ "$(differ paused2 resumed)" -gt 100 ] || fail "space did not resume the race"

# Q is read as held, once a frame: hold it as a player does.
xdotool keydown q; sleep 0.3; xdotool keyup q
sleep 0.7
shot quit
# The prompt stands on the bottom text row of the page, which fills the
# 1024x768 screen in full-screen (its 16 rows from 576 of 600 scaled by 1.28).
if [ "$w" -ge 1024 ] && [ "${SUPERVIVEDAS_SCALE:-}" = original ]; then region=800x16+112+660
elif [ "$w" -ge 1024 ]; then region=1024x20+0+737; else region=800x16+0+576; fi
[ "$(count quit "$region" white)" -gt 100 ] || fail "no 'Press any key to continue' on the bottom row"
xdotool key a
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the game did not end after the key"
wait "$pid"; rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc after the key"
echo "play test passed"
