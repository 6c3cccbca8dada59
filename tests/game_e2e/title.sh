# The window's frame placed at (100, 1); then from the title screen: each of the three buttons
# lists its text file and a key brings the title back; a click between two buttons does
# nothing; a click elsewhere starts the game, whose transit prints its three messages and
# issues eight green lights one by one; then the play screen shows, and "q" ends the program
# with exit code 0. The title and a text screen wait without keeping a core busy. Without
# Credits.txt its button shows the open's error once, and Yes finishes the text screen as usual.
. "$(dirname "$0")/common.sh"
need_game_tools

start_game
expect --wait 30 title
waits_cool "the title screen"
# The game's first step puts its window's frame at (100, 1) of the desktop.
for ((tries = 0; tries < 100; tries++)); do
  geometry "$id"
  read -r left _ top _ < <(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,/ /g')
  frame="$((gx - ${left:-0})), $((gy - ${top:-0}))"
  [ "$frame" = "100, 1" ] && break
  sleep 0.05
done
[ "$frame" = "100, 1" ] || fail "the window's frame is at $frame, not 100, 1"
for button in "380 Credits.txt" "460 Vorn License.txt" "545 help.txt"; do
  y=${button%% *}
  file=${button#* }
  click "$id" 730 "$y"
  expect --wait 20 textscreen "$file"
  [ "$file" != help.txt ] || waits_cool "a text screen"
  press "$id" space
  expect --wait 20 title
  echo "button at y $y: $file, then the title again"
done

# Between the licence and help buttons: the title keeps waiting.
click "$id" 730 500
sleep 1
expect title

click "$id" 300 300
expect --wait 60 transit
echo "$seen"
expect lights GGGGGGGG
expect rocker upper off
expect rocker lower off
expect knob master middle
expect knob rotor left
expect knob voice middle

press "$id" q
wait_exit "$pid" 30
[ "$rc" = 0 ] || fail "exit code $rc after q"
echo "q ended the game with exit code 0"

# --scale 2 on a screen that has room: a window twice as large, the title in 2 x 2 blocks, and
# a click on a doubled button opens its text screen. A scale the game does not know is refused.
read -r sw sh < <(xdotool getdisplaygeometry)
if [ "$sw" -ge 1750 ] && [ "$sh" -ge 1250 ]; then
  scale=2 start_game --scale 2
  scale=2 expect --wait 30 title
  click "$id" $((2 * 730)) $((2 * 460))
  scale=2 expect --wait 20 textscreen "Vorn License.txt"
  close_within 1000 "at scale 2"
  scale=2 start_game --scale auto  # the largest that fits
  close_within 1000 "at scale auto"
  echo "--scale 2: a 1600 x 1200 window, the title and a text screen in 2 x 2 blocks"
else
  echo "a $sw x $sh screen has no room for --scale 2: that part skipped"
fi
env $sdl "$BRINE_GAME" --scale 5 2>/dev/null
[ "$?" = 2 ] || fail "--scale 5 accepted"

mkdir "$work/game" && cp "$BRINE_GAME" "$(dirname "$BRINE_GAME")"/*.{png,jpg,ogg,ttf,txt} "$work/game" &&
  rm "$work/game/Credits.txt" && : >"$work/empty.txt" || fail "no copy of the game"
export BRINE_GAME=$work/game/${BRINE_GAME##*/}
start_game
expect --wait 30 title
click "$id" 730 380
window_of box "$pid" 'Unhandled Error'
title_is "$box" 'Unhandled Error #53'
press "$box" y
expect --wait 20 textscreen "$work/empty.txt"
sleep 1
xdotool search --all --pid "$pid" --name "Unhandled Error" >/dev/null && fail "another box after the open's error"
press "$id" space
expect --wait 20 title
echo "without Credits.txt: its error once, then an empty text screen and the title again"
