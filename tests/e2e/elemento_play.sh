# Elemento won from the animal menu. The Vole's cards are read off the
# screen while they are shown face up and each is answered with the card
# that beats it (Fire for Tree, Tree for Water, Water for Fire), so no deal
# is hard-coded; RT_RANDOMIZE_STATE only makes the deals repeat.
# - rounds of 5, 7 and 9 cards, then a 9-card round of variation 2: the two
#   points lines after every card, the player's card as chosen with A and D,
#   the Vole's card revealed as dealt;
# - "SUPER-MAJORITY!" after the won 9-card round and not after the others;
#   the five empty streak marks in variation 2 only;
# - 9 points of 9 win: the Vole gives in, the herb picture, "YOU GOT THE
#   HERB!", the herb saved, and the menu with TARVO's herb line.
#
# Sourced after lib.sh and game_lib.sh.

# The first card's column for a round of 5, 7 or 9 cards; the others follow
# every 7 columns.
first_column() {
    case $1 in
    5) echo 16 ;;
    7) echo 9 ;;
    9) echo 2 ;;
    esac
}

# face_of INNER: the card whose fourth row has these five inner cells (the
# Vole's cards at row 12, the player's at row 22).
face_of() {
    case $1 in
    "OOOOO") echo tree ;;
    " ▒▒▒ ") echo water ;;
    "  (  ") echo fire ;;
    "▓▒░▒▓") echo back ;;
    "     ") echo none ;;
    *) echo "unknown($1)" ;;
    esac
}

# face_is ROW COL CARD: the last shot shows CARD with its inner cells at (ROW,
# COL).
face_is() { [[ $(face_of "$(cells "$1" "$2" 5)") == "$3" ]]; }

# beater CARD: the card that beats it, and the keys that turn the player's new
# card (always Tree) into it: A goes back one card, D on one.
beater() {
    case $1 in
    tree) echo fire ;;
    water) echo tree ;;
    fire) echo water ;;
    esac
}
keys_for() {
    case $1 in
    fire) echo a ;;
    tree) echo "" ;;
    water) echo d ;;
    esac
}

points_line() { printf "%s %d / %d " "$1" "$2" "$3"; }

# deal_read COUNT: waits for the Vole's COUNT cards shown face up on the
# cleared round screen and reads them into $deal[]. Returns 1 when the backs
# cover them first: the one-second show was missed.
deal_read() {
    local count=$1 column i face faces=() deadline=$((SECONDS + 60))
    column=$(first_column "$count")
    while ((SECONDS < deadline)); do
        shot
        faces=()
        for i in $(seq 0 $((count - 1))); do
            faces+=("$(face_of "$(cells 12 $((column + 7 * i + 1)) 5)")")
        done
        [[ ${faces[0]} == back ]] && return 1
        if cells_are 32 23 "$(points_line "Tarvo's Points:" 0 "$count")" &&
            [[ " ${faces[*]} " != *" none "* ]]; then
            for i in "${faces[@]}"; do
                [[ $i == tree || $i == water || $i == fire ]] || fail "a dealt card reads $i"
            done
            deal=("${faces[@]}")
            return 0
        fi
        sleep 0.02
    done
    screen_dump
    fail "no deal of $count cards"
}

# round_play COUNT VARIATION: one round won with every pair. The Vole's
# cards are read during the show, the backs checked, and each of the
# player's cards chosen, confirmed and checked against the revealed card.
# In variation 2 the ninth point wins at once. Returns 1 when the deal was
# missed.
round_play() {
    local count=$1 variation=$2 column i c key want
    column=$(first_column "$count")
    deal_read "$count" || return 1
    echo "elemento: round of $count cards: ${deal[*]}"
    # The streak marks: five empty ones in variation 2, none in variation 1.
    if ((variation == 2)); then
        expect_cells 34 29 "· · · · ·"
    else
        expect_cells 34 1 "$(printf '%66s' '')"
    fi
    expect_cells 5 23 "$(points_line " Vole's Points:" 0 "$count")"
    # The backs cover the faces.
    at 12 $((column + 1)) "▓▒░▒▓"
    for i in $(seq 1 "$count"); do
        c=$((column + 7 * (i - 1)))
        want=$(beater "${deal[i - 1]}")
        for key in $(keys_for "$want"); do tap "$key"; done
        tap Return
        # The last card of the winning round goes straight on to the win.
        ((variation == 2 && i == count)) && break
        at 32 23 "$(points_line "Tarvo's Points:" "$i" "$count")"
        expect_cells 5 23 "$(points_line " Vole's Points:" 0 "$count")"
        # The cards were drawn before the points, but a frame built while the
        # game draws may show the points and not yet the card above them.
        poll 5 "card $i of the player does not read $want" face_is 22 $((c + 1)) "$want"
        poll 5 "card $i of the Vole is not revealed as ${deal[i - 1]}" \
            face_is 12 $((c + 1)) "${deal[i - 1]}"
    done
}

# round_end_blank COUNT: in the two seconds after a won 5- or 7-card round
# (the points still up) no banner is shown.
round_end_blank() {
    sleep 0.5
    shot
    if cells_are 32 23 "$(points_line "Tarvo's Points:" "$1" "$1")"; then
        expect_cells 2 1 "$(printf '%66s' '')"
    fi
}

# elemento_enter: TARVO chosen at the menu, variation 2 of the rules skipped
# to the rounds.
elemento_enter() {
    menu_choose 1
    at 19 2 "Type a number:"
    tap 2
    tap Return
    at 21 2 "We start in"
}

# elemento_win BEFORE AFTER: from the menu, Elemento
# won; the save file holds BEFORE until the herb, AFTER from then on; back at
# the menu with TARVO's herb line checked.
elemento_win() {
    local count=5 variation=1 misses=0
    elemento_enter
    # Every pair won: 5, 7 and 9 cards in variation 1, then 9 of 9 in
    # variation 2 wins. A machine too busy to read the deal in its one second
    # leaves with Esc and comes back; the card count starts again.
    while true; do
        if ! round_play $count $variation; then
            misses=$((misses + 1))
            ((misses < 4)) || fail "the Vole's cards were covered before they could be read, $misses times"
            echo "elemento: the deal was missed; again"
            tap Escape
            menu_wait
            elemento_enter
            count=$((variation == 1 ? 5 : 9))
            continue
        fi
        ((variation == 2)) && break
        if ((count == 9)); then
            at 2 27 "SUPER-MAJORITY!"
            expect_colours 2 27 20
            save_is "$1"
            variation=2
        else
            round_end_blank $count
            count=$((count + 2))
        fi
    done

    # The win: the Vole gives in, then the herb.
    at 12 2 "Oh poo. Looks like I owe you some Angelica."
    expect_cells 4 1 "▌    ( )__( )             ▐"
    at 12 2 "YOU GOT THE HERB!"
    # The top frame row is lower half blocks in colour 2; with no cell before
    # them the screen reader takes them for upper half blocks in colour 0 on 2.
    expect_cells 1 1 "$(printf '▀%.0s' $(seq 27))"
    [[ $(sed -n 1p "$E2E_DIR/colours.txt") == "$(printf '02%.0s' $(seq 27)).0"* ]] ||
        fail "the herb picture's top row is not lower half blocks in colour 2"
    expect_cells 3 1 "▌        * * *            ▐"
    expect_cells 4 1 "▌       *_\\│/_*           ▐"
    expect_cells 5 1 "▌       * /│\\ *           ▐"
    expect_cells 6 1 "▌        * │ *            ▐"
    expect_cells 7 1 "▌        │\\│              ▐"
    expect_cells 8 1 "▌         \\│/│            ▐"
    expect_cells 9 1 "▌          │/             ▐"
    expect_cells 10 1 "▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀"
    expect_colours 12 2 20
    expect_cells 13 1 "          "
    save_wait "$2"
    at 12 2 "Alright, Go on, Gyet!"

    menu_wait
    herb_line_check 1
}
