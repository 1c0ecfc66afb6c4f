# Helpers for end-to-end tests of the game: the game started from a
# directory of its own, its stretched text screen read back, keys sent with
# xdotool, and the title, story and animal menu that every run passes.
#
# Usage, after sourcing lib.sh and calling e2e_init:
#
#   source "$(dirname "$0")/game_lib.sh"
#   game_dir_make TARVO         # $game_dir with the game, $save its save file
#   xvfb_start 1024x768x24
#   game_to_menu                # start, title, story, menu with BADGER lit
#   menu_choose 4               # FOX
#
# Screen checks read the last screenshot taken by `shot` (every waiting
# helper takes its own); waiting helpers give up after a time limit.

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

# shot [ID|root]: a screenshot of the game's window (or of ID) into
# $E2E_DIR/screen.ppm, its text rows into screen.txt, its colours into
# colours.txt.
shot() {
    screenshot "${1:-$win}" "$E2E_DIR/screen.ppm"
    screen_read "$E2E_DIR/screen.ppm" "${reader[@]}" >"$E2E_DIR/screen.all"
    sed '/^--$/,$d' "$E2E_DIR/screen.all" >"$E2E_DIR/screen.txt"
    sed '1,/^--$/d' "$E2E_DIR/screen.all" >"$E2E_DIR/colours.txt"
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
# colours ROW COL: the foreground and background digit of one cell.
colours() {
    local line
    line=$(sed -n "$1p" "$E2E_DIR/colours.txt")
    echo "${line:2*$2-2:2}"
}
# screen_dump: the last shot's text on standard error.
screen_dump() { echo "--- screen:" >&2; cat "$E2E_DIR/screen.txt" >&2; }

expect_cells() {
    local got
    got=$(cells "$1" "$2" "${#3}")
    [[ $got == "$3" ]] || { screen_dump; fail "($1, $2) reads \"$got\", not \"$3\""; }
}
expect_colours() {
    local got
    got=$(colours "$1" "$2")
    [[ $got == "$3" ]] || { screen_dump; fail "($1, $2) has colours \"$got\", not \"$3\""; }
}

# shown_within SECONDS TEST...: shots until the command TEST succeeds; false
# when SECONDS pass first, a failure when the game ends.
shown_within() {
    local deadline=$((SECONDS + $1))
    shift
    while :; do
        shot
        "$@" && return 0
        ((SECONDS < deadline)) || return 1
        [[ -z $program_pid ]] || kill -0 "$program_pid" 2>/dev/null ||
            fail "the game ended while waiting for: $*"
        sleep 0.05
    done
}
# poll SECONDS WHAT TEST...: as shown_within, failing with WHAT when SECONDS
# pass.
poll() {
    local seconds=$1 what=$2
    shift 2
    shown_within "$seconds" "$@" || { screen_dump; fail "$what"; }
}
cells_are() { [[ $(cells "$1" "$2" "${#3}") == "$3" ]]; }
row_equals() {
    local line
    line=$(row_text "$1")
    [[ ${line%"${line##*[! ]}"} == "$2" ]]
}
colours_are() { [[ $(colours "$1" "$2") == "$3" ]]; }

# at ROW COL TEXT [SECONDS]: until the cells from (ROW, COL) read TEXT.
at() { poll "${4:-60}" "($1, $2) does not read \"$3\"" cells_are "$1" "$2" "$3"; }
# row_is ROW TEXT [SECONDS]: until row ROW reads exactly TEXT (trailing
# blanks aside).
row_is() { poll "${3:-60}" "row $1 does not read \"$2\"" row_equals "$1" "$2"; }
# colour_wait ROW COL COLOURS: until the cell has those colours.
colour_wait() { poll 30 "($1, $2) does not get colours \"$3\"" colours_are "$1" "$2" "$3"; }

# save_is TEXT: the save file holds TEXT and CR LF, nothing else.
save_is() {
    cmp -s "$save" <(printf '%s\r\n' "$1") ||
        fail "the save file holds \"$(od -An -c "$save" | tr -s ' \n' ' ')\", not \"$1\" CR LF"
}
# save_wait TEXT: until the save file holds TEXT and CR LF.
save_wait() {
    for _ in $(seq 200); do
        cmp -s "$save" <(printf '%s\r\n' "$1") && return 0
        sleep 0.05
    done
    save_is "$1"
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
# say TEXT: typed into an INPUT, then Enter.
say() {
    [[ -n $1 ]] && xdotool type --delay 60 "$1"
    tap Return
}

# --- One run of the game --------------------------------------------------------

# ms_since_start: milliseconds since the last game_start.
ms_since_start() { echo $((($(date +%s%N) - start_ns) / 1000000)); }

# game_start: the game from its own directory, its window focused. With no
# window manager the full-screen window sits one pixel off the screen's
# corner; it is moved onto it so that screenshots hold all of it.
# The command runs under the words of the array game_env in front, if any
# (env VAR=VALUE...).
game_start() {
    start_ns=$(date +%s%N)
    program_start ${game_env[@]+"${game_env[@]}"} "$game_dir/tarvo"
    win=$(window_wait "TARVO ZUDUZ")
    window_ms=$(ms_since_start)
    window_size_wait "$win" 1024x768
    xdotool windowmove --sync "$win" 0 0
    xdotool windowfocus --sync "$win"
}

title_wait() { at 32 27 "PRESS ENTER"; }

# prompt TEXT [ROW COL CHARACTERS]...: waits for the dialogue line at (26, 5),
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

# story_pass: every story prompt, with the speakers' mouths, answered.
story_pass() {
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

# ending_pass: BADGER's ending with all four herbs, up to the menu again.
ending_pass() {
    prompt "TARVO: We're back with the herbs!" 16 22 "▬" 17 18 "♣=│   U   ♣=│  U│ │  ♣="
    prompt "BADGER: Great, I'll prepare the medicine." 16 22 "_"
    prompt "BADGER: Down the Hatch!" 15 20 "> <" 17 18 "U="
    prompt "TARVO: Yuck, Bitter." 16 22 "▬"
    prompt "BADGER: Now go get some rest..."
    prompt "BADGER: The medicine is taxing on the body."
    prompt "TARVO: It worked! Thanks for all of your help!" 16 54 "▬" 18 52 "│"
    prompt "ALL: Yay!" 16 12 "▬" 16 27 "▬" 17 40 "▬" 16 54 "▬"
    prompt "The End" 16 12 "_" 16 27 "_" 17 40 "_" 16 54 "_"
    at 28 5 "You unlocked Wobblenook!"
    expect_cells 16 12 "o"
    tap Return
}

# --- The animal menu ------------------------------------------------------------

names_row="        TARVO        ECHIDNA        PIG            FOX"
# The entries in the menu's order from BADGER, with their first help line
# and the columns of their two asterisks.
menu_help=(
    "Come back to me when you have retrieved all 4 Herbs."
    "The local Gin distiller has a surplus of Angelica Root."
    "There is a patch of Pennyroyal deep in the bamboo forest."
    "There is a patch of Mugwort deep in the swamp."
    "The local Cotton Farmer has plenty of Cotton Root Bark."
    "Quit the Game (Progress is autosaved)."
)
menu_marks=("17 2 9" "7 8 14" "7 21 29" "7 36 40" "7 51 55" "17 59 64")
# The row of each quest's herb line, below its help lines and a blank row.
herb_rows=(0 33 32 33 31)

# BADGER's first help line once the ending has been seen.
ending_help="Press 'E' to watch the Ending again."

# help_is N: the last shot shows entry N's first help line on row 24.
help_is() {
    cells_are 24 1 " ∙ ${menu_help[$1]}" || { (($1 == 0)) && cells_are 24 1 " ∙ $ending_help"; }
}

# highlight_check N [HELP]: entry N highlighted: its first help line (or
# HELP) on row 24 and its two asterisks.
highlight_check() {
    local row left right
    if (($# > 1)); then
        at 24 1 " ∙ $2"
    else
        poll 60 "entry $1 is not highlighted" help_is "$1"
    fi
    read -r row left right <<<"${menu_marks[$1]}"
    expect_cells "$row" "$left" "*"
    expect_cells "$row" "$right" "*"
}

# menu_wait: until the animal menu shows with BADGER highlighted.
menu_wait() {
    at 7 1 "$names_row"
    highlight_check 0
}

# menu_entry: the highlighted entry, read off the help line of a fresh shot.
menu_entry() {
    local i
    shot
    for i in "${!menu_help[@]}"; do
        help_is "$i" && { echo "$i"; return 0; }
    done
    echo -1
}
# menu_step KEY N: D or A pressed to highlight entry N, the entry after or
# before the one highlighted, and checked. The menu takes one key event a
# pass and drops the rest: where the game got no pass while the key was down
# (a busy machine), the press and its release come in one pass and the
# release is dropped, so the key is pressed again while the entry before
# still shows.
menu_step() {
    local from=$((($2 + 1) % 6)) tries
    [[ $1 != d ]] || from=$((($2 + 5) % 6))
    for tries in 1 2 3 4 5; do
        hold "$1"
        shown_within 5 help_is "$2" && break
        help_is "$from" || break
    done
    highlight_check "$2"
}
# menu_goto N: D pressed until entry N is highlighted, each step seen; it
# starts from whichever entry is highlighted.
menu_goto() {
    local i
    i=$(menu_entry)
    ((i >= 0)) || { screen_dump; fail "no menu entry is highlighted"; }
    while ((i != $1)); do
        i=$(((i + 1) % 6))
        menu_step d "$i"
    done
}
# menu_choose N: entry N highlighted and chosen with Enter.
menu_choose() {
    menu_goto "$1"
    hold Return
}
# herb_line_check N: entry N highlighted, its help lines end with the herb
# line.
herb_line_check() {
    menu_goto "$1"
    at "${herb_rows[$1]}" 1 "  ***YOU HAVE THE HERB***"
}

# game_to_menu: the game started and taken through title and story.
game_to_menu() {
    game_start
    title_wait
    tap Return
    story_pass
    menu_wait
}
