#!/usr/bin/env bash
# The game under a Wayland compositor through XWayland, as on today's default
# desktops: sway's headless backend at SIZE and SCALE, the game started by sway
# (full-screen, or with --window, which sway tiles to the whole output), and a
# screenshot with grim after 8 seconds. sway refuses to run as root: run this as
# an ordinary user. Run by hand (needs sway, grim, xwayland):
#   wayland_screens.sh GAME OUT.png SIZE SCALE [LIBDIR [GAME OPTIONS...]]
set -u
game=$1 shot=$2 size=$3 scale=$4 lib=${5:-}; shift 4; [ $# -gt 0 ] && shift
export XDG_RUNTIME_DIR
XDG_RUNTIME_DIR=$(mktemp -d)
cat > "$XDG_RUNTIME_DIR/config" <<CONFIG
output HEADLESS-1 resolution $size scale $scale
xwayland enable
exec env LD_LIBRARY_PATH=$lib SDL_AUDIODRIVER=dummy $game $* > $XDG_RUNTIME_DIR/game.log 2>&1
CONFIG
WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$XDG_RUNTIME_DIR/config" \
    > "$XDG_RUNTIME_DIR/sway.log" 2>&1 & compositor=$!
sleep 8
WAYLAND_DISPLAY=$(ls "$XDG_RUNTIME_DIR" | grep -m1 '^wayland-[0-9]*$') grim "$shot"
kill $compositor
wait $compositor 2> /dev/null
echo "$shot: $(convert "$shot" -format '%wx%h' info:), picture $(convert "$shot" -fuzz 0% -trim -format '%wx%h%O' info:)"
rm -rf "$XDG_RUNTIME_DIR"
