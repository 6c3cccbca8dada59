# A whole game played to its loss: eight shots at different points, each darkening the next
# light. The failure screen shows "Out of ammunition"; a key starts a new game, whose
# transit issues eight green lights again and names target area 1 as the first game's did.
# Closing the window while that transit waits ends the program when the current delay is over.
# Best scores: that game, lost after a level won, shows below the texts as the table's one line,
# marked; the program started again keeps it beside its own; --no-scores shows the designed
# screen and leaves the file alone.
. "$(dirname "$0")/common.sh"
need_game_tools

# lose_game: from a level's start to the game's loss; sets $shots, $wins, the $last shot and
# the lights $held back in the level lost.
# The first shot of a level goes near the scope's edge, where the target seldom is; its range
# needle then tells where the target cannot be, and the seven others go there. A hit all the
# same shows the success screen: a key goes on to the next level and its shots.
lose_game() {
  local used points hits=0
  shots=0
  while :; do
    [ "$hits" -lt 3 ] || fail "three hits; the range needle should have kept the shots away"
    expect rocker lower off
    held_back  # a level won by chance leads to one that may hold a light back
    click "$id" 752 362
    expect --wait 10 rocker lower on
    fire 615 300 1
    shots=$((shots + 1)) last="615 300"
    if [ "$outcome" = miss ]; then
      expect needle
      looks avoid 615 300 "$seen" 7 || fail "no place to avoid the target: $seen"
      read -r -a points <<<"$seen"
      for ((used = 2; used <= 8 - held; used++)); do
        last="${points[2 * used - 4]} ${points[2 * used - 3]}"
        fire $last "$used"
        shots=$((shots + 1))
        [ "$outcome" = miss ] || break
      done
      [ "$outcome" = failure ] && [ "$used" = $((8 - held)) ] && break
      [ "$outcome" = miss ] && fail "the last light's shot missed but no failure screen came"
    fi
    [ "$outcome" = success ] || fail "a $outcome screen after $used shots"
    hits=$((hits + 1)) wins=$((wins + 1))
    echo "shot $shots hit: success screen; a key goes on"
    press "$id" space
    expect --wait 60 cleared
  done
  echo "failure screen after $shots shots ($wins hits)"
}

# won_then_lost: a level won with the range meter's help (the hunt), then the game lost.
won_then_lost() {
  hunt 0
  [ "$outcome" = success ] || fail "the hunt ended in a $outcome screen"
  press "$id" space
  wins=1 && expect --wait 60 cleared && lose_game
}

start_game
expect --wait 30 title
expect --wait 60 --do "xdotool mousemove --window $id 300 300 click 1" transit "$work/first_transit.png"
expect lights GGGGGGGG
won_then_lost
expect line "$transit_colour" 242 22 305  # Out of ammunition
expect line "$transit_colour" 308 22 330  # Level 1  result:
expect line "$transit_colour" 352 22 365  # Failure
expect line "$transit_colour" 400 8 352   # Press any key
expect line "$transit_colour" 418 22 335  # Total Score
spent=$(printf "%${held}s" "" | tr ' ' R)OOOOOOOO
expect lights "${spent:0:8}"
expect line "$transit_colour" 480 8 240  # the table's first line, marked: ">1."
looks line "$transit_colour" 488 8 240; [[ $seen == *"in rows"* ]] || fail "a second game in the table: $seen"

wait_focus "$id"
expect --wait 60 --do "xdotool key space" transit "$work/second_transit.png" moving
echo "new game: $seen"
expect lights GGGGGGGG
expect sametext "$work/first_transit.png" "$work/second_transit.png" "$transit_colour" 352 22
# "Moving to target area" has just shown: the transit's last delay of 1.5 s has begun.
close_within 3500 "during the transit"

# started_again [ARGS...]: the program once more, from its title to the first level.
started_again() {
  start_game "$@" && expect --wait 30 title && click "$id" 300 300 && expect --wait 60 cleared
}

started_again
won_then_lost
marked=0  # both games, one marked: ">1." or ">2." begins at x 241, " 1." or " 2." at 257
for top in 480 488; do
  looks line "$transit_colour" $top 8 241 && marked=$((marked + 1)) || expect line "$transit_colour" $top 8 257
done
[ "$marked" = 1 ] || fail "$marked of the two games marked"
looks line "$transit_colour" 496 8 241; [[ $seen == *"in rows"* ]] || fail "a third game in the table: $seen"
close_within 1000 "on the failure screen"

cp "$XDG_DATA_HOME/brinemark/scores" "$work/kept"
started_again --no-scores
wins=0 && lose_game
expect plain $last
close_within 1000 "on the failure screen"
cmp -s "$XDG_DATA_HOME/brinemark/scores" "$work/kept" || fail "--no-scores changed the table"
