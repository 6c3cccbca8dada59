# The game ending itself (its quit key, Program_End) ends the process with exit code 0, and no
# step runs after it.
. "$(dirname "$0")/lib.sh"
need_display

start quit env $sdl BRINE_PROBE=quit "$BRINE_PROBE_EXE"
wait_exit "$pid" 20
[ "$rc" = 0 ] || fail "exit code $rc after Program_End"
[ "$(cat "$work/quit.out")" = ending ] || fail "unexpected output: $(cat "$work/quit.out")"
