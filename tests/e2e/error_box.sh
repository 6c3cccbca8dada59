# A runtime error raised in a step opens the message box at the end of that step: titled
# "Unhandled Error #5", a light grey dialog kept above the game, centred, with the keyboard.
# Yes goes on with the next step; No ends the program with exit code 0. Keys and the mouse
# both answer.
. "$(dirname "$0")/lib.sh"
need_display

title='^Unhandled Error #5$'
start error env $sdl BRINE_PROBE=error "$BRINE_PROBE_EXE"
window_of box "$pid" "$title"
title_is "$box" 'Unhandled Error #5'
props=$(xprop -id "$box" _NET_WM_WINDOW_TYPE _NET_WM_STATE WM_PROTOCOLS)
grep -q '_NET_WM_WINDOW_TYPE_DIALOG' <<<"$props" || fail "not a dialog: $props"
grep -q '_NET_WM_STATE_ABOVE' <<<"$props" || fail "not kept above: $props"
grep -q 'WM_DELETE_WINDOW' <<<"$props" || fail "no close request taken: $props"

wait_focus "$box"
geometry "$box"
read -r sw sh < <(xdotool getdisplaygeometry)
dx=$((gx + gw / 2 - sw / 2)) dy=$((gy + gh / 2 - sh / 2))
[ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ] || fail "box at ($gx, $gy) $gw x $gh is not centred on $sw x $sh"

# Drawn: mostly the light grey face, with dark text and button edges on it.
import -silent -window "$box" "$work/box.png" || fail "no picture of the box"
colours=$(convert "$work/box.png" -format %c histogram:info:-)
face=$(awk '/#D8D8D8/ { print $1 + 0 }' <<<"$colours")
[ "${face:-0}" -gt $((gw * gh / 2)) ] || fail "the face is not light grey: $colours"
grep -q '#000000' <<<"$colours" || fail "nothing dark drawn on the box: $colours"

# Y goes on with the step after the failing one, and the game keeps stepping.
press "$box" y
wait_line "$work/error.out" '^step 287 ran after error 1$'

# The mouse on Yes; the next error opens a new box.
window_of box "$pid" "$title"
wait_focus "$box"
click_box_button "$box" yes
wait_line "$work/error.out" '^step 287 ran after error 2$'

# Enter presses the default button, Yes.
window_of box "$pid" "$title"
press "$box" Return
wait_line "$work/error.out" '^step 287 ran after error 3$'

# The mouse on No ends the program.
window_of box "$pid" "$title"
wait_focus "$box"
click_box_button "$box" no
wait_exit "$pid" 20
[ "$rc" = 0 ] || fail "exit code $rc after No"
! grep -q 'error 4' "$work/error.out" || fail "a step ran after No"

# Every other way of saying No: the N key, Tab to No and Enter, and N after Escape and the
# box's close button, which answer nothing: the box stays and no step runs.
for way in n Tab+Return Escape+close+n; do
  start "no-$way" env $sdl BRINE_PROBE=error "$BRINE_PROBE_EXE"
  window_of box "$pid" "$title"
  case $way in
    Escape+close+n)
      press "$box" Escape && "$BRINE_WM_CLOSE" "$box" && sleep 1
      xdotool search --pid "$pid" --name "$title" >/dev/null || fail "Escape or the close button answered"
      press "$box" n ;;
    Tab+Return) press "$box" Tab && xdotool key Return ;;
    *) press "$box" "$way" ;;
  esac
  wait_exit "$pid" 20
  [ "$rc" = 0 ] || fail "exit code $rc after No by $way"
  [ ! -s "$work/no-$way.out" ] || fail "a step ran after No by $way"
done
