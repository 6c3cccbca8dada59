#!/usr/bin/env bash
# run.sh PROBE CHECK: the window's caption, icon and place under a real window manager.
# Starts its own Xvfb (on BRINE_E2E_DISPLAY if set, else a free display) and openbox.
set -euo pipefail
probe=$1
check=$2
pids=()
work=$(mktemp -d "${TMPDIR:-/tmp}/brine-window.XXXXXX")  # what the probe says, removed at the end
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

if [ -n "${BRINE_E2E_DISPLAY:-}" ]; then
  Xvfb "$BRINE_E2E_DISPLAY" -screen 0 1024x768x24 -nolisten tcp -noreset 2>/dev/null &
  pids+=($!)
  export DISPLAY=$BRINE_E2E_DISPLAY
else
  exec 3< <(exec Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp -noreset 2>/dev/null)
  pids+=($!)
  read -r -u 3 number
  export DISPLAY=":$number"
fi
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
"$check" manager

status=0
run() {  # run MODE CHECK-ARGS...
  local mode=$1
  shift
  echo "== window_probe $mode"
  SDL_AUDIODRIVER=dummy env ${BRINE_SDL_PRELOAD:+LD_PRELOAD=$BRINE_SDL_PRELOAD} "$probe" "$mode" &
  local probe_pid=$!
  "$check" "$@" || status=1
  kill "$probe_pid" 2>/dev/null || true
  wait "$probe_pid" 2>/dev/null || true
}
# Moved while the start-up page shows, then made again at 800 x 600: the frame stays at (100, 1).
run at frame 100 1
# Centred: an 800 x 600 client area in the middle of the 1024 x 768 desktop.
run centre client 112 84

# Full screen and back ten times while the game thread asks where the frame is: the frame the
# manager drops on the way back is no reason to end.
echo "== window_probe switch"
SDL_AUDIODRIVER=dummy env ${BRINE_SDL_PRELOAD:+LD_PRELOAD=$BRINE_SDL_PRELOAD} timeout 20 "$probe" switch 2>"$work/switch" &&
  echo "ok   ended with 0" || { echo "FAIL ended with $?: $(head -c 300 "$work/switch")"; status=1; }

# The display goes away under the program: it says so and ends with 1, within seconds.
echo "== the X server ends"
SDL_AUDIODRIVER=dummy env ${BRINE_SDL_PRELOAD:+LD_PRELOAD=$BRINE_SDL_PRELOAD} "$probe" at 2>"$work/lost" &
probe_pid=$!
"$check" frame 100 1 >/dev/null || status=1
kill "${pids[0]}"
timeout 10 tail --pid="$probe_pid" -f /dev/null || kill -9 "$probe_pid"
wait "$probe_pid" && rc=0 || rc=$?
said=$(cat "$work/lost")
if [ "$rc" = 1 ] && grep -q . <<<"$said"; then echo "ok   ended with 1: $said"; else echo "FAIL ended with $rc: $said"; status=1; fi
exit $status
