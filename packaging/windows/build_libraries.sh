#!/usr/bin/env bash
# Cross-builds the libraries the game needs on Windows (SDL 1.2, SDL_mixer 1.2, SDL_image 1.2, SDL_ttf 2.0,
# libogg, libvorbis, freetype) as 64-bit DLLs into a prefix kept in a cache outside the clone, and prints
# the prefix's path as the last line of its output. The prefix's name carries a key made of the sources'
# versions and checksums, the toolchain's version and this script, so a second run with the same inputs
# finds it and returns at once.
#
#   packaging/windows/build_libraries.sh            build or reuse the prefix
#   packaging/windows/build_libraries.sh --refresh  read the archive's source lists anew first
#
# The cache is $SUPERVIVEDAS_CACHE, else ${XDG_CACHE_HOME:-$HOME/.cache}/supervivedas. Run as root or as a
# user with sudo rights (only to install missing packages). The system's apt configuration is never
# changed: the Debian sources are fetched through a private configuration kept in the cache.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
script="$here/packaging/windows/build_libraries.sh"
host=x86_64-w64-mingw32
cache="${SUPERVIVEDAS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/supervivedas}"
debian_sources=(libsdl1.2 sdl-mixer1.2 libogg libvorbis freetype)
refresh=0
[ "${1:-}" = --refresh ] && refresh=1

log() { echo "build_libraries: $*" >&2; }
# shellcheck source=packaging/common.sh
. "$here/packaging/common.sh"

# Flags meant for the native build would reach the cross-compiler (Debian's -z relro and -z now are
# options of the ELF linker only).
unset CFLAGS CXXFLAGS CPPFLAGS LDFLAGS LIBS PKG_CONFIG_PATH PKG_CONFIG_SYSROOT_DIR CC CXX

install_missing gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
  mingw-w64-x86-64-dev wine wine64 dpkg-dev make pkg-config xz-utils cmake sox

# A private apt state: deb-src lines for the mirrors and suites the system takes its Debian packages from,
# read from apt itself so that both source file formats are understood.
aptdir="$cache/apt"
mkdir -p "$aptdir/lists/partial"
private_apt_options "$aptdir"
apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT) $(ORIGIN)' 'Identifier: Packages' \
  | awk '$4 == "Debian" && $3 == "main" { print "deb-src " $1 " " $2 " main" }' | sort -u > "$aptdir/sources.list.new"
[ -s "$aptdir/sources.list.new" ] || { log "no Debian source in the system's apt configuration"; exit 1; }
cmp -s "$aptdir/sources.list.new" "$aptdir/sources.list" 2>/dev/null || refresh=1
mv "$aptdir/sources.list.new" "$aptdir/sources.list"
update_lists() {
  log "reading the archive's source lists"
  apt-get "${apt_opts[@]}" update -q >/dev/null 2>"$aptdir/update.log" || { cat "$aptdir/update.log" >&2; return 1; }
  touch "$aptdir/lists/.updated"
}
# Lists older than a day are read anew so that security updates are taken; without the network the old
# ones serve.
if [ "$refresh" = 1 ] || [ -z "$(find "$aptdir/lists/.updated" -mmin -1440 2>/dev/null)" ]; then
  update_lists || [ -e "$aptdir/lists/.updated" ] || exit 1
fi

# What apt would fetch: file names, sizes and checksums (the mirror's address is left out).
source_files() { apt-get "${apt_opts[@]}" source --print-uris -qq "$1" | awk '{ print $2, $3, $4 }'; }
toolchain_id() {
  dpkg-query -W -f='${Package} ${Version}\n' gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix \
    binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
}
manifest() {
  local p
  for p in "${debian_sources[@]}"; do echo "debian-source $p"; source_files "$p"; done
  echo "vendored"; cat "$here/third_party/SHA256SUMS"
  echo "patches"; (cd "$here/packaging/windows/patches" && sha256sum -- *.patch)
  echo "toolchain"; toolchain_id
  echo "recipe $(cat "$script" "$here/packaging/common.sh" | sha256sum | cut -c1-64)"
}
manifest_text="$(manifest)"
key="$(sha256sum <<<"$manifest_text" | cut -c1-16)"
prefix="$cache/win64-$key"

take_prefix "$prefix" share/supervivedas/manifest.txt "$cache"

# Debian's sources, downloaded once into the cache (apt checks them against the signed lists).
fetch() {
  local p="$1" dir
  dir="$cache/sources/$p"
  local dsc
  dsc="$(source_files "$p" | awk '$1 ~ /\.dsc$/ { print $1 }')"
  if [ ! -e "$dir/$dsc" ]; then
    rm -rf "$dir"; mkdir -p "$dir"
    (cd "$dir" && apt-get "${apt_opts[@]}" source --download-only -q "$p" >/dev/null) \
      || { update_lists && (cd "$dir" && apt-get "${apt_opts[@]}" source --download-only -q "$p" >/dev/null); } \
      || { log "cannot fetch the source of $p"; return 1; }
    # A refresh above may have brought a newer version than the key was made from: start again.
    [ -e "$dir/$dsc" ] || { log "the archive moved on while fetching $p; run again"; return 1; }
  fi
  dpkg-source -q -x "$dir/$dsc" "$work/$p" >/dev/null 2>&1
}
for p in "${debian_sources[@]}"; do fetch "$p"; done
(cd "$here/third_party" && sha256sum --quiet -c SHA256SUMS) || { log "third_party tarballs do not match SHA256SUMS"; exit 1; }
tar -xJf "$here"/third_party/SDL_image-*.tar.xz -C "$work"
tar -xJf "$here"/third_party/SDL_ttf-*.tar.xz -C "$work"
# Our own fixes to the vendored sources (packaging/windows/patches/<library>-*.patch).
for p in "$here"/packaging/windows/patches/*.patch; do
  [ -e "$p" ] || continue
  log "applying $(basename "$p")"
  patch -s -d "$(ls -d "$work/$(basename "$p" | cut -d- -f1)"-*/)" -p1 < "$p"
done

export CC="$host-gcc-posix" CXX="$host-g++-posix" AR="$host-ar" RANLIB="$host-ranlib" STRIP="$host-strip"
export NM="$host-nm" DLLTOOL="$host-dlltool" OBJDUMP="$host-objdump" WINDRES="$host-windres" RC="$host-windres"
export CFLAGS="-O2" CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" PKG_CONFIG="pkg-config" PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" PATH="$prefix/bin:$PATH"
# Each library's configure, make and install hold the lock the machine's builds share, taken once per
# library; the time spent holding it is counted apart from the time spent waiting for it.
held="$work/held_ms"
build_lock() { exec 8>/tmp/build.lock; flock 8; lock_start=$(date +%s%N); }
build_unlock() { echo $((($(date +%s%N) - lock_start) / 1000000)) >>"$held"; flock -u 8; exec 8>&-; }
configure() {
  log "configuring $(basename "$PWD")"
  ./configure --host="$host" --build="$(gcc -dumpmachine)" --prefix="$prefix" \
    --enable-shared --disable-static "$@" >"$work/$(basename "$PWD").configure.log" 2>&1 \
    || { tail -n 30 "$work/$(basename "$PWD").configure.log" >&2; return 1; }
}
make_() {
  log "making $(basename "$PWD") $*"
  make -j2 "$@" >>"$work/$(basename "$PWD").make.log" 2>&1 \
    || { tail -n 40 "$work/$(basename "$PWD").make.log" >&2; return 1; }
}
needs() {  # needs <dll> <dll it must import>
  # grep reads to the end: with -q it would quit early and pipefail would see objdump's SIGPIPE.
  "$host-objdump" -p "$prefix/bin/$1" | grep "DLL Name: $2" >/dev/null || { log "$1 does not use $2"; return 1; }
}
licence() {  # licence <name> <files...>: kept beside the DLLs for whoever ships them
  local name="$1"; shift
  mkdir -p "$prefix/share/licenses/$name"
  cp "$@" "$prefix/share/licenses/$name/"
}

cd "$work/libogg"
build_lock
configure
make_
make_ install
build_unlock
licence libogg COPYING debian/copyright

cd "$work/libvorbis"
build_lock
configure --disable-oggtest --disable-docs --disable-examples
make_
make_ install
build_unlock
licence libvorbis COPYING debian/copyright

# freetype alone, with its own copy of zlib for compressed fonts and nothing else from outside.
cd "$work/freetype"
build_lock
configure --with-zlib=no --with-bzip2=no --with-png=no --with-harfbuzz=no --with-brotli=no
make_
make_ install
build_unlock
licence freetype docs/FTL.TXT docs/GPLv2.TXT LICENSE.TXT debian/copyright

# Debian drops -lmingw32 -lSDLmain -mwindows (the Windows entry point) from sdl-config and sdl.pc: put
# them back.
cd "$work/libsdl1.2"
build_lock
patch -s -R -p1 < debian/patches/dont_propagate_lpthread.diff
configure --disable-rpath
make_
make_ install
build_unlock
licence SDL COPYING debian/copyright

# Only the libraries: the sample programs do not link with this libtool.
cd "$work/sdl-mixer1.2"
build_lock
configure --disable-sdltest --with-sdl-prefix="$prefix" --disable-music-cmd --enable-music-wave \
  --disable-music-mod --disable-music-mod-modplug --disable-music-midi --disable-music-timidity-midi \
  --disable-music-native-midi --disable-music-fluidsynth-midi --enable-music-ogg --disable-music-ogg-tremor \
  --disable-music-ogg-shared --disable-music-flac --disable-music-mp3 --disable-music-mp3-mad-gpl
make_ build/libSDL_mixer.la
make_ install-hdrs install-lib
build_unlock
needs SDL_mixer.dll libvorbisfile-3.dll  # a configure that misses the headers leaves Ogg out silently
licence SDL_mixer COPYING debian/copyright

cd "$work"/SDL_image-*/
build_lock
configure --disable-sdltest --with-sdl-prefix="$prefix" --enable-gif --enable-bmp --disable-jpg --disable-lbm \
  --disable-pcx --disable-png --disable-pnm --disable-tga --disable-tif --disable-xcf --disable-xpm --disable-xv \
  --disable-webp --disable-imageio
make_ libSDL_image.la
make_ install-exec-am install-data-am
build_unlock
licence SDL_image COPYING

cd "$work"/SDL_ttf-*/
build_lock
configure --disable-sdltest --with-sdl-prefix="$prefix" --without-x
make_ libSDL_ttf.la
make_ install-exec-am install-data-am
build_unlock
needs SDL_ttf.dll libfreetype-6.dll
licence SDL_ttf COPYING

# The C++ runtime's threads (posix model) live in this DLL; libgcc and libstdc++ are linked statically.
cp "/usr/$host/lib/libwinpthread-1.dll" "$prefix/bin/"
licence winpthreads "/usr/share/doc/mingw-w64-x86-64-dev/copyright"

mkdir -p "$prefix/share/supervivedas"
echo "$manifest_text" > "$prefix/share/supervivedas/manifest.txt"
log "built $prefix in $((SECONDS - start)) s, $(awk '{ t += $1 } END { printf "%d", t / 1000 }' "$held") s of it holding the build lock"
echo "$prefix"
