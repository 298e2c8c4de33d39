#!/usr/bin/env bash
# Proves a Windows library prefix works: cross-builds packaging/windows/smoke with the toolchain file,
# runs it under Wine with SDL's dummy drivers and lists the DLLs it needs.
#   packaging/windows/smoke_test.sh PREFIX [BUILD_DIR]
# BUILD_DIR (default build-win64-smoke in the clone) also holds the private Wine prefix and HOME.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
prefix="${1:?usage: smoke_test.sh PREFIX [BUILD_DIR]}"
build="${2:-$here/build-win64-smoke}"
expected=73

cmake -S "$here/packaging/windows/smoke" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" -DSUPERVIVEDAS_WIN_PREFIX="$prefix" >/dev/null
flock /tmp/build.lock cmake --build "$build" -j2 >/dev/null

# The exe beside its DLLs, as the game's zip will hold them.
run="$build/run"
rm -rf "$run"
mkdir -p "$run"
cp "$build/smoke.exe" "$prefix"/bin/*.dll "$run/"

# Samples: sox writes a WAV and an Ogg Vorbis tone; the program writes its own GIF and BMP.
sox -q -n -r 22050 -c 2 -b 16 "$run/tone.wav" synth 0.5 sine 440 vol 0.5
sox -q -n -r 22050 -c 2 "$run/tone.ogg" synth 0.5 sine 660 vol 0.5
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
font_arg=()
[ -e "$font" ] && { cp "$font" "$run/font.ttf"; font_arg=(font.ttf); }

# A private Wine prefix and HOME, made once per build folder; no sound device, no display needed.
export WINEPREFIX="$build/wineprefix" HOME="$build/home" WINEDEBUG="${WINEDEBUG:--all,err+module}"
export WINEDLLOVERRIDES="mscoree,mshtml=" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy SDL_STDIO_REDIRECT=0
mkdir -p "$HOME"
echo 'pcm.!default { type null }' > "$HOME/.asoundrc"
unset DISPLAY
if [ ! -e "$WINEPREFIX/system.reg" ]; then
  echo "smoke_test: making the Wine prefix" >&2
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi

set +e
(cd "$run" && wine ./smoke.exe . "${font_arg[@]}")
code=$?
set -e
wineserver -w

echo "smoke_test: smoke.exe exited with $code (expected $expected)"
# The DLLs it needs, followed through the DLLs found beside it: those are what a zip must ship; the
# rest come with Windows.
imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\tDLL Name: //p'; }
declare -A seen=()
ship=() system=() queue=(smoke.exe)
while [ "${#queue[@]}" -gt 0 ]; do
  f="${queue[0]}"; queue=("${queue[@]:1}")
  for dll in $(imports "$run/$f"); do
    key="${dll,,}"
    [ -n "${seen[$key]:-}" ] && continue
    seen[$key]=1
    local_file="$(cd "$run" && ls | grep -ix -- "$dll" || true)"
    if [ -n "$local_file" ]; then ship+=("$local_file"); queue+=("$local_file"); else system+=("$dll"); fi
  done
done
echo "smoke_test: DLLs to ship: $(printf '%s\n' "${ship[@]}" | sort | tr '\n' ' ')"
echo "smoke_test: DLLs of Windows: $(printf '%s\n' "${system[@]}" | sort | tr '\n' ' ')"
unused="$(cd "$prefix/bin" && for d in *.dll; do [ -n "${seen[${d,,}]:-}" ] || echo "$d"; done)"
[ -z "$unused" ] || echo "smoke_test: in the prefix but not needed: $(echo $unused)"
[ "$code" -eq "$expected" ]
