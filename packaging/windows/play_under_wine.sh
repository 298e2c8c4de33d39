#!/usr/bin/env bash
# The Windows game in Wine on an X server (run it under xvfb-run, 1024 by 768):
#   play_under_wine.sh GAME_DIR SETUP_EXE XWIN REFERENCE_PNG DAMAGED_DIR OUTDIR
# GAME_DIR: the zip's folder (exe, DLLs, pictures and sounds); XWIN: the native tools/xwin; DAMAGED_DIR:
# damaged pictures (tests/fuzz/regressions/images). Screenshots go to OUTDIR. Wine's environment
# (WINEPREFIX, HOME ...) comes from packaging/windows/test.sh.
set -u
game_dir=$1 setup=$2 xwin=$3 reference=$4 damaged=$5 out=$6
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
rm -rf "$out" && mkdir -p "$out"
fail() { echo "FAIL: $*" >&2; wineserver -k 2>/dev/null; exit 1; }
shot() { import -window root "$out/$1.png" 2>/dev/null; }
wait_gone() { for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done; return 1; }
export SDL_AUDIODRIVER=dummy

# Wine's desktop process on this display first: a game started while it comes up may find no window
# driver ("Couldn't create window", seen once).
wine cmd /c exit >/dev/null 2>&1
sleep 1

# A program for the Linux test scripts: Wine starting the exe of its folder.
run="$out/game"
cp -r "$game_dir" "$run"
printf '#!/bin/sh\nexec wine "%s/supervivedas.exe" "$@"\n' "$run" > "$run/supervivedas"
chmod +x "$run/supervivedas"

# Title screen against the reference, Q, the prompt, a key, exit code 0: the installed Linux
# game's check. Then the keys of a race: space, the arrows, the spinnaker, P, Q.
mkdir -p "$out/title"
"$root/packaging/play_installed.sh" "$run/supervivedas" "$out/title" "$reference" || fail "title screen"
"$root/tests/e2e/play_test.sh" "$run/supervivedas" "$xwin" "$out/play" || fail "keys"
cp "$out/title/title.png" "$out/title.png"; cp "$out/play/race2.png" "$out/race.png"

# Alt+Enter: from full-screen to the 800 by 600 window and back.
"$run/supervivedas" & pid=$!
"$xwin" wait Untitled 20000 >/dev/null || fail "no window"
sleep 3
read -r w h < <("$xwin" size Untitled)
xdotool key alt+Return; sleep 2
read -r w2 h2 < <("$xwin" size Untitled)
shot windowed
xdotool key alt+Return; sleep 2
read -r w3 h3 < <("$xwin" size Untitled)
echo "Alt+Enter: ${w}x${h} -> ${w2}x${h2} -> ${w3}x${h3}"
[ "${w2}x${h2}" = "800x600" ] && [ "$w3" = "$w" ] || fail "Alt+Enter did not switch between full-screen and the window"
# The window's close button (WM_DELETE_WINDOW, as a window manager sends it).
"$xwin" close Untitled || fail "cannot close"
wait_gone "$pid" || fail "still running after the close button"
wait "$pid"; rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc after the close button"
echo "close button: exit code 0"

# A damaged picture: the error box at once, No ends with 0.
bad="$out/damaged"
cp -r "$run" "$bad"
printf '#!/bin/sh\nexec wine "%s/supervivedas.exe" "$@"\n' "$bad" > "$bad/supervivedas"
cp "$(ls "$damaged"/*-crash.bmp | head -n 1)" "$bad/bulles.gif"
"$bad/supervivedas" 2>"$out/damaged.stderr" & pid=$!
"$xwin" wait "Unhandled Error #258" 20000 >/dev/null || fail "no error box for a damaged picture"
sleep 1
shot error_box
grep -q "Unable to load picture .*bulles.gif: damaged" "$out/damaged.stderr" || fail "stderr: $(cat "$out/damaged.stderr")"
# No window manager gives the box the focus: a click on its text does, then N (the No button's key).
xdotool mousemove --window "$(xdotool search --name '^Unhandled Error #258$' | head -n 1)" 12 12 click 1
sleep 0.3
xdotool key n
wait_gone "$pid" || fail "still running after No"
wait "$pid"; rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc after No"
echo "damaged picture: error box, No, exit code 0"

# Exit codes whole: the Linux shell sees only Wine's low byte (10001 as 17); a batch file sees all.
printf '@echo off\r\nstart /wait "" supervivedas.exe\r\necho exit code %%ERRORLEVEL%%\r\n' > "$run/launch.bat"
code() { (cd "$run" && env "$@" wine cmd /c launch.bat 2>/dev/null | tr -d '\r' | sed -n 's/^exit code //p'); }
c=$(code SDL_AUDIODRIVER=no-such-driver); echo "audio device cannot open: exit code $c"; [ "$c" = 10001 ] || fail "want 10001"
c=$(code SDL_VIDEODRIVER=no-such-driver); echo "SDL cannot start: exit code $c"; [ "$c" = 100 ] || fail "want 100"
(cd "$run" && SDL_AUDIODRIVER=no-such-driver wine supervivedas.exe 2>/dev/null); echo "(the same seen by the Linux shell: $?)"
rm "$run/launch.bat"

# The installer, silent, for all users and for the user alone: the files, the Start-menu entry and
# the uninstall entry; the game started from the entry's target; the uninstaller removes every file.
files=$(cd "$game_dir" && find . -type f | wc -l)
for mode in AllUsers CurrentUser; do
  wine "$setup" /S "/$mode"; wineserver -w
  if [ $mode = AllUsers ]; then
    dir="$(winepath -u 'C:\Program Files\Supervivedas')"; hive=HKLM
    menu="$(winepath -u 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs')"
  else
    dir="$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')\\Programs\\Supervivedas")"; hive=HKCU
    menu="$(winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')\\Microsoft\\Windows\\Start Menu\\Programs")"
  fi
  key="$hive\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Supervivedas"
  [ -d "$dir" ] || fail "$mode: nothing installed in $dir"
  n=$(find "$dir" -type f | wc -l)
  [ "$n" -eq $((files + 1)) ] || fail "$mode: $n files installed, want $files and the uninstaller"
  [ -e "$menu/Supervivedas.lnk" ] || fail "$mode: no Start-menu entry in $menu"
  wine reg query "$key" /v UninstallString 2>/dev/null | grep -q 'uninstall.exe' || fail "$mode: no uninstall entry"
  wine start /unix "$menu/Supervivedas.lnk" & 
  "$xwin" wait Untitled 20000 >/dev/null || fail "$mode: the Start-menu entry does not start the game"
  sleep 3
  shot "installed_$mode"
  "$xwin" close Untitled; wineserver -w
  echo "$mode: $n files in $dir, Start-menu entry, uninstall entry, the game starts from the entry"
  wine "$dir/uninstall.exe" /S; wineserver -w
  [ ! -e "$dir" ] || fail "$mode: left behind: $(find "$dir")"
  [ ! -e "$menu/Supervivedas.lnk" ] || fail "$mode: the Start-menu entry is left"
  ! wine reg query "$key" >/dev/null 2>&1 || fail "$mode: the uninstall entry is left"
  echo "$mode: uninstalled, nothing left"
done
echo "Wine checks passed; screenshots in $out"
