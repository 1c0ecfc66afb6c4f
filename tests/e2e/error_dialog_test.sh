#!/usr/bin/env bash
# The error dialog on a real (virtual) X display: the first box is answered
# "Yes" with the Y key and the program goes on with its next statement; the
# second box is answered by clicking "No", which ends the program with exit
# code 0.
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

xvfb_start
program_start "$program"

box=$(find_box "Unhandled Error #5")
[[ -n $box ]] || fail "no window titled \"Unhandled Error #5\""
xdotool windowfocus --sync "$box"
xdotool key y
output_wait "after first error"

box=$(find_box "Unhandled Error #9")
[[ -n $box ]] || fail "no window titled \"Unhandled Error #9\""
# The dialog centres its buttons along the bottom: each at least 72 px wide,
# 12 px apart, with a 16 px margin below; "No" is the right one.
eval "$(xdotool getwindowgeometry --shell "$box")"
xdotool mousemove --window "$box" $((WIDTH / 2 + 42)) $((HEIGHT - 28)) click 1

for _ in $(seq 200); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.05
done
kill -0 "$program_pid" 2>/dev/null && fail "the program did not end after \"No\""
code=0
wait "$program_pid" || code=$?
program_pid=

[[ $code -eq 0 ]] || fail "exit code $code, expected 0"
grep -qxF "statement 10" "$E2E_DIR/out" || fail "statement 10 did not run"
grep -qxF "after second error" "$E2E_DIR/out" && fail "the program went on after \"No\""
errors=$(<"$E2E_DIR/err")
[[ $errors == *$'[Unhandled Error #5]\nLine:10\nIllegal function call\nContinue?'* ]] ||
    fail "first box not on standard error"
[[ $errors == *$'[Unhandled Error #9]\nLine:30\nSubscript out of range\nContinue?'* ]] ||
    fail "second box not on standard error"
echo "error dialog: ok"
