# With no display the error box is written to standard error and answered No (OK for a
# critical box), so the program still ends cleanly with exit code 0.
. "$(dirname "$0")/lib.sh"

run() {  # run NAME PROBE
  env -u DISPLAY $sdl SDL_VIDEODRIVER=dummy BRINE_PROBE="$2" timeout 60 "$BRINE_PROBE_EXE" >"$work/$1.out" 2>"$work/$1.err"
  rc=$?
}

run error error
[ "$rc" = 0 ] || fail "exit code $rc after an error without a display"
expected=$'[Unhandled Error #5]\nLine:286\nIllegal function call\nContinue?\n(no box could be shown: answered No)'
[ "$(cat "$work/error.err")" = "$expected" ] || fail "standard error was: $(cat "$work/error.err")"
[ ! -s "$work/error.out" ] || fail "a step ran after No"

run critical critical
[ "$rc" = 0 ] || fail "exit code $rc after a critical error without a display"
expected=$'[Critical Error #300]\nLine:286\nMemory region out of range\n(no box could be shown: answered OK)'
[ "$(cat "$work/critical.err")" = "$expected" ] || fail "standard error was: $(cat "$work/critical.err")"
