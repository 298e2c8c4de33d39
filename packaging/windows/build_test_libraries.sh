#!/usr/bin/env bash
# Cross-builds what the Windows tests and the replay runner need besides the game's libraries, as static
# libraries into a prefix of their own in the same cache, and prints its path as the last line:
#   - libpng (the replay runner's and the tests' page pictures) from Debian's libpng1.6 source, over
#     Debian's libz-mingw-w64-dev (the zlib of the build machine's version, so pages compress the same);
#   - GoogleTest from Debian's googletest package (its sources in /usr/src/googletest).
# Run after build_libraries.sh, whose private apt configuration it uses. Nothing here is shipped.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
script="$here/packaging/windows/build_test_libraries.sh"
host=x86_64-w64-mingw32
cache="${SUPERVIVEDAS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/supervivedas}"
log() { echo "build_test_libraries: $*" >&2; }
# shellcheck source=packaging/common.sh
. "$here/packaging/common.sh"
unset CFLAGS CXXFLAGS CPPFLAGS LDFLAGS LIBS PKG_CONFIG_PATH PKG_CONFIG_SYSROOT_DIR CC CXX

install_missing googletest libz-mingw-w64-dev cmake make dpkg-dev

aptdir="$cache/apt"
[ -e "$aptdir/sources.list" ] || { log "run packaging/windows/build_libraries.sh first"; exit 1; }
private_apt_options "$aptdir"
# The versions of libpng's source the archive lists, newest first. A mirror may not serve the newest
# (a security suite's pool lagging behind its lists): the first one that downloads is taken.
png_versions="$(apt-cache "${apt_opts[@]}" showsrc libpng1.6 | sed -n 's/^Version: //p' | sort -rV | uniq)"
[ -n "$png_versions" ] || { log "the archive lists no source of libpng1.6"; exit 1; }
manifest_text="$(
  echo "debian-source libpng1.6"; echo "$png_versions"
  echo "packages"
  dpkg-query -W -f='${Package} ${Version}\n' googletest libz-mingw-w64-dev gcc-mingw-w64-x86-64-posix \
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  echo "recipe $(cat "$script" "$here/packaging/common.sh" | sha256sum | cut -c1-64)")"
key="$(sha256sum <<<"$manifest_text" | cut -c1-16)"
prefix="$cache/win64-test-$key"

take_prefix "$prefix" manifest.txt "$cache"

fetched=
for v in $png_versions; do
  dir="$cache/sources/libpng1.6/$v"
  if [ ! -e "$dir/done" ]; then
    rm -rf "$dir"; mkdir -p "$dir"
    (cd "$dir" && apt-get "${apt_opts[@]}" source --download-only -q "libpng1.6=$v" >/dev/null 2>&1) || continue
    touch "$dir/done"
  fi
  dpkg-source -q -x "$dir"/*.dsc "$work/libpng" >/dev/null 2>&1 && fetched=$v && break
done
[ -n "$fetched" ] || { log "cannot fetch any source of libpng1.6 ($png_versions)"; exit 1; }
log "libpng1.6 $fetched"

exec 8>/tmp/build.lock
flock 8
log "building libpng"
(cd "$work/libpng" && ./configure --host="$host" --build="$(gcc -dumpmachine)" --prefix="$prefix" \
   --enable-static --disable-shared --disable-tests --disable-tools \
   CC="$host-gcc-posix" CFLAGS=-O2 CPPFLAGS="-I/usr/$host/include" LDFLAGS="-L/usr/$host/lib" \
   >"$work/libpng.log" 2>&1 && make -j2 install >>"$work/libpng.log" 2>&1) \
  || { tail -n 30 "$work/libpng.log" >&2; exit 1; }
log "building GoogleTest"
cmake -S /usr/src/googletest -B "$work/googletest" -DCMAKE_TOOLCHAIN_FILE= -DCMAKE_SYSTEM_NAME=Windows \
  -DCMAKE_C_COMPILER="$host-gcc-posix" -DCMAKE_CXX_COMPILER="$host-g++-posix" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF >"$work/googletest.log" 2>&1 \
  && cmake --build "$work/googletest" -j2 >>"$work/googletest.log" 2>&1 \
  && cmake --install "$work/googletest" >>"$work/googletest.log" 2>&1 \
  || { tail -n 30 "$work/googletest.log" >&2; exit 1; }
flock -u 8

echo "$manifest_text" > "$prefix/manifest.txt"
log "built $prefix in $((SECONDS - start)) s"
echo "$prefix"
