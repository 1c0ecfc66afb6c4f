#!/usr/bin/env bash
# The emulated screen memory through a real window:
# - text PRINTed on the screen, BSAVEd from segment B800h, CLS, BLOADed,
#   reads back from a screenshot; the file starts with the BSAVE header;
# - CALL ABSOLUTE runs machine code that stores 'A' with attribute 1Eh at
#   B800:0000, and the screen shows it yellow on blue.
#
# Usage: memory_test.sh PROGRAM TOOLS_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"

program=$(realpath "$1")
e2e_init "$(realpath "$2")"

# command WORD [ARG]: runs a command and waits for its answer.
command() {
    program_ask "$*" "done $1" >/dev/null
}

# row_colours ROW: the colours of one screen row.
row_colours() {
    screen_colours "$E2E_DIR/screen.ppm" --font 16 --size 80x25 | sed -n "$1p"
}

xvfb_start 1024x768x24
program_start "$program"
output_wait ready
win=$(window_wait Untitled)
# With no window manager the window sits at (-1, -1): move it onto the screen.
xdotool windowmove --sync "$win" 0 0
screen_wait "$win" 3 "    SAVED TO DISK AND BACK" --font 16 --size 80x25

# The program works in its own directory: give the file a full name.
saved=$E2E_DIR/SCREEN.BIN
command bsave "$saved"
header=$(xxd -l 7 -p "$saved")
[[ $header == fd00b80000a00f ]] || fail "BSAVE header reads $header"
[[ $(stat -c %s "$saved") -eq 4007 ]] || fail "$saved is not 4007 bytes"

command cls
screen_wait "$win" 3 "$(printf '%80s' '')" --font 16 --size 80x25
command bload "$saved"
screen_wait "$win" 3 "    SAVED TO DISK AND BACK" --font 16 --size 80x25

command call
screen_wait "$win" 1 "A " --font 16 --size 80x25
colours=$(row_colours 1)
[[ ${colours:0:2} == E1 ]] || fail "'A' has colours ${colours:0:2}, not E1"

program_say end
program_exit_wait
[[ $program_exit_code -eq 0 ]] || fail "exit code $program_exit_code"
echo "memory test passed"
