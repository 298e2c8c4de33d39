#!/usr/bin/env bash
# The real game on the screens players have, each a fresh virtual X server of
# that size: full-screen in every look must show the page where the look puts
# it (within a pixel) on black, and a window must open at the size it should.
# The rectangle is what ImageMagick's trim finds around the race's blue sea.
#   screens_test.sh GAME XWIN OUTDIR   (LD_LIBRARY_PATH picks the SDL)
set -u
game=$1 xwin=$2 out=$3
mkdir -p "$out"
factor=${TEST_TIME_FACTOR:-1}
failures=0

# One case on its own server: prints what it found, or why it found nothing.
one_case() {
    local name=$1; shift
    SDL_AUDIODRIVER=dummy "$game" "$@" > "$out/$name.log" 2>&1 & local pid=$!
    "$xwin" wait Untitled 15000 > /dev/null || { echo "no window"; kill -9 $pid; return; }
    sleep $((2 * factor)); xdotool key space; sleep $((4 * factor))   # into the race
    "$xwin" size Untitled | tr ' ' x | sed 's/^/window /'
    import -window root "$out/$name.png" 2> /dev/null || { echo "no screenshot"; kill -9 $pid; return; }
    convert "$out/$name.png" -format 'corner %[pixel:p{0,0}] picture %@\n' info:
    kill -TERM $pid; wait $pid
}

# check NAME SCREEN WANT_WINDOW WANT_PICTURE [GAME OPTIONS...]
check() {
    local name=$1 screen=$2 want_window=$3 want=$4; shift 4
    local found
    found=$(xvfb-run -a -s "-screen 0 ${screen}x24 -noreset" bash -c "$(declare -f one_case); game='$game' xwin='$xwin' out='$out' factor=$factor one_case $name $*")
    local window picture corner
    window=$(sed -n 's/^window //p' <<< "$found")
    picture=$(sed -n 's/.* picture //p' <<< "$found")
    corner=$(sed -n 's/^corner \([^ ]*\) .*/\1/p' <<< "$found")
    local ok=1
    [ "$window" = "$want_window" ] || ok=0
    # Within one pixel in size and place.
    read -r w h x y < <(tr 'x+' '  ' <<< "$picture")
    read -r ww wh wx wy < <(tr 'x+' '  ' <<< "$want")
    [ "${want#*+}" = "anywhere" ] && wx=0 wy=0
    if [ "$want" = "$screen+0+0" ]; then
        # The whole screen: nothing to trim, the corner is the picture's.
        [ -n "$corner" ] && [ "$corner" != "black" ] && [ "$corner" != "srgb(0,0,0)" ] || ok=0
    elif [ "${want#*+}" = "anywhere" ]; then
        # A window: where it opens is the library's and the window manager's choice.
        [ "${w}x$h" = "${want%%+*}" ] || ok=0
    else
        for d in $((w - ww)) $((h - wh)) $((x - wx)) $((y - wy)); do [ "${d#-}" -le 1 ] 2> /dev/null || ok=0; done
        # Borders black where the picture leaves them.
        if [ "$wx" -gt 0 ] || [ "$wy" -gt 0 ]; then [ "$corner" = "black" ] || [ "$corner" = "srgb(0,0,0)" ] || ok=0; fi
    fi
    if [ $ok -eq 1 ]; then echo "ok   $name: window $window, picture $picture"
    else echo "FAIL $name: window '$window' (want $want_window), picture '$picture' (want $want), corner '$corner'"
         echo "$found" | sed 's/^/     /'; failures=$((failures + 1)); fi
}

check sharp_1080p 1920x1080 1920x1080 1440x1080+240+0 --scale=sharp
check sharp_1440p 2560x1440 2560x1440 1920x1440+320+0 --scale=sharp
check sharp_4k 3840x2160 3840x2160 2880x2160+480+0 --scale=sharp
check sharp_1280x800 1280x800 1280x800 1066x800+107+0 --scale=sharp
check pixel_1080p 1920x1080 1920x1080 800x600+560+240 --scale=pixel
check pixel_4k 3840x2160 3840x2160 2400x1800+720+180 --scale=pixel
check stretch_1280x800 1280x800 1280x800 1280x800+0+0 --scale=stretch
check original_1024x768 1024x768 1024x768 800x600+112+84 --scale=original
check window_4k 3840x2160 2400x1800 2400x1800+anywhere --window --scale=sharp
echo "$failures failure(s)"
[ $failures -eq 0 ]
