# A window manager's close request ends the program with exit code 0, in about 100 ms (one event
# pass, the step the game thread is in, the shutdown polls). The limit is loose for a loaded
# machine and for sanitizer builds, whose leak check at exit alone can take seconds; the
# measured times are printed.
. "$(dirname "$0")/lib.sh"
need_display

times=()
for run in 1 2 3; do
  start "game$run" env $sdl BRINE_PROBE=idle "$BRINE_PROBE_EXE"
  game_window id "$pid"
  sleep 0.3
  t0=$EPOCHREALTIME
  "$BRINE_WM_CLOSE" "$id" || fail "could not send the close request"
  wait_exit "$pid" 20
  ms=$(elapsed_ms "$t0")
  [ "$rc" = 0 ] || fail "exit code $rc after a close"
  [ "$ms" -lt 5000 ] || fail "the close took $ms ms"
  times+=("$ms")
done
echo "close request to exit: ${times[*]} ms"
