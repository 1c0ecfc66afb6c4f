#!/usr/bin/env bash
# The error dialog on a real (virtual) X display: the first box is answered
# "Yes" with the Y key and the program goes on with its next statement; the
# second box is answered by clicking "No", which ends the program with exit
# code 0.
#
# Usage: error_dialog_test.sh PROGRAM
set -euo pipefail

program=$1
workdir=$(mktemp -d)
xvfb_pid=
program_pid=

cleanup() {
    [[ -n $program_pid ]] && kill "$program_pid" 2>/dev/null || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$workdir"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    for f in out err; do
        [[ -f $workdir/$f ]] && { echo "--- program std$f:" >&2; cat "$workdir/$f" >&2; }
    done
    exit 1
}

# Starts Xvfb on the first free display from :90 upward and exports DISPLAY.
start_xvfb() {
    local n i
    for n in $(seq 90 150); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        for i in $(seq 100); do
            kill -0 "$xvfb_pid" 2>/dev/null || break
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then
                export DISPLAY=":$n"
                return 0
            fi
            sleep 0.05
        done
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=
    done
    fail "no free X display between :90 and :150"
}

# Waits for a visible window whose title is $1 and prints its id.
find_box() {
    timeout 20 xdotool search --sync --onlyvisible --name "$1" | head -n 1 ||
        fail "no window titled \"$1\""
}

# Waits up to ten seconds for the text $1 in the program's standard output.
wait_for_output() {
    local i
    for i in $(seq 200); do
        grep -qxF "$1" "$workdir/out" && return 0
        sleep 0.05
    done
    fail "the program did not print \"$1\""
}

start_xvfb
unset BOX_ANSWERS
# No sound card is needed: OpenAL writes to a discarded wave file.
ALSOFT_CONF="$(dirname "$0")/../programs/openal_discard.conf" "$program" >"$workdir/out" 2>"$workdir/err" &
program_pid=$!

box=$(find_box "Unhandled Error #5")
[[ -n $box ]] || fail "no window titled \"Unhandled Error #5\""
xdotool windowfocus --sync "$box"
xdotool key y
wait_for_output "after first error"

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
grep -qxF "statement 10" "$workdir/out" || fail "statement 10 did not run"
grep -qxF "after second error" "$workdir/out" && fail "the program went on after \"No\""
errors=$(<"$workdir/err")
[[ $errors == *$'[Unhandled Error #5]\nLine:10\nIllegal function call\nContinue?'* ]] ||
    fail "first box not on standard error"
[[ $errors == *$'[Unhandled Error #9]\nLine:30\nSubscript out of range\nContinue?'* ]] ||
    fail "second box not on standard error"
echo "error dialog: ok"
