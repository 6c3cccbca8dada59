# lib.sh: what the end-to-end tests share. They run the real program against the X server named
# by DISPLAY (the test command starts a private Xvfb with a window manager), find its windows
# with xdotool, answer them like a user, and read what the program printed. Every wait has a
# generous limit, and nothing the test started outlives it.
#
# The build gives: BRINE_GAME (the game), BRINE_PROBE_EXE (the runtime under small stand-in
# games, chosen with BRINE_PROBE), BRINE_WM_CLOSE (sends a window manager's close request),
# BRINE_SHOW_BOX (one message box, alone). BRINE_SDL_PRELOAD may name another SDL 1.2 library
# (sdl12-compat) for the programs under test alone: "env $sdl PROGRAM" runs one on it.
set -u
sdl=${BRINE_SDL_PRELOAD:+LD_PRELOAD=$BRINE_SDL_PRELOAD}

# Everything a test writes (the programs' output, screenshots, data homes) goes to a folder of
# its own under TMPDIR, removed when it ends. The tools it runs keep their temporary files there
# too, so that what they leave behind (lintian leaves a cache) goes with it.
work=$(mktemp -d "${TMPDIR:-/tmp}/brine-e2e.XXXXXX") || { echo "FAIL: no folder of the test's own in ${TMPDIR:-/tmp}" >&2; exit 1; }
export TMPDIR=$work
started=()

finish() {
  [ "$BASHPID" = "$$" ] || return 0  # only the test's own shell cleans up
  local p
  for p in "${started[@]}"; do kill -9 "$p" 2>/dev/null; done
  for p in "${started[@]}"; do wait "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap finish EXIT

fail() {
  echo "FAIL: $*" >&2
  local f
  for f in "$work"/*.out "$work"/*.err; do
    [ -s "$f" ] && { echo "--- ${f##*/}" >&2; head -c 2000 "$f" >&2; }
  done
  exit 1
}

# Tests that need the X server skip without one (CTest's skip code).
need_display() {
  if [ -z "${DISPLAY:-}" ]; then
    echo "no DISPLAY: skipped"
    exit 77
  fi
}

# start NAME COMMAND...: run in the background, output in $work/NAME.out and .err; sets $pid.
start() {
  local name=$1
  shift
  "$@" >"$work/$name.out" 2>"$work/$name.err" &
  pid=$!
  started+=("$pid")
}

# window_of VAR PID TITLE-REGEX: sets VAR to the window of that process with that title.
# A search can stop early on a window that goes away under it (sdl12-compat makes short-lived
# ones at start-up): it is tried again until the limit.
window_of() {
  local found="" t0=$SECONDS  # (VAR must not be "found" or "t0")
  while [ -z "$found" ] && [ $((SECONDS - t0)) -lt 60 ]; do
    found=$(timeout 60 xdotool search --sync --all --pid "$2" --name "$3" 2>/dev/null | head -n 1)
    [ -n "$found" ] || sleep 0.1
  done
  [ -n "$found" ] || fail "no window titled /$3/ from process $2"
  printf -v "$1" %s "$found"
}

# game_window VAR PID: sets VAR to the game's window once the video mode has given it its
# size (it has its title a moment before); $gw and $gh hold that size.
game_window() {
  local tries
  window_of "$1" "$2" '^Untitled$'
  for ((tries = 0; tries < 400; tries++)); do
    geometry "${!1}"
    [ "$gw" = 640 ] && [ "$gh" = 400 ] && return 0
    sleep 0.05
  done
}

# wait_exit PID SECONDS: wait for the process to end; its exit code in $rc. Fails (after
# killing it) when it is still running after SECONDS.
wait_exit() {
  local p=$1 dog ended
  sleep "$2" &
  dog=$!
  wait -n -p ended "$p" "$dog"
  rc=$?
  if [ "$ended" = "$dog" ]; then
    kill -9 "$p" 2>/dev/null
    wait "$p" 2>/dev/null
    fail "process $p still running after $2 s"
  fi
  kill "$dog" 2>/dev/null
  wait "$dog" 2>/dev/null
  return 0
}

# running PID: the process has not ended yet.
running() { [ -e "/proc/$1" ] && ! grep -q '^State:[[:space:]]*Z' "/proc/$1/status" 2>/dev/null; }

# wait_line FILE REGEX [SECONDS]: wait until a line of FILE matches.
wait_line() {
  local limit=$((${3:-30} * 20)) i
  for ((i = 0; i < limit; i++)); do
    grep -Eq "$2" "$1" 2>/dev/null && return 0
    sleep 0.05
  done
  fail "no line /$2/ in ${1##*/} after ${3:-30} s"
}

# wait_focus ID: wait until the window has the keyboard (a box takes it when it appears).
wait_focus() {
  local i
  for ((i = 0; i < 400; i++)); do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
    sleep 0.05
  done
  fail "window $1 never got the keyboard focus"
}

# press ID KEY: type KEY into the window once it has the keyboard.
press() {
  wait_focus "$1"
  xdotool key "$2" || fail "xdotool key $2"
}

# geometry ID: sets $gx $gy (absolute top-left of the client area) and $gw $gh.
geometry() {
  local info
  info=$(xwininfo -id "$1") || fail "no geometry for window $1"
  gx=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
  gy=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
  gw=$(sed -n 's/^ *Width: *//p' <<<"$info")
  gh=$(sed -n 's/^ *Height: *//p' <<<"$info")
}

# click ID X Y: a left click at (X, Y) inside the window.
click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1 || fail "xdotool click on $1"
}

# The box's buttons sit centred at its bottom, 80 x 26 pixels, 10 apart, 14 above the edge.
click_box_button() {  # click_box_button ID yes|no|ok
  geometry "$1"
  local y=$((gh - 14 - 13)) x=$((gw / 2))
  case $2 in
    yes) x=$((gw / 2 - 45)) ;;
    no) x=$((gw / 2 + 45)) ;;
  esac
  click "$1" "$x" "$y"
}

# title_is ID TEXT: both title properties hold exactly TEXT.
title_is() {
  local props
  props=$(xprop -id "$1" WM_NAME _NET_WM_NAME) || fail "no properties on window $1"
  grep -Fxq "WM_NAME(STRING) = \"$2\"" <<<"$props" || fail "WM_NAME is not \"$2\": $props"
  grep -Fxq "_NET_WM_NAME(UTF8_STRING) = \"$2\"" <<<"$props" || fail "_NET_WM_NAME is not \"$2\": $props"
}

# elapsed_ms START: milliseconds since START (an $EPOCHREALTIME value).
elapsed_ms() {
  local now=$EPOCHREALTIME
  echo $(((10#${now//[.,]/} - 10#${1//[.,]/}) / 1000))
}
