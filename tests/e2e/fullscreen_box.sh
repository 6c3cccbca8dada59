# An error box raised in full screen can be answered: full screen holds the keyboard and the
# pointer, so the window leaves it for the box and goes back to it after Yes.
. "$(dirname "$0")/lib.sh"
need_display

start fs env $sdl BRINE_PROBE=fullscreen_error "$BRINE_PROBE_EXE"
window_of win "$pid" '^Untitled$'
for ((i = 0; i < 400; i++)); do
  geometry "$win"
  [ "$gw" = 800 ] && break
  sleep 0.05
done
[ "$gw" = 800 ] || fail "the page never became 800 x 600"
xdotool windowfocus --sync "$win" key alt+Return || fail "xdotool alt+Return"
wait_line "$work/fs.out" '^full screen [01]$'
grep -q '^full screen 1$' "$work/fs.out" || exit 77  # no full-screen mode for 800 x 600 here

window_of box "$pid" '^Unhandled Error #5$'
press "$box" y
wait_line "$work/fs.out" '^after the box: full screen 1$'
"$BRINE_WM_CLOSE" "$win"
wait_exit "$pid" 20
[ "$rc" = 0 ] || fail "exit code $rc"
echo "answered a box raised in full screen and returned to full screen"
