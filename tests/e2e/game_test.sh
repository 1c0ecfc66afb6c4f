#!/usr/bin/env bash
# The game on a real (virtual) X display, started from an empty directory:
# - first run: the splash's logo and colours; "TarvoData" created with six
#   zeros before the title; "PRESS ENTER" at row 32, column 27; the 27 story
#   prompts at row 26, column 5 with the speakers' mouths; the menu's names,
#   faces and help lines, A and D acting on release with wrap-around; QUIT
#   ends the process with exit code 0 and leaves the save file alone;
# - a save file with all four herbs: BADGER plays the ending, the save file
#   is rewritten, E and P are offered, and P starts the bonus program;
# - a corrupt save file: the error box, then the game goes on or ends as the
#   box is answered, also when the game starts with its standard descriptors
#   closed;
# - the X server ended two seconds into the story, ten times: the game ends
#   within 5 s with an exit code from 1 to 127 and a message, and the save
#   file stays whole.
# It also prints the time from start to the splash and the CPU time the game
# takes while it waits at the menu.
#
# Usage: game_test.sh TARVO BONUS_STUB TOOLS_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/game_lib.sh"

tarvo=$1
bonus_stub=$2
e2e_init "$3"

game_dir_make "$tarvo"
cp "$bonus_stub" "$game_dir/WBNK"

# --- This test's screens -----------------------------------------------------

# The splash logo on rows 7 to 24 from column 25: full blocks, which read as
# blanks of their colour; its top row is colour 15, the others colour 9.
splash_check() {
    colour_wait 7 30 .F
    splash_ms=$(ms_since_start)
    expect_colours 7 29 .0
    expect_colours 16 25 .9
    expect_colours 24 30 .9
    expect_colours 24 31 .0
    at 27 25 "NETTLEFERN GAMES"
    expect_colours 27 25 F0
    expect_colours 16 40 .9
}

menu_check() {
    at 7 1 "$names_row"
    expect_cells 9 8 "( )__( )"
    expect_cells 10 36 "│ o o│"
    expect_cells 11 54 "=_♦)"
    # ECHIDNA's and PIG's faces at rest, down to their feet.
    expect_cells 12 21 "=≡  -║ ≡"
    expect_cells 13 21 "=≡ W  W"
    expect_cells 14 23 "U  U"
    expect_cells 12 36 "U   │"
    expect_cells 13 36 "(   )"
    expect_cells 14 37 "U U"
    expect_cells 17 1 " *BADGER* "
    expect_cells 17 59 " QUIT "
    at 20 22 "CHOOSE AN ANIMAL..."
    highlight_check 0
    expect_cells 25 1 " ∙ Press 'A' or 'D' to highlight an animal."

    # D acts when it is released, not while it is held.
    press d
    sleep 0.3
    shot
    expect_cells 17 2 "*"
    release d
    # On a busy machine the release may come in the press's pass and be
    # dropped (menu_step).
    shown_within 5 help_is 1 || { help_is 0 && menu_step d 1; }
    highlight_check 1
    expect_cells 10 11 "- -"
    expect_cells 17 2 " "
    menu_step d 2
    expect_cells 12 25 "▬ "
    menu_step d 3
    expect_cells 11 38 "o"
    menu_step d 4
    expect_cells 10 53 "o o"
    menu_step d 5
    # Wrap-around both ways.
    menu_step d 0
    menu_step a 5
}

# --- First run: a new game, then QUIT -------------------------------------------
xvfb_start 1024x768x24
game_start
first_window_ms=$window_ms
splash_check
title_wait
[[ -f $save ]] || fail "no save file before the title"
save_is "0,0,0,0,0,0"
tap Return
story_pass
menu_check
saved=$(md5sum <"$save")

# The CPU time the game takes in ten seconds at the menu: all of it, and
# without the software renderer's threads (Xvfb has no GPU, so Mesa draws
# every frame with its llvmpipe threads).
cpu_ticks() {
    local t all=0 own=0 ticks
    for t in /proc/"$program_pid"/task/*; do
        ticks=$(awk '{ print $14 + $15 }' "$t/stat" 2>/dev/null) || continue
        all=$((all + ticks))
        [[ $(cat "$t/comm" 2>/dev/null) == llvmpipe* ]] || own=$((own + ticks))
    done
    echo "$all $own"
}
percent_of_10s() { awk -v t="$1" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.1f", 100 * t / hz / 10 }'; }
read -r all_before own_before < <(cpu_ticks)
sleep 10
read -r all_after own_after < <(cpu_ticks)
menu_cpu_percent=$(percent_of_10s $((all_after - all_before)))
menu_cpu_own_percent=$(percent_of_10s $((own_after - own_before)))

hold Return
program_exit_wait 10
[[ $program_exit_code -eq 0 ]] || fail "exit code $program_exit_code after QUIT"
[[ $(md5sum <"$save") == "$saved" ]] || fail "QUIT changed the save file"

# --- Second run: all four herbs, the ending and the bonus program -------------
printf '1710,2.6,2245,3032,0,0\r\n' >"$save"
game_start
title_wait
tap Return
story_pass
menu_wait
hold Return
ending_pass
at 7 1 "$names_row"
save_is "1710,2.6,2245,3032,400,0"
highlight_check 0 "$ending_help"
expect_cells 31 1 " ∙ Press 'P' to exit and play 'Wobblenook'."
tap p
program_exit_wait 10
[[ $program_exit_code -eq 0 ]] || fail "exit code $program_exit_code after the bonus program started"
for _ in $(seq 100); do [[ -f $game_dir/bonus_ran ]] && break; sleep 0.05; done
[[ $(cat "$game_dir/bonus_ran" 2>/dev/null) == ran ]] || fail "the bonus program did not run"

# --- A corrupt save file: the error box, answered either way ------------------
printf '1,2\r\n' >"$save"
export BOX_ANSWERS=no
game_start
program_exit_wait 20
[[ $program_exit_code -eq 0 ]] || fail "exit code $program_exit_code after \"No\""
grep -q "Unhandled Error #62" "$E2E_DIR/err" || fail "no box for the short save file"
grep -q "Input past end of file" "$E2E_DIR/err" || fail "the box does not say why"

export BOX_ANSWERS=yes
game_start
title_wait
grep -q "Unhandled Error #62" "$E2E_DIR/err" || fail "no box for the short save file"
save_is "1,2"
tap Escape
program_exit_wait 10
[[ $program_exit_code -eq 0 ]] || fail "exit code $program_exit_code after Esc on the title"

# The same, started with standard input, output and error closed as some
# launchers start programs: the box's text must not reach the X connection.
game_env=(sh -c 'exec "$0" <&- >&- 2>&-')
game_start
title_wait
save_is "1,2"
tap Escape
program_exit_wait 10
[[ $program_exit_code -eq 0 ]] || fail "exit code $program_exit_code with closed descriptors"
unset BOX_ANSWERS game_env

# --- The display going away while the game runs, ten times ---------------------
# Each run has a server of its own, ended as at a logout or a server crash.
printf '0,0,0,0,0,0\r\n' >"$save"
for run in $(seq 10); do
    xvfb_start 1024x768x24
    game_start
    title_wait
    tap Return
    sleep 2
    kill -TERM "$xvfb_pid"
    program_exit_wait 5
    ((program_exit_code >= 1 && program_exit_code <= 127)) ||
        fail "display gone, run $run: exit code $program_exit_code"
    [[ -s $E2E_DIR/err ]] || fail "display gone, run $run: no message"
    save_is "0,0,0,0,0,0"
    wait "$xvfb_pid" || true
done

echo "game: window shown after ${first_window_ms} ms, splash logo after ${splash_ms} ms;" \
    "CPU at the menu ${menu_cpu_percent}% of one core, ${menu_cpu_own_percent}% without the" \
    "software renderer's threads"
echo "game: ok"
