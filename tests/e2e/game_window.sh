# Started, the program shows a 640 x 400 black window captioned "Untitled" until its game draws.
. "$(dirname "$0")/lib.sh"
need_display

start game env $sdl BRINE_PROBE=idle "$BRINE_PROBE_EXE"
game_window id "$pid"
title_is "$id" Untitled
[ "$gw" = 640 ] && [ "$gh" = 400 ] || fail "window is $gw x $gh, not 640 x 400"

# Give the main loop a few presentation passes, then look at the client area.
sleep 0.5
import -silent -window root "$work/screen.png" || fail "no screenshot"
max=$(convert "$work/screen.png" -crop "640x400+$gx+$gy" +repage -format '%[max]' info:) || fail "no pixels"
[ "$max" = 0 ] || fail "client area is not black (brightest channel $max)"

running "$pid" || fail "the game ended by itself"
"$BRINE_WM_CLOSE" "$id"
wait_exit "$pid" 20
[ "$rc" = 0 ] || fail "exit code $rc after a close"
echo "640 x 400 black window titled Untitled at ($gx, $gy)"
