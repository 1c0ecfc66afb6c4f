#!/usr/bin/env bash
# PIG's swamp crossing in one run of the game:
# - Esc in the middle of play: back at the menu at once, the save file as it
#   was;
# - D held from the start (see swamp_play.sh): the crossings, the nest, the
#   Mugwort with "0,0,2245,0,0,0" saved, and PIG's herb line at the menu.
# All of it with the game's wall clock stepped every 3 s, back and forward by
# 30 s and by an hour, as a clock correction would: the picture, the keys and
# the hornets keep their pace.
#
# Usage: swamp_quest_test.sh TARVO TOOLS_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/game_lib.sh"
source "$(dirname "$0")/swamp_play.sh"

export RT_RANDOMIZE_STATE=0x0B552B

e2e_init "$2"
game_dir_make "$1"
xvfb_start 1024x768x24
step_file=$E2E_DIR/wall_clock_step
preload_env "$E2E_TOOLS/libwall_clock_step_shim.so"
game_env=("${preload[@]}" WALL_CLOCK_STEP_FILE="$step_file")
(
    while :; do
        for step in 0 -30 3600 -3600 30; do
            echo "$step" >"$step_file"
            sleep 3
        done
    done
) &
game_to_menu
save_is "0,0,0,0,0,0"

# --- Esc leaves at once, nothing saved ------------------------------------------
menu_choose 3
field_wait
tap Escape
menu_wait
save_is "0,0,0,0,0,0"

# --- D held through all ten crossings ------------------------------------------
swamp_win "0,0,0,0,0,0" "0,0,2245,0,0,0"
echo "swamp quest: ok"
