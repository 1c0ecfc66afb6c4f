#!/usr/bin/env bash
# Drawing in a window: for SCREEN 12, SCREEN 13 and a 32-bit page, the
# drawing script program draws a scene of lines, styled and filled boxes,
# circles, ellipses, arcs with radius lines and PAINT (plain and tiled on
# palette pages, blended on the 32-bit page), inside a VIEW and a WINDOW,
# and writes the colours of its page; a screenshot of its window must equal
# that file pixel for pixel.
#
# Usage: drawing_test.sh DRAW_SCRIPT_PROGRAM TOOLS_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"

program=$1
e2e_init "$2"
xvfb_start

# scene MODE FILL BORDER BLEND TILE: the script lines of one scene.
scene() {
    local mode=$1 fill=$2 border=$3 blend=$4 tile=$5
    cat <<SCRIPT
SCREEN $mode
LINE 0 0 639 479 $fill BF -
LINE 10 10 300 150 $border - -
LINE 20 140 200 20 $border B 0xF0F0
LINE 40 40 120 90 $border BF -
CIRCLE 160 100 60 $border - - -
PAINT 160 60 $blend $border
CIRCLE 160 100 30 $border 1 0.5 -
CIRCLE 60 150 25 $border -0.5 -2.5 0.5
LINE 10 170 150 198 $border B -
VIEW 200 20 310 190 $fill $border
WINDOW 0 0 10 10
CIRCLE 5 5 4 $border - - -
PAINT 5 5 $blend $border
LINE 0 0 10 10 $border - 0xAAAA
VIEW
WINDOW
$tile
SHOW
SCRIPT
}

# check NAME SCENE-ARGS...
check() {
    page_shown_check "$1" "$program" scene "${@:2}"
}

check mode-12 12 1 14 4 "PAINT_TILE 80 185 F00F0F0F0F0F0FF0C3 14"
check mode-13 13 17 40 90 "PAINT_TILE 80 185 0102030405 40"
check page-32 32 0xFF102030 0xFFFFFF00 0x80FF0000 ""
