# A whole game played to its loss: eight shots at different points, each darkening the next
# light. The failure screen shows "Out of ammunition"; a key starts a new game, whose
# transit issues eight green lights again and names target area 1 as the first game's did.
# Closing the window while that transit waits ends the program when the current delay is over.
. "$(dirname "$0")/common.sh"
need_game_tools

start_game
expect --wait 30 title
click "$id" 300 300
expect --wait 60 transit "$work/first_transit.png"
expect lights GGGGGGGG

# The first shot of a level goes near the scope's edge, where the target seldom is; its range
# needle then tells where the target cannot be, and the seven others go there. A hit all the
# same shows the success screen: a key goes on to the next level and its shots.
shots=0 wins=0
while :; do
  [ "$wins" -lt 3 ] || fail "three hits; the range needle should have kept the shots away"
  expect rocker lower off
  click "$id" 752 362
  expect --wait 10 rocker lower on
  fire 615 300 1
  shots=$((shots + 1))
  if [ "$outcome" = miss ]; then
    expect needle
    looks avoid 615 300 "$seen" 7 || fail "no place to avoid the target: $seen"
    read -r -a points <<<"$seen"
    for ((used = 2; used <= 8; used++)); do
      fire "${points[2 * used - 4]}" "${points[2 * used - 3]}" "$used"
      shots=$((shots + 1))
      [ "$outcome" = miss ] || break
    done
    [ "$outcome" = failure ] && [ "$used" = 8 ] && break
    [ "$outcome" = miss ] && fail "the eighth shot missed but no failure screen came"
  fi
  [ "$outcome" = success ] || fail "a $outcome screen after $used shots"
  wins=$((wins + 1))
  echo "shot $shots hit: success screen; a key goes on"
  press "$id" space
  expect --wait 60 transit
  expect lights GGGGGGGG
done
echo "failure screen after $shots shots ($wins hits)"
expect line "$transit_colour" 242 22 305  # Out of ammunition
expect line "$transit_colour" 308 22 330  # Level 1  result:
expect line "$transit_colour" 352 22 365  # Failure
expect line "$transit_colour" 400 8 352   # Press any key
expect line "$transit_colour" 418 22 335  # Total Score
expect lights OOOOOOOO

press "$id" space
expect --wait 60 transit "$work/second_transit.png" moving
echo "new game: $seen"
expect lights GGGGGGGG
expect sametext "$work/first_transit.png" "$work/second_transit.png" "$transit_colour" 352 22
# "Moving to target area" has just shown: the transit's last delay of 1.5 s has begun.
close_within 3500 "during the transit"
