# Helpers for end-to-end tests of the game's quests: the game started from a
# directory of its own, its screen read back, keys sent with xdotool, the
# title and story passed and an animal chosen on the menu.
#
# Usage in a test script (after lib.sh):
#
#   quest_init TARVO            # $game_dir, $save, the reader options
#   xvfb_start 1024x768x24
#   game_start; title_wait; tap Return; story_skip; menu_wait
#   menu_choose 4               # FOX

palette=1=AAAAAA,2=64DCDC,3=64DC64,4=DC64DC,5=DCAA64
# The game asks for stretched full screen: its 528 x 296 frame fills the
# 1024 x 768 screen.
scale=$(awk 'BEGIN { printf "%.9f,%.9f", 1024 / 528, 768 / 296 }')
reader=(--scale "$scale" --size 66x37 --palette "$palette")

# quest_init TARVO: the game copied into an empty directory.
quest_init() {
    game_dir=$E2E_DIR/game
    mkdir "$game_dir"
    cp "$1" "$game_dir/tarvo"
    save=$game_dir/TarvoData
}

# --- Reading the screen -----------------------------------------------------

# shot: a screenshot of the game into $E2E_DIR/screen.ppm, its text rows into
# $E2E_DIR/screen.txt.
shot() {
    screenshot "$win" "$E2E_DIR/screen.ppm"
    screen_text "$E2E_DIR/screen.ppm" "${reader[@]}" >"$E2E_DIR/screen.txt"
}
# row_text ROW: row ROW of the last shot.
row_text() { sed -n "$1p" "$E2E_DIR/screen.txt"; }
# cells ROW COL COUNT: COUNT characters of the last shot (characters of the
# UTF-8 text, not bytes).
cells() {
    local line
    line=$(row_text "$1")
    echo "${line:$2-1:$3}"
}
expect_cells() {
    local got
    got=$(cells "$1" "$2" "${#3}")
    [[ $got == "$3" ]] || { screen_dump; fail "($1, $2) reads \"$got\", not \"$3\""; }
}
# screen_dump: the last shot's text on standard error.
screen_dump() { echo "--- screen:" >&2; cat "$E2E_DIR/screen.txt" >&2; }

# at ROW COL TEXT [SECONDS]: until the cells from (ROW, COL) read TEXT.
at() {
    local deadline=$((SECONDS + ${4:-30}))
    while :; do
        shot
        [[ $(cells "$1" "$2" "${#3}") == "$3" ]] && return 0
        ((SECONDS < deadline)) || { screen_dump; fail "($1, $2) does not read \"$3\""; }
        kill -0 "$program_pid" 2>/dev/null || fail "the game ended while waiting for \"$3\""
        sleep 0.05
    done
}
# row_is ROW TEXT: until row ROW reads exactly TEXT (trailing blanks aside).
row_is() {
    local deadline=$((SECONDS + ${3:-30})) line
    while :; do
        shot
        line=$(row_text "$1")
        [[ ${line%"${line##*[! ]}"} == "$2" ]] && return 0
        ((SECONDS < deadline)) || { screen_dump; fail "row $1 reads \"$line\", not \"$2\""; }
        kill -0 "$program_pid" 2>/dev/null || fail "the game ended while waiting for \"$2\""
        sleep 0.05
    done
}

# save_is TEXT: the save file holds TEXT and CR LF, nothing else.
save_is() {
    cmp -s "$save" <(printf '%s\r\n' "$1") ||
        fail "the save file holds \"$(od -An -c "$save" | tr -s ' \n' ' ')\", not \"$1\" CR LF"
}

# --- Keys ---------------------------------------------------------------------

tap() { xdotool key "$1"; }
press() { xdotool keydown "$1"; }
release() { xdotool keyup "$1"; }
# hold KEY: press, hold a moment, release; the menu reads one key a frame.
hold() {
    press "$1"
    sleep 0.2
    release "$1"
}
# answer TEXT: typed into an INPUT, then Enter.
answer() {
    [[ -n $1 ]] && xdotool type --delay 60 "$1"
    tap Return
}

# --- The game up to the menu ------------------------------------------------------

# game_start: the game from its own directory, its window focused and moved
# onto the screen's corner (with no window manager it sits one pixel off).
game_start() {
    program_start "$game_dir/tarvo"
    win=$(window_wait "TARVO ZUDUZ")
    window_size_wait "$win" 1024x768
    xdotool windowmove --sync "$win" 0 0
    xdotool windowfocus --sync "$win"
}

title_wait() { at 32 27 "PRESS ENTER" 60; }

story_prompts=(
    "TARVO: ...  " "TARVO: Shit." "FOX: Good morning, Tarvo!" "TARVO: I'm Pregnant."
    "FOX: ...          " "PIG: Congratulations?" "TARVO: I'm not ready for this shit..."
    "TARVO: I'm trying to focus on my career..." "TARVO: I don't have a boyfriend..."
    "TARVO: And I really don't wanna give birth." "PIG: Well, what are you gonna do?"
    "TARVO: I don't know." "FOX: Let's go see the old Medicine Badger..."
    "FOX: Maybe she can help you out." "BADGER: Well...   "
    "BADGER: There's a certain medicine that can end pregnancy..."
    "BADGER: Though, it doesn't always work." "TARVO: I'm willing to give it a try..."
    "TARVO: Could you make me a batch?" "BADGER: Yes, but I will need four specific herbs..."
    "BADGER: You'll have to gather them for me..." "BADGER: These Badger Bones are Brittle."
    "TARVO: Will you guys help me find them?" "FOX: Yes.    " "PIG: Of course."
    "ECHIDNA: This is so wise." "TARVO: Great, thank you, let's go!"
)
# story_skip: every story prompt answered with Enter once it shows.
story_skip() {
    local p
    for p in "${story_prompts[@]}"; do
        at 26 5 "$p"
        tap Return
    done
}

names_row="        TARVO        ECHIDNA        PIG            FOX"
menu_help=(
    "Come back to me when you have retrieved all 4 Herbs."
    "The local Gin distiller has a surplus of Angelica Root."
    "There is a patch of Pennyroyal deep in the bamboo forest."
    "There is a patch of Mugwort deep in the swamp."
    "The local Cotton Farmer has plenty of Cotton Root Bark."
)
# menu_wait: until the animal menu shows with BADGER highlighted.
menu_wait() {
    at 7 1 "$names_row" 60
    at 24 1 " ∙ ${menu_help[0]}"
}
# menu_highlight N: D pressed N times (the menu starts at BADGER), each step
# seen on the help line.
menu_highlight() {
    local i
    for ((i = 1; i <= $1; ++i)); do
        hold d
        at 24 1 " ∙ ${menu_help[i]}"
    done
}
# menu_choose N: entry N highlighted and chosen with Enter.
menu_choose() {
    menu_highlight "$1"
    hold Return
}

# game_to_menu: the game started and taken through title and story.
game_to_menu() {
    game_start
    title_wait
    tap Return
    story_skip
    menu_wait
}

