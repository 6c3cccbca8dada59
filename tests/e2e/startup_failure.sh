# Without a usable video driver the game says why on standard error and exits with 100; without
# an audio device, at the click that starts a game and first needs sound, with 10001 (17 here).
. "$(dirname "$0")/lib.sh"

# A driver named by the user that does not exist.
env $sdl SDL_VIDEODRIVER=doesnotexist timeout 30 "$BRINE_GAME" >"$work/named.out" 2>"$work/named.err"
rc=$?
[ "$rc" = 100 ] || fail "exit code $rc with SDL_VIDEODRIVER=doesnotexist"
grep -Eq '^Unable to init SDL: .+' "$work/named.err" || fail "no 'Unable to init SDL: ' line"
[ "$(wc -l <"$work/named.err")" = 1 ] || fail "more than the one line on standard error"
[ ! -s "$work/named.out" ] || fail "something on standard output"

# No display and no driver named: the window system's driver is asked for, so this fails
# cleanly instead of drawing into the terminal.
env -u DISPLAY -u SDL_VIDEODRIVER $sdl timeout 30 "$BRINE_GAME" >"$work/nodisplay.out" 2>"$work/nodisplay.err" </dev/null
rc=$?
[ "$rc" = 100 ] || fail "exit code $rc without a display"
grep -Eq '^Unable to init SDL: .+' "$work/nodisplay.err" || fail "no 'Unable to init SDL: ' line without a display"
[ ! -s "$work/nodisplay.out" ] || fail "something on standard output without a display"
echo "$(cat "$work/named.err") / $(cat "$work/nodisplay.err")"

[ -n "${DISPLAY:-}" ] || exit 0
start noaudio env $sdl SDL_AUDIODRIVER=no-such-driver "$BRINE_GAME"
window_of id "$pid" '^Brinemark$' && sleep 1 && click "$id" 300 300 && wait_exit "$pid" 30
[ "$rc" = 17 ] && grep -Eqx 'Unable to open audio: .+' "$work/noaudio.err" || fail "no audio: exit code $rc"
