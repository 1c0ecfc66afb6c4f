#!/usr/bin/env bash
# Elemento won from the animal menu on a real (virtual) X display (see
# elemento_play.sh), the save file "1710,0,0,0,0,0" CR LF, and QUIT keeps it.
#
# Usage: elemento_test.sh TARVO TOOLS_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/game_lib.sh"
source "$(dirname "$0")/elemento_play.sh"

e2e_init "$2"
game_dir_make "$1"
export RT_RANDOMIZE_STATE=0x0D0400

xvfb_start 1024x768x24
game_to_menu
elemento_win "0,0,0,0,0,0" "1710,0,0,0,0,0"

menu_choose 5
program_exit_wait 10
[[ $program_exit_code -eq 0 ]] || fail "exit code $program_exit_code after QUIT"
save_is "1710,0,0,0,0,0"
echo "elemento: ok"
