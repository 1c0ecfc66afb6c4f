# ECHIDNA's walk through the bamboo forest by typed commands: the shortest
# way to the Pennyroyal in room 27 with every room's texts checked on
# arrival, the herb picture and "You got the Herb!!!", and the way back out.
#
# Sourced after lib.sh and game_lib.sh.

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

# texts_at ROOM ROW: the room's texts from ROW on, in the last shot.
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
    menu_choose 2
    room_check 1
    expect_colours 12 1 30
}

# forest_win BEFORE AFTER: from the menu, the herb
# fetched and carried out of the forest by NORTH from room 1; the save file
# holds BEFORE until then and AFTER once the menu shows, with ECHIDNA's herb
# line.
forest_win() {
    forest_enter
    walk "${way_in[@]}"
    save_is "$1"
    walk "${way_out[@]}"
    say "NORTH"
    menu_wait
    save_is "$2"
    herb_line_check 2
}
