# A critical error (300 to 313) shows a box with only OK; Y and N do not answer it, and once it
# is answered the program ends with exit code 0.
. "$(dirname "$0")/lib.sh"
need_display

start critical env $sdl BRINE_PROBE=critical "$BRINE_PROBE_EXE"
window_of box "$pid" '^Critical Error #300$'
title_is "$box" 'Critical Error #300'
press "$box" y
press "$box" n
sleep 0.5
running "$pid" || fail "Y or N answered an OK box"
press "$box" Return
wait_exit "$pid" 20
[ "$rc" = 0 ] || fail "exit code $rc after a critical error"
[ ! -s "$work/critical.out" ] || fail "the game went on: $(cat "$work/critical.out")"
