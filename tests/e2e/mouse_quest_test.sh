#!/usr/bin/env bash
# FOX's talk with the Mouse, played by typed answers in one run of the game:
# - the way to the herb: the weather, the deaths in the forest and the Badger
#   named a friend, the Mouse's wellbeing, then his love life (the
#   confession), the potion promised, and the herb asked for; the herb
#   picture and its texts, "0,0,0,3032,0,0" in the save file at once, and
#   the menu's herb line for FOX;
# - a second visit where a topic is asked twice: the Mouse walks away,
#   vanishes from the picture, and the save file is left alone.
#
# Usage: mouse_quest_test.sh TARVO TOOLS_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/quest_lib.sh"

e2e_init "$2"
quest_init "$1"
xvfb_start 1024x768x24
game_to_menu
save_is "0,0,0,0,0,0"

fox=4
fox_herb_row=31 # below FOX's six help lines and a blank row

# mouse_menu: the Mouse menu, ready for an answer.
mouse_menu() {
    at 11 1 "1. Ask for the Herb"
    row_is 17 "What do you want to talk about?"
    # The Mouse stands in rows 7 to 9 from column 15 of the picture.
    [[ -n $(cells 7 15 5 | tr -d ' ')$(cells 8 15 5 | tr -d ' ')$(cells 9 15 5 | tr -d ' ') ]] ||
        { screen_dump; fail "no Mouse in the picture"; }
}

# --- The talk that wins the herb ----------------------------------------------
menu_choose $fox
mouse_menu
mouse_picture=$(sed -n 1,10p "$E2E_DIR/screen.txt")

# Small talk.
answer 2
at 11 1 "1. 'Beautiful weather we're having.'"
row_is 14 "What do you say?"
answer 1
at 15 1 "The Mouse says, 'Yep.'"
row_is 17 "Press ENTER to go Back:"
answer ""

# Local news, and the Badger named a close friend.
mouse_menu
answer 3
at 11 1 "1. 'Any recent deaths in the forest?'"
row_is 15 "What do you say?"
answer 1
at 16 1 "The Mouse says, 'The old Bear finally kicked the bucket..."
at 20 1 "1. 'Yes, we're pretty tight.'"
row_is 22 "What do you say?"
answer 1
row_is 23 "The Mouse says, 'Oh, nice.' Press ENTER to go back:"
answer ""

# Personal talk.
mouse_menu
answer 4
at 11 1 "1. 'How've you been?'"
row_is 16 "What do you say?"
answer 1
at 17 1 "The Mouse says, 'Fine. My cotton crop was great this year..."
row_is 20 "Press ENTER to go back:"
answer ""

# The confession and the potion promise.
mouse_menu
answer 4
row_is 16 "What do you say?"
answer 3
at 17 1 "The Mouse says, 'Well... honestly I've been pretty lonely..."
at 22 1 "do you think you could get her to make one for me?'"
at 24 1 "1. Yes, I can do that for you."
row_is 27 "What do you say?"
answer 1
at 28 1 "The Mouse says, 'Awesome! You're the best!'"
row_is 30 "Press ENTER to go back:"
answer ""

# The herb.
mouse_menu
[[ $(sed -n 1,10p "$E2E_DIR/screen.txt") == "$mouse_picture" ]] || fail "the Mouse picture changed"
answer 1
at 11 1 "The Mouse says, 'Oh, I suppose you need it for my Love Potion..."
at 14 1 "Thanks a lot, Fox. You're the best!!!!!!!!!!!!!!!!!!!!!!'"
row_is 16 "Press ENTER to continue:"
save_is "0,0,0,0,0,0"
answer ""
# The herb picture (its frame and blossoms), the text below it, and the herb
# saved before the prompt.
row_is 11 "You got the Herb!"
# The frame's top is lower half blocks (which a reader cannot tell from upper
# ones of swapped colours): the top of the first cell dark, its bottom lit.
[[ $(pixel "$E2E_DIR/screen.ppm" 8 4) == 000000 && $(pixel "$E2E_DIR/screen.ppm" 8 17) != 000000 ]] ||
    fail "the herb picture's frame does not start with a lower half block"
expect_cells 10 1 "▀▀▀▀▀"
expect_cells 2 1 "▌"
expect_cells 3 12 "{☼}"
expect_cells 5 9 "{☼} │ {☼}"
expect_cells 9 11 "\\ │ /"
row_is 13 "Press ENTER to go back to the Clearing:"
[[ -z $(row_text 12 | tr -d ' ') ]] || fail "no blank row before the prompt"
save_is "0,0,0,3032,0,0"
answer ""

# The menu again: FOX's herb line.
menu_wait
menu_highlight $fox
at $fox_herb_row 1 "  ***YOU HAVE THE HERB***"
# The other animals have no herb yet.
hold a
at 24 1 " ∙ ${menu_help[3]}"
at 33 1 "                         "

# --- A topic asked twice: the Mouse walks away ---------------------------------
hold d
at 24 1 " ∙ ${menu_help[4]}"
hold Return
mouse_menu
answer 3
row_is 15 "What do you say?"
answer 2
# 67 characters: the line wraps.
at 16 1 "The Mouse says, \`A bunch of hornets built their nest in the swamp."
row_is 17 ".."
row_is 20 "Press ENTER to go back:"
answer ""
mouse_menu
answer 3
row_is 15 "What do you say?"
answer 2
at 16 1 "The Mouse says, 'We already talked about this!"
at 17 1 "The Mouse walks away."
# The rest of the longer line stays after the new text.
at 17 22 "conversation. Goodbye!'"
row_is 19 "Press ENTER to return to the clearing:"
for r in 7 8 9; do
    expect_cells $r 15 "     "
done
answer ""
menu_wait
save_is "0,0,0,3032,0,0"

echo "mouse quest: ok"
