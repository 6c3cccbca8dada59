# common.sh: what the game's end-to-end tests share, on top of the runtime's tests/e2e/lib.sh.
# They run the real game (BRINE_GAME, its pictures beside it) in the X server named by DISPLAY,
# play it with xdotool like a user, and read its window with look.py. Every wait has a limit;
# the program is killed when the test ends, whatever happens.
#
# Beyond lib.sh's variables the build gives BRINE_PYTHON (an interpreter with PIL and NumPy) and
# BRINE_POINTER_SHOWN (asks the server whether the pointer is visible; empty without XFixes) and
# BRINE_SCREEN_SAVER (watches whether the screensaver comes on; empty without libXss).
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../e2e/lib.sh"

# The best scores the games of a test keep, in the test's own folder, never the user's.
export XDG_DATA_HOME=$work/data

need_game_tools() {
  need_display
  if ! "${BRINE_PYTHON:-python3}" -c 'import numpy; from PIL import ImageGrab; ImageGrab.grab(bbox=(0, 0, 1, 1))' 2>/dev/null; then
    echo "no python3 with PIL, NumPy and a screen grab: skipped"
    exit 77
  fi
}

# start_game [ARGS...]: runs the game (with SDL_AUDIODRIVER=$audio when set) and waits for its
# window titled "Brinemark", 800 x 600 times $scale, with its frame where the game's first step
# puts it, at (100, 1) of the desktop (a window made later, at a scale, is first where the
# window manager puts it); sets $pid, $id and the client area's $gx $gy.
start_game() {
  local tries w=$((800 * ${scale:-1})) h=$((600 * ${scale:-1})) left top
  start game env $sdl ${audio:+SDL_AUDIODRIVER=$audio} "$BRINE_GAME" "$@"
  window_of id "$pid" '^Brinemark$'
  for ((tries = 0; tries < 400; tries++)); do
    geometry "$id"
    read -r left _ top _ < <(xprop -id "$id" _NET_FRAME_EXTENTS | sed -n 's/.*= //; s/,/ /gp')
    [ "$gw $gh $((gx - ${left:-0})) $((gy - ${top:-0}))" = "$w $h 100 1" ] && return 0
    sleep 0.05
  done
  fail "the window is $gw x $gh with its frame at $((gx - ${left:-0})), $((gy - ${top:-0})), not $w x $h at 100, 1"
}

# own_display W H [bare]: a private X server of W x H (with openbox unless "bare") for the rest of
# the test; the one before it is ended.
own_display() {
  [ -z "${own_x:-}" ] || kill $own_x ${own_wm:-} 2>/dev/null
  exec 4< <(exec Xvfb -displayfd 1 -screen 0 "${1}x${2}x24" -nolisten tcp -noreset 2>/dev/null)
  own_x=$! own_wm=""
  started+=("$own_x")
  local number
  read -r -u 4 number || fail "no X server of $1 x $2"
  export DISPLAY=":$number"
  if [ "${3:-}" != bare ]; then
    openbox >/dev/null 2>&1 &
    own_wm=$!
    started+=("$own_wm")
  fi
  sleep 0.5
}

# fill SW SH: where full screen shows the page on a SW x SH screen (as large as fits, its aspect
# kept, centred): sets $ox $oy and the shown size $tw $th.
fill() {
  if (($1 * 600 <= $2 * 800)); then tw=$1 th=$((600 * $1 / 800)); else tw=$((800 * $2 / 600)) th=$2; fi
  ox=$((($1 - tw) / 2)) oy=$((($2 - th) / 2))
}

# at_full X Y: the pointer to the screen pixel in the middle of page pixel (X, Y) in full screen.
at_full() { xdotool mousemove $((ox + (2 * $1 + 1) * tw / 1600)) $((oy + (2 * $2 + 1) * th / 1200)) || fail "xdotool mousemove"; }

# waits_cool WHAT: waiting three seconds, the game uses at most a quarter of a core's CPU time.
waits_cool() {
  local s t0 w0
  s=$(<"/proc/$pid/stat") && set -- "$1" ${s##*) } && t0=$((${13} + ${14})) w0=$EPOCHREALTIME && sleep 3
  s=$(<"/proc/$pid/stat") && set -- "$1" ${s##*) } && s=$(((${13} + ${14} - t0) * 100000 / $(getconf CLK_TCK) / $(elapsed_ms "$w0")))
  echo "$1: $s% of a core" && [ "$s" -le 25 ] || fail "$1 uses $s% of a core"
}

# looks [--wait SECONDS] CHECK ARGS...: whether the window shows it (see look.py); what was seen
# goes to $seen.
looks() {
  seen=$(BRINE_SCALE=${scale:-1} "${BRINE_PYTHON:-python3}" "$here/look.py" "$gx" "$gy" "$@" 2>&1)
}

# expect [--wait SECONDS] CHECK ARGS...: the window shows it, or the test fails.
expect() {
  looks "$@" || fail "expected $*; saw: $seen"
}

# at X Y: the pointer to (X, Y) of the window.
at() { xdotool mousemove --window "$id" "$1" "$2" || fail "xdotool mousemove"; }

# The colour of the transit's messages and of the failure screen's texts.
transit_colour=250,240,180

# play_from_title: a click away from the buttons starts the game; returns once the first level
# is ready.
play_from_title() {
  expect --wait 30 title
  expect --wait 60 --do "xdotool mousemove --window $id 300 300 click 1" transit
  expect lights GGGGGGGG
}

# held_back: the lights the level holds back (red, ahead of the issued ones; one more every
# second level) in $held.
held_back() {
  looks lights ........ || fail "lights: $seen"
  local row=${seen#lights }
  row=${row%%[!R]*}
  held=${#row}
}

# fire X Y USED: one shot at (X, Y), USED lights of the level's issued ones spent with it. Waits
# for the light to darken, then for the mark and the play area back, or for a result screen;
# sets $outcome to miss, success or failure.
fire() {
  local x=$1 y=$2 used=$3 pattern X Y held
  held_back
  # A pointer already there would not move, and the game would draw no sight: step aside first.
  eval "$(xdotool getmouselocation --shell 2>/dev/null | grep -E '^[XY]=')"
  if [ "$((X - gx))" = "$x" ] && [ "$((Y - gy))" = "$y" ]; then
    at "$((x + 2))" "$y"
    expect --wait 10 sight "$((x + 2))" "$y"
  fi
  at "$x" "$y"
  expect --wait 10 sight "$x" "$y"
  # Looked at from the click on: the mark shows only while the game waits.
  expect --wait 20 --do "xdotool click 1" shot "$x" "$y"
  outcome=$seen
  pattern=$(printf "%${held}s" "" | tr ' ' R)$(printf "%${used}s" "" | tr ' ' O)........
  expect --wait 10 lights "${pattern:0:8}"
}

# hunt USED: plays a level with the range meter on, USED lights already spent, until a result
# screen (its name in $outcome). Three shots around the centre give three distances from the
# range needle; every later shot goes where the last four readings put the target.
hunt() {
  local used=$1 readings=() point from
  if ! looks rocker lower on; then
    click "$id" 752 362
    expect --wait 10 rocker lower on
  fi
  for point in "400 300" "460 300" "400 360" next next next next next; do
    if [ "$point" = next ]; then
      from=$((${#readings[@]} > 12 ? ${#readings[@]} - 12 : 0))
      looks locate "${readings[@]:from}" || fail "locate: $seen"
      point=$seen
    fi
    used=$((used + 1))
    fire $point "$used"
    [ "$outcome" = miss ] || return 0
    expect needle
    readings+=($point "$seen")
    echo "shot at ($point): closeness $seen"
  done
  fail "neither hit nor lost after eight shots"
}

# pointer_is shown|hidden: what the server shows over the window (skipped without XFixes).
pointer_is() {
  [ -n "${BRINE_POINTER_SHOWN:-}" ] || return 0
  local i state
  for ((i = 0; i < 100; i++)); do
    state=$("$BRINE_POINTER_SHOWN") || fail "pointer_shown failed"
    [ "$state" = "$1" ] && return 0
    sleep 0.1
  done
  fail "the pointer is $state, not $1 ($(xdotool getmouselocation 2>&1), window at $gx,$gy)"
}

# close_within MS WHAT [close|term|hup]: the window manager's close request (or SIGTERM, SIGHUP)
# ends the program with exit code 0 within MS milliseconds; prints the time it took.
close_within() {
  local t0 ms
  running "$pid" || fail "the game ended before the close request ($2)"
  t0=$EPOCHREALTIME
  if [ "${3:-close}" != close ]; then
    kill -"${3^^}" "$pid" || fail "could not send SIG${3^^}"
  else
    "$BRINE_WM_CLOSE" "$id" || fail "could not send the close request"
  fi
  wait_exit "$pid" 30
  ms=$(elapsed_ms "$t0")
  [ "$rc" = 0 ] || fail "exit code $rc after a close $2 ${3:-}"
  [ "$ms" -lt "$1" ] || fail "a close $2 took $ms ms (limit $1 ms)"
  echo "close $2: $ms ms"
}
