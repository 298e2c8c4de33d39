#!/usr/bin/env bash
# Runs the cross-built replay runner's autopilot games (win and lose) under Wine with SDL's dummy
# drivers and prints the md5 of their JSON dumps and pages, one line per game, to compare line by line
# with the same runs of the Linux build.
#   packaging/windows/replay_under_wine.sh BUILD_DIR PREFIX ASSET_DIR
# BUILD_DIR: the cross-build (its game/replay.exe); ASSET_DIR: a native build's program folder,
# whose 34 pictures and sounds are copied beside the exe. The Wine prefix and HOME live in BUILD_DIR.
set -euo pipefail

build="$(cd "${1:?usage: replay_under_wine.sh BUILD_DIR PREFIX ASSET_DIR}" && pwd)"
prefix="${2:?}"
assets="${3:?}"

run="$build/wine-run"
rm -rf "$run"
mkdir -p "$run"
cp "$build/game/replay.exe" "$prefix"/bin/*.dll "$run/"
cp "$assets"/*.gif "$assets"/*.bmp "$assets"/*.wav "$assets"/*.OGG "$run/"

export WINEPREFIX="$build/wineprefix" HOME="$build/home" WINEDEBUG="${WINEDEBUG:--all,err+module}"
export WINEDLLOVERRIDES="mscoree,mshtml=" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy SDL_STDIO_REDIRECT=0
mkdir -p "$HOME"
echo 'pcm.!default { type null }' > "$HOME/.asoundrc"
unset DISPLAY
if [ ! -e "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi

for mode in win lose; do
  mkdir -p "$run/pages_$mode"
  (cd "$run" && nice -n 19 wine ./replay.exe --autopilot "$mode" --time 22:00:00 --json "$mode.json" \
     --json-every 7 --png-screens --png-dir "pages_$mode" >/dev/null)
  echo "$mode json $(md5sum < "$run/$mode.json" | cut -c1-32)" \
       "pages $(cat "$run/pages_$mode"/*.png | md5sum | cut -c1-32) ($(ls "$run/pages_$mode" | wc -l) pages)"
done
wineserver -w
