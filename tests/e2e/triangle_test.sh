#!/usr/bin/env bash
# Textured triangles on a real (virtual) X display: software triangles
# (rotated, blended, wrapping, a split quad, one cut at the edges) and a
# hardware triangle on the hardware layer. The window's screenshot must
# equal, pixel for pixel, the picture the program computed with the
# per-pixel reference.
#
# Usage: triangle_test.sh PROGRAM TOOLS_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"

program=$1
e2e_init "$2"
xvfb_start
export LIBGL_ALWAYS_SOFTWARE=1

program_start "$program" "$E2E_DIR/expected.ppm"
output_wait ready 20
id=$(window_wait "Textured Triangles")
window_expect_picture "$id" "$E2E_DIR/expected.ppm"
program_say end
program_exit_wait 10
[[ $program_exit_code == 0 ]] || fail "exit code $program_exit_code"
echo "textured triangles: the window equals the expected picture"
