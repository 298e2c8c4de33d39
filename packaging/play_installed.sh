#!/usr/bin/env bash
# The installed game under a virtual X server (xvfb-run, 1024 by 768): its title
# screen against the reference, then Q, the prompt and a key, and exit code 0.
#   play_installed.sh GAME OUTDIR REFERENCE_PNG
set -u
game=$1 out=$2 reference=$3
fail() { echo "FAIL: $*" >&2; kill "$pid" 2>/dev/null; exit 1; }
shot() { import -window root "$out/$1.png" 2>/dev/null; }
# Pixels of one colour inside a region WxH+X+Y.
count() { convert "$out/$1.png" -crop "$2" +repage -fill black +opaque "$3" -fill white -opaque "$3" \
          -format '%[fx:int(mean*w*h+0.5)]' info:; }

# Unscaled, so that the page is where the reference has it (the scaled looks:
# tests/display/screens_test.sh).
SDL_AUDIODRIVER=dummy "$game" --scale=original 2>"$out/stderr" & pid=$!
timeout 20 xdotool search --sync --name '^Untitled$' >/dev/null || fail "no game window"
sleep 3
shot title
# Full-screen on 1024 by 768: the 800 by 600 page in the middle.
convert "$out/title.png" -crop 800x600+112+84 +repage "$out/title_page.png"
# Pixels that differ from the reference inside a region WxH+X+Y of the page.
differ() { compare -metric AE -fuzz 10% "$reference[$1]" "$out/title_page.png[$1]" null: 2>&1; }
# The crossing yacht and its foam, the blinking prompt and the credit line
# move: a few thousand pixels at most. The title, the subtitle and the bottom
# line stand still, and another screen on the same blue differs there.
page=$(differ 800x600+0+0)
echo "title screen: $page pixels differ from the reference"
[ "$page" -lt 6000 ] 2>/dev/null || fail "not the title screen ($out/title_page.png)"
for band in 800x16+0+96 800x16+0+192 800x16+0+544; do
  [ "$(differ $band)" -le 20 ] 2>/dev/null || fail "the title screen's text differs in $band ($out/title_page.png)"
done

# Q is read as held, once a frame: hold it as a player does.
xdotool keydown q; sleep 0.3; xdotool keyup q
sleep 0.7
shot quit
[ "$(count quit 800x16+112+660 white)" -gt 100 ] || fail "no 'Press any key to continue' on the bottom row"
xdotool key a
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the game did not end after the key"
wait "$pid"; rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc after the key"
! grep -q '^Unable to load' "$out/stderr" || fail "the installed game misses files: $(cat "$out/stderr")"
echo "installed game: title screen, quit, exit code 0"
