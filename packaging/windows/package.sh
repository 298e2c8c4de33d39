#!/usr/bin/env bash
# Makes the Windows zip and installer from a cross-build:
#   packaging/windows/package.sh BUILD_DIR PREFIX [OUT_DIR]
# BUILD_DIR: the cross-build (game/supervivedas.exe and the pictures and sounds beside it, from
# cmake/mingw-w64-x86_64.cmake); PREFIX: the library prefix of build_libraries.sh. Writes
# supervivedas-<version>-win64.zip and supervivedas-<version>-setup.exe into OUT_DIR (BUILD_DIR by
# default). The zip holds one folder, supervivedas-<version>, with the exe, the DLLs it needs (followed
# through their imports), the 34 pictures and sounds, README.txt, LICENSE.txt and licenses\ with the
# licence of each library shipped and the list of their sources. The installer installs those files.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$(cd "${1:?usage: package.sh BUILD_DIR PREFIX [OUT_DIR]}" && pwd)"
prefix="$(cd "${2:?}" && pwd)"
out="$(mkdir -p "${3:-$build}" && cd "${3:-$build}" && pwd)"
host=x86_64-w64-mingw32
log() { echo "package: $*" >&2; }

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
[ -n "$version" ] || { log "no project version in $build/CMakeCache.txt"; exit 1; }
icon="$(sed -n 's/^SUPERVIVEDAS_NATIVE_BUILD:PATH=//p' "$build/CMakeCache.txt")/icons/supervivedas.ico"
name="supervivedas-$version"
stage="$build/package/$name"
rm -rf "$build/package"
mkdir -p "$stage/licenses"

# Debug information stays in the build; the shipped files are stripped.
"$host-strip" -o "$stage/supervivedas.exe" "$build/game/supervivedas.exe"
assets=("$build"/game/*.gif "$build"/game/*.bmp "$build"/game/*.wav "$build"/game/*.OGG)
[ "${#assets[@]}" -eq 34 ] || { log "expected 34 pictures and sounds in $build/game, found ${#assets[@]}"; exit 1; }
cp "${assets[@]}" "$stage/"

# Every DLL the exe needs that Windows does not bring, followed through the DLLs' own imports.
imports() { "$host-objdump" -p "$1" | sed -n 's/^\tDLL Name: //p'; }
declare -A seen=()
queue=("$stage/supervivedas.exe") dlls=()
while [ "${#queue[@]}" -gt 0 ]; do
  file="${queue[0]}"; queue=("${queue[@]:1}")
  for dll in $(imports "$file"); do
    [ -n "${seen[${dll,,}]:-}" ] && continue
    seen[${dll,,}]=1
    [ -e "$prefix/bin/$dll" ] || continue  # a DLL of Windows
    "$host-strip" --strip-unneeded -o "$stage/$dll" "$prefix/bin/$dll"
    dlls+=("$dll")
    queue+=("$stage/$dll")
  done
done

# Licences: the game's, and each shipped library's from the prefix.
declare -A licence_of=([SDL.dll]=SDL [SDL_image.dll]=SDL_image [SDL_mixer.dll]=SDL_mixer [SDL_ttf.dll]=SDL_ttf
  [libfreetype-6.dll]=freetype [libogg-0.dll]=libogg [libvorbis-0.dll]=libvorbis [libvorbisfile-3.dll]=libvorbis
  [libwinpthread-1.dll]=winpthreads)
for dll in "${dlls[@]}"; do
  lib="${licence_of[$dll]:-}"
  [ -n "$lib" ] || { log "no licence known for $dll"; exit 1; }
  [ -d "$stage/licenses/$lib" ] || cp -r "$prefix/share/licenses/$lib" "$stage/licenses/"
done
# libgcc and libstdc++ are linked into the exe (GCC's runtime library exception).
mkdir -p "$stage/licenses/gcc-runtime"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licenses/gcc-runtime/copyright"
cp "$prefix/share/supervivedas/manifest.txt" "$stage/licenses/SOURCES.txt"
cp "$root/LICENSE" "$stage/LICENSE.txt"
sed "s/@VERSION@/$version/g" "$here/README.txt" > "$stage/README.txt"
# Notepad of old reads CR LF only.
find "$stage" -type f \( -name '*.txt' -o -name 'COPYING' -o -name 'copyright' -o -name '*.TXT' \) \
  -exec sed -i 's/\r*$/\r/' {} +

# The same files give the same zip and installer: fixed times and order.
epoch="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 0)}"
find "$stage" -exec touch -h -d "@$epoch" {} +
zip_file="$out/$name-win64.zip"
rm -f "$zip_file"
(cd "$build/package" && find "$name" | LC_ALL=C sort | TZ=UTC zip -q -X -9 -@ "$zip_file")

# The installer's lists: each folder's files, then the uninstaller's deletes, folders deepest first.
files="$build/package/install_files.nsh" unfiles="$build/package/uninstall_files.nsh"
: > "$files"; : > "$unfiles"
while IFS= read -r dir; do
  rel="${dir#"$stage"}"; rel="${rel#/}"; win="${rel//\//\\}"
  echo "SetOutPath \"\$INSTDIR${win:+\\$win}\"" >> "$files"
  while IFS= read -r f; do
    echo "File \"$f\"" >> "$files"
    echo "Delete \"\$INSTDIR${win:+\\$win}\\$(basename "$f")\"" >> "$unfiles"
  done < <(find "$dir" -maxdepth 1 -type f | LC_ALL=C sort)
done < <(find "$stage" -type d | LC_ALL=C sort)
while IFS= read -r dir; do
  rel="${dir#"$stage"/}"
  echo "RMDir \"\$INSTDIR\\${rel//\//\\}\"" >> "$unfiles"
done < <(find "$stage" -mindepth 1 -type d | LC_ALL=C sort -r)
echo 'SetOutPath "$INSTDIR"' >> "$files"

setup="$out/$name-setup.exe"
size_kb=$(( $(du -sk --apparent-size "$stage" | cut -f1) ))
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DICON="$icon" -DOUTFILE="$setup" \
  -DFILES="$files" -DUNFILES="$unfiles" -DSIZE_KB="$size_kb" "$here/installer.nsi" >&2
touch -d "@$epoch" "$setup"

log "$zip_file: $(stat -c %s "$zip_file") bytes, $(unzip -Z1 "$zip_file" | grep -vc '/$') files"
log "$setup: $(stat -c %s "$setup") bytes"
log "DLLs: ${dlls[*]}"
echo "$zip_file"
echo "$setup"
