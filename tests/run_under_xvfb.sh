#!/bin/sh
# run_under_xvfb.sh PROGRAM ARGS...: runs PROGRAM on a fresh 1024x768 virtual X
# server. Server numbers start from one of our own so that runs side by side do
# not pick the same free number; a program that could not reach its server
# (exit code 100, SDL cannot start) gets two more tries on other numbers.
# -noreset: without it the server resets when a probe client disconnects, and a
# program connecting at that moment cannot open the display.
rc=100
for try in 0 1 2; do
    xvfb-run -n $((200 + ($$ + 37 * try) % 600)) -s "-screen 0 1024x768x24 -noreset" "$@"
    rc=$?
    [ "$rc" -ne 100 ] && break
done
exit "$rc"
