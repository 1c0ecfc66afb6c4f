#!/usr/bin/env bash
# A picture program (picture_program.h) on a real (virtual) X display: the
# window's screenshot must equal, pixel for pixel, the picture the program
# computed with the per-pixel references (scaled to the window's size by
# nearest pixel).
#
# Usage: window_picture_test.sh PROGRAM TOOLS_DIR TITLE
set -euo pipefail
source "$(dirname "$0")/lib.sh"

program=$1 title=$3
e2e_init "$2"
xvfb_start
export LIBGL_ALWAYS_SOFTWARE=1

program_start "$program" "$E2E_DIR/expected.ppm"
output_wait ready 20
id=$(window_wait "$title")
window_expect_picture "$id" "$E2E_DIR/expected.ppm"
program_say end
program_exit_wait 10
[[ $program_exit_code == 0 ]] || fail "exit code $program_exit_code"
echo "$title: the window equals the expected picture"
