#!/usr/bin/env bash
# The bamboo forest walked by typed commands on a real (virtual) X display
# (see forest_play.sh):
# - a wall, a lower-case direction and an obstacle print the room's texts
#   again (the obstacle after its picture);
# - QUIT with the herb: the menu, the save file untouched, no herb held;
# - the walk again, back to room 1 and NORTH: the save file "0,2.6,0,0,0,0"
#   CR LF and "***YOU HAVE THE HERB***" under ECHIDNA's help lines.
#
# Usage: forest_test.sh TARVO TOOLS_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/game_lib.sh"
source "$(dirname "$0")/forest_play.sh"

e2e_init "$2"
game_dir_make "$1"
xvfb_start 1024x768x24
game_to_menu
forest_enter

# A wall and unmatched text print the texts again below the typed line.
say "WEST"
at 17 1 "You're at the Entrance of the Bamboo Forest."
texts_at 1 17
walk "${way_in[@]:0:1}"
say "south"
at 15 1 "You can go NORTH or SOUTH."
walk "${way_in[@]:1:2}"
# The log: its picture on a cleared screen, the room's texts from row 12.
say "EAST"
at 5 1 "▌_______________________  ▐"
at 12 1 "The EAST path is blocked by a Slime Mould covered Log."
expect_cells 5 1 "▌_______________________  ▐"
expect_cells 9 1 "▌ ____    _______   \\__ / ▐"
texts_at 8 12
walk "${way_in[@]:3}"

# QUIT with the herb: back at the menu, nothing saved, no herb held.
say "QUIT"
menu_wait
menu_goto 2
at 30 1 " ∙ Type 'QUIT' at any time to return to this menu."
sleep 0.3
shot
expect_cells 32 1 "$(printf '%66s' '')"
menu_goto 0
save_is "0,0,0,0,0,0"

# The herb again, carried out of the forest.
forest_win "0,0,0,0,0,0" "0,2.6,0,0,0,0"

menu_choose 5
program_exit_wait 10
[[ $program_exit_code -eq 0 ]] || fail "exit code $program_exit_code after QUIT"
save_is "0,2.6,0,0,0,0"
echo "forest: ok"
