#!/usr/bin/env bash
# The error dialog on a real (virtual) X display, answered through its keys,
# its buttons and the close request:
# - run 1: on the first box Esc and the close request do nothing and Y
#   answers "Yes", so the program goes on with its next statement; on the
#   second box Tab moves the drawn focus to "No", Shift+Tab back and Right
#   again, and Enter then answers "No", which ends the program (exit code 0);
# - run 2: Tab twice brings the focus back to "Yes", which Enter presses;
#   a click on "No" answers the second box.
#
# Usage: error_dialog_test.sh PROGRAM
set -euo pipefail

program=$1
source "$(dirname "$0")/lib.sh"
e2e_init "$(dirname "$program")"

# Waits for a visible window whose title is $1 and prints its id.
find_box() {
    timeout 20 xdotool search --sync --onlyvisible --name "$1" | head -n 1 ||
        fail "no window titled \"$1\""
}

# box_shot NAME: a screenshot of the box into $E2E_DIR/NAME.ppm, once it is
# drawn (its text is black).
box_shot() {
    for _ in $(seq 50); do
        screenshot "$box" "$E2E_DIR/$1.ppm"
        [[ $(convert "$E2E_DIR/$1.ppm" -format '%[fx:minima]' info:) == 0 ]] && return 0
        sleep 0.1
    done
    fail "the box $box is not drawn"
}
# box_wait same|different NAME: until the box looks the same as, or different
# from, the shot NAME (a key's redraw comes in its own time).
box_wait() {
    local differing=unknown
    for _ in $(seq 50); do
        screenshot "$box" "$E2E_DIR/now.ppm"
        differing=$(compare -metric AE "$E2E_DIR/now.ppm" "$E2E_DIR/$2.ppm" null: 2>&1 || true)
        [[ $1 == same && $differing == 0 || $1 == different && $differing != 0 ]] && return 0
        sleep 0.1
    done
    fail "the box is not $1 from shot $2 ($differing pixels differ)"
}
# keys KEY...: each key to the box, in turn.
keys() {
    xdotool windowfocus --sync "$box"
    local key
    for key; do xdotool key "$key"; done
}
# still_up WHAT: the box is still shown a while after WHAT.
still_up() {
    sleep 0.5
    [[ $(xwininfo -id "$box" 2>/dev/null) == *IsViewable* ]] || fail "$1 took the box down"
}
# ended_with_no: the program ended (exit code 0) without its last statement.
ended_with_no() {
    program_exit_wait 10
    [[ $program_exit_code -eq 0 ]] || fail "exit code $program_exit_code, expected 0"
    grep -qxF "after second error" "$E2E_DIR/out" && fail "the program went on after \"No\""
    return 0
}

xvfb_start

# --- Run 1 ---------------------------------------------------------------------
program_start "$program"
box=$(find_box "Unhandled Error #5")
keys Escape
still_up Esc
x_probe close "$box"
still_up "the close request"
keys y
output_wait "after first error"

box=$(find_box "Unhandled Error #9")
box_shot yes_focused
keys Tab
box_wait different yes_focused
box_shot no_focused
keys shift+Tab
box_wait same yes_focused
keys Right
box_wait same no_focused
keys Return
ended_with_no
grep -qxF "statement 10" "$E2E_DIR/out" || fail "statement 10 did not run"
errors=$(<"$E2E_DIR/err")
[[ $errors == *$'[Unhandled Error #5]\nLine:10\nIllegal function call\nContinue?'* ]] ||
    fail "first box not on standard error"
[[ $errors == *$'[Unhandled Error #9]\nLine:30\nSubscript out of range\nContinue?'* ]] ||
    fail "second box not on standard error"

# --- Run 2 ---------------------------------------------------------------------
program_start "$program"
box=$(find_box "Unhandled Error #5")
box_shot yes_focused
keys Tab Tab
box_wait same yes_focused
keys Return
output_wait "after first error"
box=$(find_box "Unhandled Error #9")
# The dialog centres its buttons along the bottom: each at least 72 px wide,
# 12 px apart, with a 16 px margin below; "No" is the right one.
eval "$(xdotool getwindowgeometry --shell "$box")"
xdotool mousemove --window "$box" $((WIDTH / 2 + 42)) $((HEIGHT - 28)) click 1
ended_with_no
echo "error dialog: ok"
