# Timer 0 at 0.25 s runs its routine between steps about four times a second. The exact tick
# rules are unit tests; this checks the timer thread drives the game thread in the real program.
. "$(dirname "$0")/lib.sh"
need_display

start timer env $sdl BRINE_PROBE=timer "$BRINE_PROBE_EXE"
game_window game "$pid"
wait_line "$work/timer.out" '^tick ' 30
sleep 3
"$BRINE_WM_CLOSE" "$game"
wait_exit "$pid" 20
[ "$rc" = 0 ] || fail "exit code $rc"

ticks=($(awk '/^tick / { print $2 }' "$work/timer.out"))
n=${#ticks[@]}
[ "$n" -ge 6 ] || fail "only $n ticks in about 3 s"
gaps=()
for ((i = 1; i < n; i++)); do gaps+=($((ticks[i] - ticks[i - 1]))); done
mean=$(((ticks[n - 1] - ticks[0]) / (n - 1)))
[ "$mean" -ge 150 ] && [ "$mean" -le 450 ] || fail "mean gap $mean ms between ticks: ${gaps[*]}"
echo "$n ticks, first at ${ticks[0]} ms, mean gap $mean ms: ${gaps[*]}"
