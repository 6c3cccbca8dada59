# The play screen: the sight follows the pointer inside the scope, where the system pointer is
# hidden, and stays put while the pointer, shown again, is outside; each rocker shows its on
# picture and then its off look again; each slider stop moves its row's knob; a shot darkens
# the first light, shows its mark while the game waits and then gives the view back (unless
# it hit the target).
. "$(dirname "$0")/common.sh"
need_game_tools

start_game
play_from_title

# A quick hand: sixty 5-pixel steps inside the scope arrive whole, and the sight ends there.
at 400 150
expect --wait 10 sight 400 150
steps=()
for ((i = 0; i < 60; i++)); do steps+=(mousemove_relative 0 5 sleep 0.004); done
xdotool "${steps[@]}" || fail "xdotool mousemove_relative"
expect --wait 10 sight 400 450

for point in "300 250" "520 400" "400 300" "200 310"; do
  at $point
  expect --wait 10 sight $point
  pointer_is hidden
done
echo "the sight follows the pointer inside the scope"
# Each move waits for the game's answer before the next, so that what is checked belongs to
# that move and not to one the game has yet to read.
at 750 120
pointer_is shown
sleep 0.5
expect sight 200 310
at 410 520
expect --wait 10 sight 410 520
pointer_is hidden
at 400 540
pointer_is shown
expect sight 410 520
at 390 500
expect --wait 10 sight 390 500
pointer_is hidden
echo "outside the scope the pointer shows and the sight stays where it was"

# Alt+Enter: full screen fills the screen with the page (the sight is where the pointer is); once
# more, and the window is back with the sight following again.
window_at="$gx $gy"
xdotool key alt+Return || fail "xdotool alt+Return"
read -r sw sh <<<"$(xdotool getdisplaygeometry)"
fill "$sw" "$sh"
BRINE_FILL="$sw $sh" expect --wait 10 lights GGGGGGGG  # the page fills the screen
at_full 300 250
BRINE_FILL="$sw $sh" expect --wait 10 sight 300 250
xdotool key alt+Return || fail "xdotool alt+Return"
for ((i = 0; i < 100; i++)); do geometry "$id" && [ "$gx $gy" = "$window_at" ] && [ "$gw" = 800 ] && break; sleep 0.1; done
[ "$gx $gy" = "$window_at" ] || fail "back from full screen at $gx $gy, not $window_at"
sleep 1  # sdl12-compat 1.2.68 maps a motion by the full screen's size for a moment after the return
at 410 520
expect --wait 10 sight 410 520
at 300 250
expect --wait 10 sight 300 250
xdotool mousemove 5 5 sleep 0.2 || fail "xdotool mousemove"
[ "$(xdotool getmouselocation | cut -d' ' -f1-2)" = "x:5 y:5" ] || fail "the pointer stays held in the window"
echo "full screen fills the screen with the page; back in the window the sight follows, the pointer is free"

for rocker in "upper 697 297" "lower 752 362"; do
  set -- $rocker
  click "$id" "$2" "$3"
  expect --wait 10 rocker "$1" on
  click "$id" "$2" "$3"
  expect --wait 10 rocker "$1" off
done
echo "both rockers switch on and off"

for row in "master 477" "rotor 522" "voice 562"; do
  for stop in "left 30" "right 92" "middle 60"; do
    click "$id" "${stop#* }" "${row#* }"
    expect --wait 10 knob "${row% *}" "${stop% *}"
  done
done
echo "every slider stop moves its knob"

at 260 200
expect --wait 10 sight 260 200
expect save "$work/aimed.png"
# The target is hidden, so this shot hits it now and then (about one game in thirty); the
# success screen that follows is the success test's to check.
expect --wait 20 --do "xdotool click 1" shot 260 200
outcome=$seen
expect --wait 10 lights OGGGGGGG
if [ "$outcome" = miss ]; then
  expect same "$work/aimed.png" 121 0 799 599  # all but the lights
  echo "a shot darkens the first light, shows its mark, then the view is back"
else
  [ "$outcome" = success ] || fail "a $outcome screen after the first shot"
  echo "the first shot hit the hidden target by chance: a success screen"
fi

close_within 1000 "during play"

# --no-sound where no audio device opens: a level starts, a shot is fired, q ends the game.
audio=no-such-driver start_game --no-sound
play_from_title
fire 400 150 1
# A lucky hit: a key goes on to the next level, where q ends the game as well. (Its transit
# starts over the level's green lights, so that only its end shows them coming.)
[ "$outcome" = miss ] || { press "$id" space && expect --wait 60 cleared; }
press "$id" q
wait_exit "$pid" 30
[ "$rc" = 0 ] || fail "exit code $rc after q with --no-sound"
echo "--no-sound without an audio device: a level, a shot, and q ends with exit code 0"
