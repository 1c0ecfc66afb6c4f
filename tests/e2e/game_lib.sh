# Helpers for end-to-end tests of the game: reading its stretched text
# screen, keys, starting it from its own directory, and the title and story
# that every run passes before the animal menu.
#
# Usage, after sourcing lib.sh and calling e2e_init and xvfb_start:
#
#   source "$(dirname "$0")/game_lib.sh"
#   game_dir_make TARVO         # $game_dir with the game, $save its save file
#   game_start                  # $win: the game's window
#   menu_reach                  # title, story, menu

palette=1=AAAAAA,2=64DCDC,3=64DC64,4=DC64DC,5=DCAA64
# The game asks for stretched full screen: its 528 x 296 frame fills the
# 1024 x 768 screen.
scale=$(awk 'BEGIN { printf "%.9f,%.9f", 1024 / 528, 768 / 296 }')
reader=(--scale "$scale" --size 66x37 --palette "$palette")

# game_dir_make TARVO: an empty folder ($game_dir) holding only the game;
# $save is where its save file goes.
game_dir_make() {
    game_dir=$E2E_DIR/game
    mkdir "$game_dir"
    cp "$1" "$game_dir/tarvo"
    save=$game_dir/TarvoData
}

# --- Reading the screen -----------------------------------------------------

# row_text ROW: row ROW of the last screenshot.
row_text() { screen_text "$E2E_DIR/screen.ppm" "${reader[@]}" | sed -n "$1p"; }
# cells ROW COL COUNT: COUNT characters of the last screenshot (counted as
# characters of the UTF-8 text, not bytes).
cells() {
    local line
    line=$(row_text "$1")
    echo "${line:$2-1:$3}"
}
# colours ROW COL: the foreground and background digit of one cell.
colours() {
    local line
    line=$(screen_colours "$E2E_DIR/screen.ppm" "${reader[@]}" | sed -n "$1p")
    echo "${line:2*$2-2:2}"
}
# wait_row ROW TEXT: until row ROW starts with TEXT.
wait_row() { screen_wait "$win" "$1" "$2" "${reader[@]}"; }
# colour_wait ROW COL COLOURS: until the cell has those colours.
colour_wait() {
    local i got
    for i in $(seq 100); do
        screenshot "$win" "$E2E_DIR/screen.ppm"
        got=$(colours "$1" "$2")
        [[ $got == "$3" ]] && return 0
        sleep 0.05
    done
    fail "($1, $2) has colours \"$got\", not \"$3\""
}
expect_colours() {
    local got
    got=$(colours "$1" "$2")
    [[ $got == "$3" ]] || fail "($1, $2) has colours \"$got\", not \"$3\""
}
# at ROW COL TEXT: wait until the cells from (ROW, COL) read TEXT.
at() { wait_row "$1" "$(printf '%*s' $(($2 - 1)) '')$3"; }
expect_cells() {
    local got
    got=$(cells "$1" "$2" "${#3}")
    [[ $got == "$3" ]] || fail "($1, $2) reads \"$got\", not \"$3\""
}

# save_is TEXT: the save file holds TEXT and CR LF, nothing else.
save_is() {
    cmp -s "$save" <(printf '%s\r\n' "$1") ||
        fail "the save file holds \"$(od -An -c "$save" | tr -s ' \n' ' ')\", not \"$1\" CR LF"
}

# --- Keys ---------------------------------------------------------------------

# tap KEY: press and release.
tap() { xdotool key "$1"; }
# hold KEY: press, hold a moment, release; the menu reads one key a frame.
press() { xdotool keydown "$1"; }
release() { xdotool keyup "$1"; }
hold() {
    press "$1"
    sleep 0.2
    release "$1"
}

# --- One run of the game --------------------------------------------------------

# ms_since_start: milliseconds since the last game_start.
ms_since_start() { echo $((($(date +%s%N) - start_ns) / 1000000)); }

# game_start: the game from its own directory, its window focused. With no
# window manager the full-screen window sits one pixel off the screen's
# corner; it is moved onto it so that screenshots hold all of it.
game_start() {
    start_ns=$(date +%s%N)
    program_start "$game_dir/tarvo"
    win=$(window_wait "TARVO ZUDUZ")
    window_ms=$(ms_since_start)
    window_size_wait "$win" 1024x768
    xdotool windowmove --sync "$win" 0 0
    xdotool windowfocus --sync "$win"
}

title_wait() { at 32 27 "PRESS ENTER"; }

# prompt TEXT [ROW COL CHARACTER]...: waits for the dialogue line at (26, 5),
# checks the given cells, then answers with Enter.
prompt() {
    local text=$1
    shift
    at 26 5 "$text"
    while (($# > 0)); do
        expect_cells "$1" "$2" "$3"
        shift 3
    done
    tap Return
}

story_check() {
    prompt "TARVO: ...  " 16 29 "_"
    prompt "TARVO: Shit." 16 29 "▬"
    # The forest: PIG (16, 12), FOX (16, 27), ECHIDNA (17, 40), TARVO (16, 54).
    prompt "FOX: Good morning, Tarvo!" 16 27 "▬" 16 54 "_"
    prompt "TARVO: I'm Pregnant." 16 54 "▬" 16 27 "_"
    prompt "FOX: ...          " 16 54 "_" 16 27 "_"
    prompt "PIG: Congratulations?" 16 12 "▬"
    prompt "TARVO: I'm not ready for this shit..." 16 54 "▬" 16 12 "_"
    prompt "TARVO: I'm trying to focus on my career..." 16 54 "▬"
    prompt "TARVO: I don't have a boyfriend..." 16 54 "▬"
    prompt "TARVO: And I really don't wanna give birth." 16 54 "▬"
    prompt "PIG: Well, what are you gonna do?" 16 12 "▬" 16 54 "_"
    prompt "TARVO: I don't know." 16 54 "▬" 16 12 "_"
    prompt "FOX: Let's go see the old Medicine Badger..." 16 27 "▬" 16 54 "_"
    prompt "FOX: Maybe she can help you out." 16 27 "▬" 17 40 "_"
    # The clearing: TARVO (16, 22), FOX (16, 30), PIG (16, 43), ECHIDNA (17, 53).
    prompt "BADGER: Well...   " 16 22 "_" 16 30 "_" 16 43 "_" 17 53 "_"
    prompt "BADGER: There's a certain medicine that can end pregnancy..."
    prompt "BADGER: Though, it doesn't always work."
    prompt "TARVO: I'm willing to give it a try..." 16 22 "▬"
    prompt "TARVO: Could you make me a batch?" 16 22 "▬"
    prompt "BADGER: Yes, but I will need four specific herbs..." 16 22 "_"
    prompt "BADGER: You'll have to gather them for me..."
    prompt "BADGER: These Badger Bones are Brittle."
    prompt "TARVO: Will you guys help me find them?" 16 22 "▬"
    prompt "FOX: Yes.    " 16 30 "▬" 16 22 "_"
    prompt "PIG: Of course." 16 43 "▬" 16 30 "_"
    prompt "ECHIDNA: This is so wise." 17 53 "▬" 16 43 "_"
    prompt "TARVO: Great, thank you, let's go!" 16 22 "▬" 17 53 "_"
}

names_row="        TARVO        ECHIDNA        PIG            FOX"
# highlight_check ROW LEFT RIGHT HELP: the asterisks of an entry and the
# first help line on row 24.
highlight_check() {
    wait_row 24 " ∙ $4"
    expect_cells "$1" "$2" "*"
    expect_cells "$1" "$3" "*"
}


# menu_reach: from a new start of the game through the title and the story to
# the animal menu, BADGER highlighted.
menu_reach() {
    title_wait
    tap Return
    story_check
    wait_row 7 "$names_row"
    highlight_check 17 2 9 "Come back to me when you have retrieved all 4 Herbs."
}
