# A whole game played to its loss: eight shots at different points, each darkening the next
# light. A lucky hit shows the success screen instead; a key goes on to the next level and the
# shots go on. The failure screen shows "Out of ammunition"; a key starts a new game, whose
# transit issues eight green lights again and names target area 1 as the first game's did.
# Closing the window while that transit waits ends the program when the current delay is over.
. "$(dirname "$0")/common.sh"
need_game_tools

start_game
expect --wait 30 title
click "$id" 300 300
expect --wait 60 transit "$work/first_transit.png"
expect lights GGGGGGGG

points=("260 180" "540 180" "260 420" "540 420" "400 110" "400 490" "190 300" "610 300"
  "330 250" "470 350" "330 350" "470 250" "220 220" "580 380" "220 380" "580 220")
used=0 shots=0 wins=0
while :; do
  [ "$shots" -lt ${#points[@]} ] || fail "no failure screen after $shots shots"
  point=${points[$shots]}
  shots=$((shots + 1))
  used=$((used + 1))
  fire $point "$used"
  case $outcome in
    miss) [ "$used" -lt 8 ] || fail "the eighth shot missed but no failure screen came" ;;
    success)
      wins=$((wins + 1))
      echo "shot $shots hit: success screen; a key goes on"
      press "$id" space
      expect --wait 60 transit
      expect lights GGGGGGGG
      used=0
      ;;
    failure)
      [ "$used" = 8 ] || fail "failure screen after $used shots of the level"
      break
      ;;
  esac
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
