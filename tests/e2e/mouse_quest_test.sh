#!/usr/bin/env bash
# FOX's talk with the Mouse, played by typed answers in one run of the game:
# - the way to the herb (see mouse_play.sh): "0,0,0,3032,0,0" in the save
#   file and FOX's herb line, and none for PIG;
# - a second visit where a topic is asked twice: the Mouse walks away,
#   vanishes from the picture, and the save file is left alone.
#
# Usage: mouse_quest_test.sh TARVO TOOLS_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/game_lib.sh"
source "$(dirname "$0")/mouse_play.sh"

e2e_init "$2"
game_dir_make "$1"
xvfb_start 1024x768x24
game_to_menu
save_is "0,0,0,0,0,0"

mouse_win "0,0,0,0,0,0" "0,0,0,3032,0,0"

# The other animals have no herb yet: PIG's help lines end without one.
menu_goto 3
sleep 0.3
shot
expect_cells 33 1 "$(printf '%66s' '')"

# --- A topic asked twice: the Mouse walks away ---------------------------------
menu_choose 4
mouse_menu
say 3
row_is 15 "What do you say?"
say 2
# 67 characters: the line wraps.
at 16 1 "The Mouse says, \`A bunch of hornets built their nest in the swamp."
row_is 17 ".."
row_is 20 "Press ENTER to go back:"
say ""
mouse_menu
say 3
row_is 15 "What do you say?"
say 2
at 16 1 "The Mouse says, 'We already talked about this!"
at 17 1 "The Mouse walks away."
# The rest of the longer line stays after the new text.
at 17 22 "conversation. Goodbye!'"
row_is 19 "Press ENTER to return to the clearing:"
for r in 7 8 9; do
    expect_cells $r 15 "     "
done
say ""
menu_wait
save_is "0,0,0,3032,0,0"

echo "mouse quest: ok"
