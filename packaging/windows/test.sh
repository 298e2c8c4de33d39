#!/usr/bin/env bash
# The Windows build's tests under Wine, after ./setup.sh windows:
#   packaging/windows/test.sh BUILD_DIR PREFIX NATIVE_BUILD
# 1. the headless unit suite and the fuzz inputs, cross-built and run through Wine (ctest);
# 2. the replay runner's autopilot games (win, lose) under Wine against the native build's: dumps and
#    pages byte for byte;
# 3. the game in Wine under Xvfb (packaging/windows/play_under_wine.sh): title screen, keys, a damaged
#    picture's error box, the close button, exit codes seen whole, the installer and uninstaller.
# Builds and test runs hold /tmp/build.lock, as every build on the machine does.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$(cd "${1:?usage: test.sh BUILD_DIR PREFIX NATIVE_BUILD}" && pwd)"
prefix="$(cd "${2:?}" && pwd)"
native="$(cd "${3:?}" && pwd)"
log() { echo "windows test: $*" >&2; }
start=$SECONDS

test_prefix="$("$here/build_test_libraries.sh" | tail -n 1)"
cmake -S "$root" -B "$build" -DSUPERVIVEDAS_TESTS=ON -DGTest_DIR="$test_prefix/lib/cmake/GTest" \
  -DPNG_LIBRARY="$test_prefix/lib/libpng16.a" -DPNG_PNG_INCLUDE_DIR="$test_prefix/include" \
  -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include >/dev/null
flock /tmp/build.lock cmake --build "$build" -j "$(nproc)"
# The native replay runner and window tool, for the comparison and the X checks.
flock /tmp/build.lock cmake --build "$native" -j "$(nproc)" --target replay xwin

# A private Wine prefix and HOME in the build folder; no sound device (a null ALSA device), SDL's
# output on the console rather than in files beside the exe.
export WINEPREFIX="$build/wineprefix" HOME="$build/home" WINEDEBUG="-all,err+module"
export WINEDLLOVERRIDES="mscoree,mshtml=" SDL_STDIO_REDIRECT=0
mkdir -p "$HOME"
echo 'pcm.!default { type null }' > "$HOME/.asoundrc"
if [ ! -e "$WINEPREFIX/system.reg" ]; then
  DISPLAY= wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
WINEPATH="$(winepath -w "$prefix/bin")"
export WINEPATH

log "unit tests under Wine"
(unset DISPLAY; flock /tmp/build.lock ctest --test-dir "$build" -j 2 --output-on-failure) | tee "$build/wine-ctest.log"
wineserver -w

log "replay: autopilot games under Wine and natively"
wine_md5="$(flock /tmp/build.lock "$here/replay_under_wine.sh" "$build" "$prefix" "$build/game")"
native_md5=""
for mode in win lose; do
  out="$build/native-replay/$mode"
  rm -rf "$out" && mkdir -p "$out/pages"
  (cd "$native/game" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy flock /tmp/build.lock ./replay \
     --autopilot "$mode" --time 22:00:00 --json "$out/$mode.json" --json-every 7 --png-screens \
     --png-dir "$out/pages" >/dev/null)
  native_md5+="$mode json $(md5sum < "$out/$mode.json" | cut -c1-32) pages $(cat "$out/pages"/*.png | md5sum | cut -c1-32) ($(ls "$out/pages" | wc -l) pages)"$'\n'
done
echo "Linux:"; echo -n "$native_md5"
echo "Wine:"; echo "$wine_md5"
[ "$wine_md5" = "${native_md5%$'\n'}" ] || { log "the Windows game's dumps or pages differ from Linux's"; exit 1; }

log "the game and the installer in Wine under Xvfb"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" flock /tmp/build.lock "$here/play_under_wine.sh" \
  "$build/package/supervivedas-$version" "$build/supervivedas-$version-setup.exe" "$native/tools/xwin/xwin" \
  "$root/packaging/title_screen.png" "$root/tests/fuzz/regressions/images" "$build/wine-play"
wineserver -w
log "passed in $((SECONDS - start)) s"
