#!/usr/bin/env bash
# Start-ups of the real game on fresh virtual X servers, as players would have
# them: a screenshot every second through the title and into a race, each one
# checked for the window and a picture in it; then SIGTERM, which must end the
# game with exit code 0 within 3 seconds. Some runs get their SIGTERM at a
# random moment of start-up instead.
#   startups.sh GAME XWIN OUTDIR [RUNS] [SECONDS]   (LD_LIBRARY_PATH picks the SDL)
# Prints one line per run and "N passed, M failed".
set -u
game=$1 xwin=$2 out=$3 runs=${4:-50} seconds=${5:-20}
mkdir -p "$out"
passed=0 failed=0
# Sanitizer builds run several times slower: they stretch the bounds below.
factor=${TEST_TIME_FACTOR:-1}

# One run on its own X server; prints why it failed, nothing when it held.
one_run() {
    local run=$1 early=$2 dir=$out/run$1
    mkdir -p "$dir"
    SDL_AUDIODRIVER=dummy "$game" > "$dir/game.log" 2>&1 & local pid=$!
    if [ "$early" -ge 0 ]; then
        sleep "0.$early"
    else
        "$xwin" wait Untitled 15000 > /dev/null || { echo "no window"; kill -9 $pid; return; }
        for s in $(seq "$seconds"); do
            sleep 1
            [ "$s" -eq 4 ] && xdotool key space   # the coin: on to the race
            import -window root "$dir/shot$s.png" 2> /dev/null || { echo "no screenshot at ${s}s"; kill -9 $pid; return; }
            "$xwin" wait Untitled 1 > /dev/null || { echo "window gone at ${s}s"; kill -9 $pid; return; }
            # The page's middle is never all black once the title shows (the
            # pictures load in the first second or two, longer on a busy machine).
            local mean
            mean=$(convert "$dir/shot$s.png" -gravity center -crop 400x300+0+0 -format '%[fx:int(1000*mean)]' info:)
            if [ "$s" -ge $((3 * factor)) ] || [ "$s" -eq "$seconds" ]; then
                [ "$mean" -gt 5 ] || { echo "black picture at ${s}s"; kill -9 $pid; return; }
            fi
        done
    fi
    kill -TERM $pid
    for _ in $(seq $((30 * factor))); do kill -0 $pid 2> /dev/null || break; sleep 0.1; done
    if kill -0 $pid 2> /dev/null; then echo "still running 3 s after SIGTERM"; kill -9 $pid; return; fi
    wait $pid; local rc=$?
    [ $rc -eq 0 ] || echo "exit code $rc after SIGTERM"
}

for run in $(seq "$runs"); do
    # Every fifth run is ended during its start-up, 0.1 to 0.9 s after exec (a
    # signal in the first milliseconds, before the program's own code runs,
    # still meets the system's default action).
    early=-1
    [ $((run % 5)) -eq 0 ] && early=$((1 + RANDOM % 9))
    why=$(xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash -c "$(declare -f one_run); game='$game' xwin='$xwin' out='$out' seconds=$seconds factor=$factor one_run $run $early")
    if [ -z "$why" ]; then passed=$((passed + 1)); echo "run $run: ok"; else failed=$((failed + 1)); echo "run $run: $why"; fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
