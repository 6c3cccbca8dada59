# A window manager's close request, and SIGTERM and SIGHUP alike, end the game with exit code 0
# in each of its waits: at once while it waits for a click on the title, for a key on a text
# screen, or in a pause, and when the current delay is over while a shot waits its 2.5 seconds
# (the transit and the result screens are closed in loss.sh and success.sh). The times are
# printed.
. "$(dirname "$0")/common.sh"
need_game_tools

# SIGHUP (a closed terminal) ends it as SIGTERM does, unless the test inherits it ignored (nohup).
hup=hup && (( 0x$(awk '/^SigIgn/ {print $2}' /proc/$$/status) & 1 )) && hup=
for how in close term $hup; do
  start_game
  expect --wait 30 title
  close_within 1000 "at the title" $how

  start_game
  expect --wait 30 title
  click "$id" 730 380
  expect --wait 20 textscreen Credits.txt
  close_within 1000 "on a text screen" $how

  start_game
  play_from_title
  press "$id" Pause
  sleep 0.5
  close_within 1000 "in a pause" $how

  start_game
  play_from_title
  at 300 250
  expect --wait 10 sight 300 250
  xdotool click 1 || fail "xdotool click"
  expect --wait 10 lights OGGGGGGG
  # The shot's first 2.5-second delay has begun.
  close_within 4500 "during a shot's wait" $how
done
