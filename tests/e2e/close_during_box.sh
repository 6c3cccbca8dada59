# Closing the game's window while an error box is open ends the program as soon as the box is
# answered: after Yes at the end of the next step, after No at once.
. "$(dirname "$0")/lib.sh"
need_display

for answer in y n; do
  start "$answer" env $sdl BRINE_PROBE=error "$BRINE_PROBE_EXE"
  game_window game "$pid"
  window_of box "$pid" '^Unhandled Error #5$'
  wait_focus "$box"
  "$BRINE_WM_CLOSE" "$game" || fail "could not send the close request"
  sleep 1
  running "$pid" || fail "ended before the box was answered"
  press "$box" "$answer"
  wait_exit "$pid" 20
  [ "$rc" = 0 ] || fail "exit code $rc after the close and $answer"
  out=$(cat "$work/$answer.out")
  if [ "$answer" = y ]; then
    [ "$out" = 'step 287 ran after error 1' ] || fail "after Yes: '$out'"
  else
    [ -z "$out" ] || fail "after No: '$out'"
  fi
done
