#!/usr/bin/env bash
# DRAW, GET and PUT in a window: on SCREEN 12 and SCREEN 13 the drawing script
# program draws a picture with DRAW (turns, scale, colours, PAINT), takes a
# sprite with GET and moves it across the picture with pairs of PUT XOR, then
# writes the colours of its page; a screenshot of its window must equal that
# file pixel for pixel.
#
# Usage: draw_get_put_test.sh DRAW_SCRIPT_PROGRAM TOOLS_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"

program=$1
e2e_init "$2"
xvfb_start

# scene MODE: the script lines of one scene.
scene() {
    local x
    cat <<SCRIPT
SCREEN $1
DRAW BM40,150 C14 U60 E30 F30 D60 L60 BM+10,-10 P4,14
DRAW BM150,40 C10 S8 R10 TA30 R10 TA60 R10 TA90 R10 TA0 S4 BM200,120 C12 A1 U20 A0
DRAW C9 BM5,5 R20 D20 L20 U20 BM10,10 P13,9
GET 5 5 25 25 sprite
SCRIPT
    for x in 30 60 90 120; do
        echo "PUT $x 100 sprite XOR"
        echo "PUT $x 100 sprite XOR"
    done
    echo "PUT 150 100 sprite XOR"
    echo "SHOW"
}

# check NAME SCENE-ARGS...
check() {
    page_shown_check "$1" "$program" scene "${@:2}"
}

check mode-12 12
check mode-13 13
