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
# Uncovered, and minimised and restored, the window shows the whole title again at once.
xlogo -geometry 1000x800+0+0 &
cover=$! && started+=($cover)
xdotool search --sync --onlyvisible --class xlogo >/dev/null && ! looks title || fail "xlogo did not cover the game"
kill $cover
expect --wait 0.5 title
xdotool windowminimize --sync "$id" windowactivate --sync "$id" || fail "xdotool windowminimize"
expect --wait 0.5 title
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

expect --wait 60 --do "xdotool mousemove --window $id 300 300 click 1" transit
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

# The screensaver stays off while the game waits on its title (skipped without libXss).
if [ -n "${BRINE_SCREEN_SAVER:-}" ]; then
  own_display 1024 768
  xset s 8 || fail "xset s 8"
  start_game
  saver=$("$BRINE_SCREEN_SAVER" 12) || fail "12 s on the title with xset s 8: the screensaver $saver"
  close_within 1000 "after 12 s on the title"
fi

# Today's displays, each an X server of its own: Alt+Enter fills the screen with the title,
# compared with a model of the scale (fractional at 1920 x 1080 and 3840 x 2160, 2 x 2 blocks at
# 1600 x 1200); a click on a button there opens its text screen; Alt+Enter again, and the window
# is back with the pointer free.
for size in "1920 1080" "3840 2160" "1600 1200"; do
  read -r sw sh <<<"$size"
  own_display "$sw" "$sh"
  start_game
  expect --wait 30 title
  window_at="$gx $gy"
  press "$id" alt+Return
  fill "$sw" "$sh"
  BRINE_FILL="$size" expect --wait 10 fill
  echo "full screen on $sw x $sh: $seen"
  at_full 730 460
  sleep 0.3
  xdotool click 1 || fail "xdotool click"
  BRINE_FILL="$size" expect --wait 20 textscreen "Vorn License.txt"
  xdotool key alt+Return || fail "xdotool alt+Return"
  for ((i = 0; i < 100; i++)); do geometry "$id" && [ "$gx $gy $gw" = "$window_at 800" ] && break; sleep 0.1; done
  expect --wait 10 textscreen "Vorn License.txt"
  xdotool mousemove 5 5 sleep 0.2 || fail "xdotool mousemove"
  [ "$(xdotool getmouselocation | cut -d' ' -f1-2)" = "x:5 y:5" ] || fail "the pointer stays held after full screen on $size"
  close_within 1000 "after full screen on $sw x $sh"
done

# Full screen and back as a player sees it, at 1920 x 1080: the window moved to (600, 320) comes
# back there; the pointer over page pixel (250, 200) stays over it both ways, and shows over the
# title's buttons in full screen; the screen, grabbed every 10 ms through both switches, shows
# the window at its place, full screen or black, nothing else.
own_display 1920 1080
start_game
expect --wait 30 title
xdotool windowmove "$id" 600 320 || fail "xdotool windowmove"
for ((i = 0; i < 100; i++)); do
  geometry "$id"
  read -r left _ top _ < <(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,/ /g')
  [ "$((gx - ${left:-0})) $((gy - ${top:-0}))" = "600 320" ] && break
  sleep 0.05
done
window_at="$gx $gy"
fill 1920 1080
# page_pixel: the page pixel under the pointer, in the window or (with "full") full screen.
page_pixel() {
  eval "$(xdotool getmouselocation --shell | grep -E '^[XY]=')"
  if [ "${1:-}" = full ]; then
    echo "$(((2 * (X - ox) + 1) * 800 / (2 * tw))) $(((2 * (Y - oy) + 1) * 600 / (2 * th)))"
  else
    echo "$((X - gx)) $((Y - gy))"
  fi
}
at 250 200
[ "$(page_pixel)" = "250 200" ] || fail "the pointer is not over page pixel 250 200"
"$BRINE_SWITCH_FRAMES" grab "$work/window.raw" || fail "no grab of the window"
press "$id" alt+Return
BRINE_FILL="1920 1080" expect --wait 10 fill
[ "$(page_pixel full)" = "250 200" ] || fail "in full screen the pointer is over page pixel $(page_pixel full), not 250 200"
"$BRINE_SWITCH_FRAMES" grab "$work/full.raw" || fail "no grab of full screen"
at_full 730 460
pointer_is shown
at_full 250 200
xdotool key alt+Return || fail "xdotool alt+Return"
for ((i = 0; i < 100; i++)); do geometry "$id" && [ "$gx $gy $gw" = "$window_at 800" ] && break; sleep 0.1; done
[ "$gx $gy" = "$window_at" ] || fail "back from full screen at $gx $gy, not $window_at"
expect --wait 10 title
[ "$(page_pixel)" = "250 200" ] || fail "back in the window the pointer is over page pixel $(page_pixel), not 250 200"
"$BRINE_SWITCH_FRAMES" watch "$work/window.raw" "$work/full.raw" "$id" >"$work/frames.out" &
watcher=$!
started+=("$watcher")
wait_line "$work/frames.out" '^watching$'
xdotool key alt+Return || fail "xdotool alt+Return"
wait_line "$work/frames.out" '^full$'
xdotool key alt+Return || fail "xdotool alt+Return"
wait_exit "$watcher" 30
tail -n 1 "$work/frames.out"
[ "$rc" = 0 ] || fail "frames between the window and full screen: $(tail -n 1 "$work/frames.out")"
close_within 1000 "after full screen and back at 1920 x 1080"
echo "full screen and back: the window at its place, the pointer over its page pixel and shown, only black between"

# The desktop's scale, on a server without a window manager: with Xft.dpi 192 the window opens
# at 1600 x 1200, the only size it is ever mapped at; --scale 1 is 800 x 600 all the same; and
# --scale auto takes the largest repeat that fits the work area set on the root window.
own_display 3840 2160 bare
echo 'Xft.dpi: 192' | xrdb -nocpp -merge || fail "xrdb"
xev -root -event substructure >"$work/xev.log" 2>&1 &
started+=($!)
sleep 0.3
scale=2 start_game
scale=2 expect --wait 30 title
mapped=$(awk -f "$here/mapped.awk" "$work/xev.log" | sort -u | paste -s -d,)
[ "$mapped" = "1600 1200" ] || fail "with Xft.dpi 192 the window was mapped at $mapped"
close_within 1000 "at the desktop's scale"
start_game --scale 1
close_within 1000 "at --scale 1"
xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA 0,0,1700,1300 || fail "xprop"
scale=2 start_game --scale auto
close_within 1000 "at --scale auto in a 1700 x 1300 work area"
echo "Xft.dpi 192: a 1600 x 1200 window, mapped at that size alone; --scale 1: 800 x 600; auto in 1700 x 1300: 1600 x 1200"
