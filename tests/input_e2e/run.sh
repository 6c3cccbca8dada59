#!/usr/bin/env bash
# Real X input end to end: xdotool moves, clicks and types into the input probe's window, and
# what the probe's game thread reads must match. Usage: run.sh <input_probe>. Needs DISPLAY and
# xdotool; without them it reports a skip (exit 77).
set -euo pipefail
probe=$1
if [ -z "${DISPLAY:-}" ] || ! command -v xdotool >/dev/null; then
  echo "no X display or no xdotool: skipped"
  exit 77
fi

out=$(mktemp "${TMPDIR:-/tmp}/brine-input.XXXXXX")  # the probe's output, removed at the end
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; fi
  rm -f "$out"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  echo "---- probe output (last 40 lines)"
  tail -n 40 "$out"
  exit 1
}

lines() { wc -l <"$out"; }
# Lines written after line number $1.
since() { tail -n +"$(($1 + 1))" "$out"; }
# Wait up to 5 s for a line matching the regular expression $2 after line $1.
wait_for() {
  for _ in $(seq 100); do
    if since "$1" | grep -qE "$2"; then return 0; fi
    sleep 0.05
  done
  fail "no line matching '$2'"
}
# The number of the first line after line $1 that matches $2 (after waiting for it).
line_of() {
  wait_for "$1" "$2"
  echo $(($1 + $(since "$1" | grep -nE "$2" | head -n 1 | cut -d: -f1)))
}
# The key lines after line $1, joined with '|'.
keys_since() { since "$1" | grep '^key' | paste -sd'|' || true; }

SDL_AUDIODRIVER=dummy env ${BRINE_SDL_PRELOAD:+LD_PRELOAD=$BRINE_SDL_PRELOAD} "$probe" >"$out" 2>&1 &
pid=$!
wid=$(timeout 10 xdotool search --sync --name '^Brinemark input probe$' | head -n 1) || fail "no probe window"
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
wait_for 0 '^tick 2$'

echo "motion and clicks arrive as records in window coordinates"
m=$(lines)
xdotool mousemove --window "$wid" 120 130
wait_for "$m" '^mouse 120 130 0 0 0$'
m=$(lines)
xdotool click 1
pressed=$(line_of "$m" '^mouse 120 130 1 0 0$')
wait_for "$pressed" '^mouse 120 130 0 0 0$'
m=$(lines)
xdotool click 3
wait_for "$m" '^mouse 120 130 0 1 0$'
m=$(lines)
xdotool click 2
wait_for "$m" '^mouse 120 130 0 0 1$'
m=$(lines)
xdotool mousemove --window "$wid" 639 399
wait_for "$m" '^mouse 639 399 0 0 0$'

echo "q reads as q, Up as a zero byte and 72"
m=$(lines)
xdotool key q Up
wait_for "$m" '^key 0 72$'
[ "$(keys_since "$m")" = "key 113|key 0 72" ] || fail "q and Up read as '$(keys_since "$m")'"

echo "Shift, Ctrl and Caps Lock alone add nothing; Caps Lock reaches the next letter"
m=$(lines)
xdotool key shift ctrl Caps_Lock x Caps_Lock x
wait_for "$m" '^key 120$'
[ "$(keys_since "$m")" = "key 88|key 120" ] || fail "modifiers and x read as '$(keys_since "$m")'"

echo "sixteen presses without a read keep the first fifteen"
m=$(lines)
xdotool key h
wait_for "$m" '^holding$'
m=$(lines)
xdotool key --delay 20 a b c d e f g i j k l m n o p r
wait_for "$m" '^tick'
sleep 0.8
want="key 97|key 98|key 99|key 100|key 101|key 102|key 103|key 105|key 106|key 107|key 108|key 109|key 110|key 111|key 112"
[ "$(keys_since "$m")" = "$want" ] || fail "sixteen presses read as '$(keys_since "$m")'"

echo "Pause holds the game until the next key, which is not read"
m=$(lines)
xdotool key Pause
sleep 0.4
held=$(lines)
sleep 0.6
since "$held" | grep -q '^tick' && fail "the game ran on during the pause"
xdotool key a
wait_for "$held" '^tick'
xdotool key b
wait_for "$held" '^key 98$'
[ "$(keys_since "$m")" = "key 98" ] || fail "the pause let through '$(keys_since "$m")'"

echo "Break ends the program with exit code 0"
xdotool key Break
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.05
done
kill -0 "$pid" 2>/dev/null && fail "still running after Break"
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "exit code $status after Break"
echo "all input checks passed"
