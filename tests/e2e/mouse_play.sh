# FOX's talk with the Mouse, won by typed answers: the weather, the deaths in
# the forest and the Badger named a friend, the Mouse's wellbeing, then his
# love life (the confession), the potion promised, and the herb asked for;
# the herb picture and its texts, the herb saved at once, and the menu's herb
# line for FOX.
#
# Sourced after lib.sh and game_lib.sh.

# mouse_menu: the Mouse menu, ready for an answer.
mouse_menu() {
    at 11 1 "1. Ask for the Herb"
    row_is 17 "What do you want to talk about?"
    # The Mouse stands in rows 7 to 9 from column 15 of the picture.
    [[ -n $(cells 7 15 5 | tr -d ' ')$(cells 8 15 5 | tr -d ' ')$(cells 9 15 5 | tr -d ' ') ]] ||
        { screen_dump; fail "no Mouse in the picture"; }
}

# mouse_win BEFORE AFTER: from the menu, the herb talked
# out of the Mouse; the save file holds BEFORE until the herb, AFTER from
# then on; back at the menu with FOX's herb line.
mouse_win() {
    local picture
    menu_choose 4
    mouse_menu
    picture=$(sed -n 1,10p "$E2E_DIR/screen.txt")

    # Small talk.
    say 2
    at 11 1 "1. 'Beautiful weather we're having.'"
    row_is 14 "What do you say?"
    say 1
    at 15 1 "The Mouse says, 'Yep.'"
    row_is 17 "Press ENTER to go Back:"
    say ""

    # Local news, and the Badger named a close friend.
    mouse_menu
    say 3
    at 11 1 "1. 'Any recent deaths in the forest?'"
    row_is 15 "What do you say?"
    say 1
    at 16 1 "The Mouse says, 'The old Bear finally kicked the bucket..."
    at 20 1 "1. 'Yes, we're pretty tight.'"
    row_is 22 "What do you say?"
    say 1
    row_is 23 "The Mouse says, 'Oh, nice.' Press ENTER to go back:"
    say ""

    # Personal talk.
    mouse_menu
    say 4
    at 11 1 "1. 'How've you been?'"
    row_is 16 "What do you say?"
    say 1
    at 17 1 "The Mouse says, 'Fine. My cotton crop was great this year..."
    row_is 20 "Press ENTER to go back:"
    say ""

    # The confession and the potion promise.
    mouse_menu
    say 4
    row_is 16 "What do you say?"
    say 3
    at 17 1 "The Mouse says, 'Well... honestly I've been pretty lonely..."
    at 22 1 "do you think you could get her to make one for me?'"
    at 24 1 "1. Yes, I can do that for you."
    row_is 27 "What do you say?"
    say 1
    at 28 1 "The Mouse says, 'Awesome! You're the best!'"
    row_is 30 "Press ENTER to go back:"
    say ""

    # The herb.
    mouse_menu
    [[ $(sed -n 1,10p "$E2E_DIR/screen.txt") == "$picture" ]] || fail "the Mouse picture changed"
    say 1
    at 11 1 "The Mouse says, 'Oh, I suppose you need it for my Love Potion..."
    at 14 1 "Thanks a lot, Fox. You're the best!!!!!!!!!!!!!!!!!!!!!!'"
    row_is 16 "Press ENTER to continue:"
    save_is "$1"
    say ""
    # The herb picture (its frame and blossoms), the text below it, and the
    # herb saved before the prompt.
    row_is 11 "You got the Herb!"
    # The frame's top is lower half blocks (which a reader cannot tell from
    # upper ones of swapped colours): the top of the first cell dark, its
    # bottom lit.
    [[ $(pixel "$E2E_DIR/screen.ppm" 8 4) == 000000 && $(pixel "$E2E_DIR/screen.ppm" 8 17) != 000000 ]] ||
        fail "the herb picture's frame does not start with a lower half block"
    expect_cells 10 1 "▀▀▀▀▀"
    expect_cells 2 1 "▌"
    expect_cells 3 12 "{☼}"
    expect_cells 5 9 "{☼} │ {☼}"
    expect_cells 9 11 "\\ │ /"
    row_is 13 "Press ENTER to go back to the Clearing:"
    [[ -z $(row_text 12 | tr -d ' ') ]] || fail "no blank row before the prompt"
    save_is "$2"
    say ""

    menu_wait
    herb_line_check 4
}
