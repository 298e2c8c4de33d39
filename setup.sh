#!/usr/bin/env bash
# Sets the project up on Debian 12 and then plays or tests it:
#   ./setup.sh play   install what is missing, build, start the game
#   ./setup.sh test   install what is missing (test tools too), build, run every test
#   ./setup.sh windows       cross-build the Windows game and make its zip and installer
#   ./setup.sh windows-test  the same, then its tests under Wine (packaging/windows/test.sh)
# Run it as root or as a user with sudo rights.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$here/build"
what="${1:-play}"

build_packages=(build-essential cmake pkg-config
  libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev libx11-dev
  libgif-dev libsndfile1-dev libvorbis-dev libpng-dev)
test_packages=(libgtest-dev libbenchmark-dev libxfixes-dev libxtst-dev console-data xvfb xauth xdotool x11-xserver-utils imagemagick sox
  libsdl2-2.0-0)
test_packages+=(lintian desktop-file-utils appstream librsvg2-bin)  # packaging/check_package.sh
test_packages+=(clang libclang-rt-dev)  # tests/sanitize/run.sh: libFuzzer

# The Windows build: Debian's mingw-w64 (posix threads), Wine to run what it
# builds, nsis for the installer; the asset generator runs natively.
windows_packages=(gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev wine wine64 nsis zip unzip dpkg-dev)
windows_test_packages=(googletest libz-mingw-w64-dev xvfb xauth xdotool x11-utils imagemagick libxfixes-dev)

case "$what" in
  play) packages=("${build_packages[@]}") ;;
  test) packages=("${build_packages[@]}" "${test_packages[@]}") ;;
  windows) packages=("${build_packages[@]}" "${windows_packages[@]}") ;;
  windows-test) packages=("${build_packages[@]}" "${windows_packages[@]}" "${windows_test_packages[@]}") ;;
  *) echo "usage: $0 play|test|windows|windows-test" >&2; exit 2 ;;
esac

# shellcheck source=packaging/common.sh
. "$here/packaging/common.sh"
install_missing "${packages[@]}"

# sdl12-compat, SDL 1.2 over SDL2, is what most distributions ship as SDL 1.2
# now. The tests run on it as well as on the system's SDL: its Debian package is
# unpacked into the build folder, never installed over the system's SDL.
fetch_sdl12_compat() {
  local dir="$build/sdl12-compat"
  [ -e "$dir/lib/libSDL-1.2.so.0" ] && return 0
  rm -rf "$dir"
  mkdir -p "$dir/deb"
  download() { (cd "$dir/deb" && apt-get download -q -o APT::Sandbox::User=root libsdl1.2-compat); }
  download || { as_root apt-get update -q && download; }
  dpkg-deb -x "$dir"/deb/libsdl1.2-compat_*.deb "$dir/root"
  local lib
  lib="$(find "$dir/root" -name libSDL-1.2.so.0 | head -n 1)"
  [ -n "$lib" ] || { echo "sdl12-compat: no libSDL-1.2.so.0 in its package" >&2; return 1; }
  ln -sfn "$(dirname "${lib#"$dir"/}")" "$dir/lib"
}

jobs="$(nproc 2>/dev/null || echo 2)"
if [ "$what" = windows ] || [ "$what" = windows-test ]; then
  # The pictures, sounds and icons come from the native build (configured as
  # it is, or for the game alone when new); the tests compare with its replay
  # runner and use its window tool. Builds hold the lock the machine's builds
  # share (build_libraries.sh takes it itself).
  native_options=()
  [ -e "$build/CMakeCache.txt" ] || native_options=(-DCMAKE_BUILD_TYPE=Release -DSUPERVIVEDAS_TESTS=OFF)
  [ "$what" = windows ] || native_options+=(-DSUPERVIVEDAS_TOOLS=ON)
  cmake -S "$here" -B "$build" "${native_options[@]}" >/dev/null
  flock /tmp/build.lock cmake --build "$build" -j "$jobs" --target game_assets desktop_icons
  prefix="$("$here/packaging/windows/build_libraries.sh" | tail -n 1)"
  cmake -S "$here" -B "$here/build-win64" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
        -DSUPERVIVEDAS_WIN_PREFIX="$prefix" -DSUPERVIVEDAS_NATIVE_BUILD="$build" -DCMAKE_BUILD_TYPE=Release
  flock /tmp/build.lock cmake --build "$here/build-win64" -j "$jobs" --target supervivedas game_assets
  "$here/packaging/windows/package.sh" "$here/build-win64" "$prefix"
  [ "$what" = windows ] || exec "$here/packaging/windows/test.sh" "$here/build-win64" "$prefix" "$build"
elif [ "$what" = play ]; then
  cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSUPERVIVEDAS_TESTS=OFF
  cmake --build "$build" -j "$jobs"
  exec "$build/game/supervivedas"
else
  fetch_sdl12_compat
  cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUPERVIVEDAS_TESTS=ON
  cmake --build "$build" -j "$jobs"
  ctest --test-dir "$build" --output-on-failure -j "$jobs"
fi
