# Fatal errors show their box at once and end the process with exit code 0 when it is answered:
# a runtime table out of memory (502), an integer division by zero on the game thread, and an
# allocation of the game that throws ("Out of memory", error 257).
. "$(dirname "$0")/lib.sh"
need_display

start fatal env $sdl BRINE_PROBE=fatal "$BRINE_PROBE_EXE"
window_of box "$pid" '^Critical Error #2$'
title_is "$box" 'Critical Error #2'
press "$box" Escape
wait_exit "$pid" 20
[ "$rc" = 0 ] || fail "exit code $rc after error 502"
[ ! -s "$work/fatal.out" ] || fail "the game went on: $(cat "$work/fatal.out")"

start divide env $sdl BRINE_PROBE=divide "$BRINE_PROBE_EXE"
window_of box "$pid" '^Critical Error$'
title_is "$box" 'Critical Error'
wait_focus "$box"
click_box_button "$box" ok
wait_exit "$pid" 20
[ "$rc" = 0 ] || fail "exit code $rc after a division by zero"
[ ! -s "$work/divide.out" ] || fail "the game went on: $(cat "$work/divide.out")"

start throw env $sdl BRINE_PROBE=throw "$BRINE_PROBE_EXE"
window_of box "$pid" '^Critical Error #1$' && press "$box" Return && wait_exit "$pid" 20
[ "$rc" = 0 ] || fail "exit code $rc after a failed allocation"
