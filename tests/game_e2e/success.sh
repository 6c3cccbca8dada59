# A level won the way a player wins it: with the range meter on, the needle of each miss tells
# how far the shot fell from the target, and three of them place it. The success screen shows
# the target, "Success" and the scores in their rows, with the pointer shown; closing the window
# there ends the program at once, keeping the game among the best scores. A lost game on the
# way starts again with a new hunt.
. "$(dirname "$0")/common.sh"
need_game_tools

start_game
play_from_title
for game in 1 2 3; do
  hunt 0
  [ "$outcome" = success ] && break
  echo "game $game lost; a key starts the next"
  wait_focus "$id"
  expect --wait 60 --do "xdotool key space" transit
done
[ "$outcome" = success ] || fail "no hit in three games"
echo "the target was hit"

colour=150,10,10
expect line "$colour" 198 22 325   # Level 1  result:
expect line "$colour" 220 22 355   # Success
expect line "$colour" 352 22 320   # This level score
expect line "$colour" 374 22 385   # the level's score
expect line "$colour" 418 22 335   # Total Score
expect line "$colour" 440 22 380   # the total
expect line "$colour" 480 8 352    # Press any key
pointer_is shown

close_within 1000 "on the success screen"
kept=$(env $sdl "$BRINE_GAME" --scores)  # a heading and one game of one level
[ "$(grep -c '^ ' <<<"$kept")" = 2 ] && grep -qE '^ +1\. +[1-9][0-9]* +1  20' <<<"$kept" || fail "--scores: $kept"
