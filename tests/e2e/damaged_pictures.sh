#!/usr/bin/env bash
# The real game with one of its pictures damaged, as a bad download or a full
# disk would leave it: each damaged file (in place of the foam the title screen
# draws first) must bring the "Invalid handle" report at once, not hang or
# crash the game, and N must end the game with exit code 0. Prints how long
# each took from exec to the report.
#   damaged_pictures.sh GAME XWIN OUTDIR DAMAGED_FOLDER
set -u
game=$1 xwin=$2 out=$3 damaged=$4
mkdir -p "$out"
fail() { echo "FAIL: $*"; [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null; exit 1; }

folder="$out/game"
rm -rf "$folder" && mkdir -p "$folder"
source_folder=$(dirname "$game")
cp "$game" "$folder/"
for file in "$source_folder"/*.gif "$source_folder"/*.bmp "$source_folder"/*.wav "$source_folder"/*.OGG; do
    ln -s "$file" "$folder/"
done

ms() { echo $(( $(date +%s%N) / 1000000 )); }
tried=0
for picture in "$damaged"/*-hang.gif "$damaged"/*-overread.gif "$damaged"/*-megapixels.* "$damaged"/*-crash.bmp; do
    [ -e "$picture" ] || fail "no damaged picture like $picture"
    rm -f "$folder/bulles.gif" && cp "$picture" "$folder/bulles.gif"
    start=$(ms)
    SDL_AUDIODRIVER=dummy "$folder/supervivedas" 2> "$out/stderr.txt" & pid=$!
    "$xwin" wait "Unhandled Error #258" 10000 >/dev/null || fail "$(basename "$picture"): no report within 10 s"
    echo "$(basename "$picture"): report after $(( $(ms) - start )) ms"
    grep -q "Unable to load picture .*bulles.gif: damaged" "$out/stderr.txt" ||
        fail "$(basename "$picture"): stderr does not name the file: $(cat "$out/stderr.txt")"
    sleep 0.2
    xdotool key n
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && fail "$(basename "$picture"): still running 5 s after No"
    wait "$pid"; rc=$?
    [ $rc -eq 0 ] || fail "$(basename "$picture"): exit code $rc after No"
    tried=$((tried + 1))
done
pid=
echo "damaged pictures: $tried reported, each ended with exit code 0"
