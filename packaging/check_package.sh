#!/usr/bin/env bash
# The Debian package from end to end; CI runs it after the test suite.
#   packaging/check_package.sh [BUILD_FOLDER]        (default: build-deb)
# A plain build with GoogleTest hidden, the .deb (its fields, its files, the
# dependencies found for its libraries), lintian, the desktop entry and the
# AppStream data, the SVG icon against the PNG, the program copied alone naming
# its missing files; then the package installed with dpkg, the installed game
# started from another folder under Xvfb (title screen, Q and a key, exit code
# 0), the package purged, and nothing of it left behind.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source_dir=$(dirname "$here")
build=$(realpath -m "${1:-$source_dir/build-deb}")
work=$build/package-check
program_dir=usr/lib/games/supervivedas

fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "--- $*"; }
# shellcheck source=packaging/common.sh
. "$here/common.sh"
rm -rf "$work"
mkdir -p "$work"

step "plain build without the test tools"
cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
  >"$work/configure.log"
grep -q -- "-- Tests: off" "$work/configure.log" || fail "tests were set up without GoogleTest"
cmake --build "$build" -j "$(nproc)" >"$work/build.log" || { tail -40 "$work/build.log"; fail "the build"; }

step "package"
rm -f "$build"/supervivedas_*.deb
(cd "$build" && cpack -G DEB >"$work/cpack.log") || { cat "$work/cpack.log"; fail "cpack"; }
debs=("$build"/supervivedas_*_"$(dpkg --print-architecture)".deb)
deb=${debs[0]}
[ -f "$deb" ] || fail "no supervivedas_<version>_<arch>.deb in $build"
field() { dpkg-deb --field "$deb" "$1"; }
version=$(field Version)
[ "$(basename "$deb")" = "supervivedas_${version}_$(field Architecture).deb" ] || fail "file name $deb"
[ "$(field Package)" = supervivedas ] || fail "package name"
[ "$(field Section)" = games ] || fail "section $(field Section)"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@]+@[^\>]+\>$ ]] || fail "maintainer $(field Maintainer)"
[ "$(field Description | wc -l)" -ge 3 ] || fail "no long description"
grep -q "<release version=\"$version\"" "$here/supervivedas.metainfo.xml" || fail "metainfo release is not $version"
dpkg-deb --contents "$deb" >"$work/contents"
dpkg-deb --extract "$deb" "$work/root"

step "files"
{
  echo "./usr/games/supervivedas"
  echo "./$program_dir/supervivedas"
  grep -o '"[^"]*\.\(gif\|bmp\|wav\|OGG\)"' "$source_dir/assets/asset_list.h" | tr -d '"' | sed "s|^|./$program_dir/|"
  for size in 32 64 128 256 512; do echo "./usr/share/icons/hicolor/${size}x$size/apps/supervivedas.png"; done
  echo "./usr/share/icons/hicolor/scalable/apps/supervivedas.svg"
  echo "./usr/share/applications/supervivedas.desktop"
  echo "./usr/share/metainfo/supervivedas.metainfo.xml"
  echo "./usr/share/man/man6/supervivedas.6.gz"
  echo "./usr/share/doc/supervivedas/copyright"
  echo "./usr/share/doc/supervivedas/changelog.gz"
} | sort >"$work/expected"
awk '$1 !~ /^d/ {print $6}' "$work/contents" | sort >"$work/packaged"
[ "$(wc -l <"$work/expected")" -eq 47 ] || fail "the game's file list has changed: $(wc -l <"$work/expected") files"
diff "$work/expected" "$work/packaged" || fail "the packaged files (>) differ from the game's (<)"
grep -q '^l.* \./usr/games/supervivedas -> \.\./lib/games/supervivedas/supervivedas$' "$work/contents" ||
  fail "usr/games/supervivedas is not a relative link to the program"

step "dependencies from the libraries"
needed=$(objdump -p "$work/root/$program_dir/supervivedas" | awk '$1 == "NEEDED" && $2 ~ /SDL/ {print $2}')
[ "$(echo "$needed" | wc -l)" -ge 4 ] || fail "the program links fewer SDL libraries than expected: $needed"
for library in $needed; do
  path=$(ldconfig -p | awk -v l="$library" '$1 == l && !found {found = $NF} END {print found}')
  owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "$(realpath "$path")")
  owner=${owner%%:*}
  [[ ", $(field Depends)," =~ ,\ $owner[\ ,] ]] || fail "Depends lacks $owner (for $library): $(field Depends)"
  echo "$library: $owner"
done

step "lintian"
rc=0
lintian --fail-on error "$deb" >"$work/lintian" 2>&1 || rc=$?
sed -i '/^running with root privileges/d' "$work/lintian"
cat "$work/lintian"
[ "$rc" -eq 0 ] || fail "lintian found errors"
echo "lintian: $(grep -c '^E:' "$work/lintian" || true) errors, $(grep -c '^W:' "$work/lintian" || true) warnings"

step "desktop entry, AppStream data, icons"
desktop-file-validate "$work/root/usr/share/applications/supervivedas.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$work/root/usr/share/metainfo/supervivedas.metainfo.xml" ||
  fail "appstreamcli validate"
grep -qx "Exec=/usr/games/supervivedas" "$work/root/usr/share/applications/supervivedas.desktop" ||
  fail "the desktop entry does not start /usr/games/supervivedas"
for size in 32 64 128 256 512; do
  got=$(identify -format '%wx%h' "$work/root/usr/share/icons/hicolor/${size}x$size/apps/supervivedas.png")
  [ "$got" = "${size}x$size" ] || fail "the ${size}x$size icon is $got"
done
rsvg-convert -w 512 -h 512 -b white -o "$work/svg.png" "$work/root/usr/share/icons/hicolor/scalable/apps/supervivedas.svg"
differ=$(compare -metric AE -fuzz 25% "$work/svg.png" "$work/root/usr/share/icons/hicolor/512x512/apps/supervivedas.png" \
  null: 2>&1 || true)
[ "$differ" -lt 2600 ] 2>/dev/null || fail "the SVG icon drawn at 512 pixels differs from the PNG in $differ pixels"

step "the program alone names its missing files"
mkdir "$work/lone"
cp "$work/root/$program_dir/supervivedas" "$work/lone/"
rc=0
(cd / && env -u DISPLAY SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 30 "$work/lone/supervivedas" \
  >/dev/null 2>"$work/lone.err") || rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc without the files"
grep -qx "Unable to load picture $work/lone/voilier1.gif: not found" "$work/lone.err" || fail "no line for voilier1.gif"
[ "$(grep -c '^Unable to load picture .*: not found$' "$work/lone.err")" -eq 28 ] || fail "not one line per picture"
grep -qx "Invalid handle" "$work/lone.err" || fail "no runtime error report"

step "install, play the title screen, quit"
trap 'as_root dpkg --purge supervivedas >/dev/null 2>&1 || true' EXIT
as_root dpkg -i "$deb" >"$work/dpkg-install.log" || { cat "$work/dpkg-install.log"; fail "dpkg -i"; }
while read -r file; do [ -e "${file#.}" ] || fail "${file#.} not installed"; done <"$work/packaged"
mkdir -p "$work/play"
(cd "$work/play" && xvfb-run -a -s "-screen 0 1024x768x24 -noreset" \
  "$here/play_installed.sh" /usr/games/supervivedas "$work/play" "$here/title_screen.png") || fail "the installed game"

step "purge"
as_root dpkg --purge supervivedas >"$work/dpkg-purge.log"
trap - EXIT
status=$(dpkg-query -W -f='${Status}' supervivedas 2>/dev/null || true)
[[ "$status" != *installed* ]] || fail "still installed: $status"
left=""
while read -r file; do
  if [ -e "${file#.}" ] || [ -L "${file#.}" ]; then left+=" ${file#.}"; fi
done <"$work/packaged"
[ -z "$left" ] || fail "left behind:$left"
[ ! -e "/$program_dir" ] && [ ! -e /usr/share/doc/supervivedas ] || fail "folders left behind"
echo "package check passed: $(basename "$deb")"
