#!/usr/bin/env bash
# The bamboo forest walked by typed commands on a real (virtual) X display:
# - ECHIDNA from the menu to room 1, the shortest way to the Pennyroyal in
#   room 27 (every room's texts checked on arrival), the herb picture and
#   "You got the Herb!!!"; a lower-case direction, a wall and an obstacle
#   print the room's texts again (the obstacle after its picture);
# - QUIT with the herb: the menu, the save file untouched, no herb held;
# - the walk again, back to room 1 and NORTH: the save file "0,2.6,0,0,0,0"
#   CR LF and "***YOU HAVE THE HERB***" under ECHIDNA's help lines.
#
# Usage: forest_test.sh TARVO TOOLS_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/game_lib.sh"

tarvo=$1
e2e_init "$2"
game_dir_make "$tarvo"

# The rooms' texts, by room; "|" parts go on consecutive rows.
declare -A room_texts=(
    [1]="You're at the Entrance of the Bamboo Forest.|You can go EAST or SOUTH.|Or you can go NORTH to the Clearing."
    [2]="You can go NORTH or SOUTH."
    [3]="You can go NORTH or EAST."
    [4]="You can go EAST or SOUTH."
    [5]="You can go NORTH or EAST."
    [8]="The EAST path is blocked by a Slime Mould covered Log.|You can go SOUTH or WEST."
    [9]="The SOUTH path is blocked by a Termite Mound.|You can go NORTH or EAST or WEST."
    [10]="The NORTH path is blocked by a Termite Mound.|You can go EAST or WEST."
    [15]="You can go EAST or WEST."
    [16]="You can go EAST or SOUTH."
    [17]="You can go NORTH or EAST."
    [19]="You can go EAST or SOUTH."
    [20]="The EAST path is blocked by a Sink Hole.|You can go NORTH or WEST."
    [21]="The SOUTH path is blocked by a Briar Patch.|You can go EAST or WEST."
    [22]="The NORTH path is blocked by a Briar Patch.|You can go SOUTH or WEST."
    [23]="The WEST path is blocked by a decaying Bear Carcass.|You can go NORTH or EAST or SOUTH."
    [24]="The EAST path is blocked by a giant Spider Web.|You can go NORTH or SOUTH or WEST."
    [26]="You can go SOUTH or WEST."
)
# The shortest way in: the directions and the room each one leads to.
way_in=(SOUTH:2 SOUTH:3 EAST:8 SOUTH:9 WEST:4 SOUTH:5 EAST:10 EAST:15 EAST:20 NORTH:19
    EAST:24 NORTH:23 NORTH:22 WEST:17 NORTH:16 EAST:21 EAST:26 SOUTH:27)
way_out=(NORTH:26 WEST:21 WEST:16 SOUTH:17 EAST:22 SOUTH:23 SOUTH:24 WEST:19 SOUTH:20
    WEST:15 WEST:10 WEST:5 NORTH:4 EAST:9 NORTH:8 WEST:3 NORTH:2 NORTH:1)

forest_view_row2="▌   ╥    ║ ╥   ╬      ╥  ║▐"

# texts_at ROOM ROW: the room's texts from ROW on, in the last screenshot.
texts_at() {
    local row=$2 text
    IFS='|' read -r -a parts <<<"${room_texts[$1]}"
    for text in "${parts[@]}"; do
        expect_cells "$row" 1 "$text"
        row=$((row + 1))
    done
}
text_count() {
    IFS='|' read -r -a parts <<<"${room_texts[$1]}"
    echo "${#parts[@]}"
}

# room_check ROOM: the room just entered: the forest view and its texts from
# row 12, then an empty row.
room_check() {
    local first=${room_texts[$1]%%|*} n
    at 12 1 "$first"
    n=$(text_count "$1")
    expect_cells 2 1 "$forest_view_row2"
    texts_at "$1" 12
    expect_cells $((12 + n)) 1 "$(printf '%66s' '')"
}

# say WORDS: a typed line ended with Enter.
say() {
    xdotool type --delay 30 "$1"
    tap Return
}

# herb_room_check: room 27 with the herb: its picture, no empty row, the
# texts on rows 11 and 12.
herb_room_check() {
    at 11 1 "You got the Herb!!!"
    expect_cells 12 1 "You can go NORTH "
    # The top frame row reads as inverse upper half blocks (nothing before it).
    expect_cells 1 1 "$(printf '▀%.0s' $(seq 27))"
    expect_cells 2 1 "▌                         ▐"
    expect_cells 3 1 "▌       ☼╬☼               ▐"
    expect_cells 7 1 "▌       ☼╬☼               ▐"
    expect_cells 8 1 "▌        ║                ▐"
    expect_cells 9 1 "▌       (║)               ▐"
    expect_cells 10 1 "$(printf '▀%.0s' $(seq 27))"
    expect_colours 11 1 30
}

# walk DIRECTION:ROOM...: each direction typed and the room it leads to checked.
walk() {
    local step
    for step in "$@"; do
        say "${step%%:*}"
        if [[ ${step##*:} == 27 ]]; then
            herb_room_check
        else
            room_check "${step##*:}"
        fi
    done
}

# forest_enter: ECHIDNA chosen at the menu, room 1.
forest_enter() {
    wait_row 7 "$names_row"
    highlight_check 17 2 9 "Come back to me when you have retrieved all 4 Herbs."
    hold d
    highlight_check 7 8 14 "The local Gin distiller has a surplus of Angelica Root."
    hold d
    highlight_check 7 21 29 "There is a patch of Pennyroyal deep in the bamboo forest."
    hold Return
    room_check 1
    expect_colours 12 1 30
}

# echidna_help_check HELD: ECHIDNA's help lines end with an empty line and,
# when HELD is yes, the herb line.
echidna_help_check() {
    wait_row 7 "$names_row"
    highlight_check 17 2 9 "Come back to me when you have retrieved all 4 Herbs."
    hold d
    highlight_check 7 8 14 "The local Gin distiller has a surplus of Angelica Root."
    hold d
    highlight_check 7 21 29 "There is a patch of Pennyroyal deep in the bamboo forest."
    at 30 1 " ∙ Type 'QUIT' at any time to return to this menu."
    if [[ $1 == yes ]]; then
        at 32 3 "***YOU HAVE THE HERB***"
    else
        sleep 0.3
        screenshot "$win" "$E2E_DIR/screen.ppm"
        expect_cells 32 1 "$(printf '%66s' '')"
    fi
    hold a
    highlight_check 7 8 14 "The local Gin distiller has a surplus of Angelica Root."
    hold a
    highlight_check 17 2 9 "Come back to me when you have retrieved all 4 Herbs."
}

# --- The run ------------------------------------------------------------------
xvfb_start 1024x768x24
game_start
menu_reach
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
echidna_help_check no
save_is "0,0,0,0,0,0"

# The herb again, carried out of the forest.
forest_enter
walk "${way_in[@]}"
walk "${way_out[@]}"
say "NORTH"
echidna_help_check yes
save_is "0,2.6,0,0,0,0"

hold a
highlight_check 17 59 64 "Quit the Game (Progress is autosaved)."
hold Return
program_exit_wait 10
[[ $program_exit_code -eq 0 ]] || fail "exit code $program_exit_code after QUIT"
save_is "0,2.6,0,0,0,0"
echo "forest: ok"
