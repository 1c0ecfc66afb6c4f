#!/usr/bin/env bash
# Scaled copies on a real (virtual) X display: a 32-bit screen with scaled,
# mirrored, transparent and alpha copies and a hardware image copied onto the
# hardware layer. The window's screenshot must equal, pixel for pixel, the
# picture the program computed with the per-pixel reference (scaled to the
# window's size by nearest pixel).
#
# Usage: scaled_copy_test.sh PROGRAM TOOLS_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"

program=$1
e2e_init "$2"
xvfb_start
export LIBGL_ALWAYS_SOFTWARE=1

program_start "$program" "$E2E_DIR/expected.ppm"
output_wait ready 20
id=$(window_wait "Scaled Copy")
# The window follows the frame's size once the frame is shown, which may come
# after "ready": the size, and with it the expected picture, is taken anew
# for every screenshot.
differing=unknown
for i in $(seq 50); do
    size=$(window_size "$id")
    # Without a window manager the window may sit partly off the screen,
    # where a screenshot cannot reach: compare the part that is on it.
    read -r x y < <(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}')
    cut_x=$((x < 0 ? -x : 0)) cut_y=$((y < 0 ? -y : 0))
    convert "$E2E_DIR/expected.ppm" -filter point -resize "${size}!" \
        -crop "+${cut_x}+${cut_y}" +repage "$E2E_DIR/want.ppm"
    screenshot "$id" "$E2E_DIR/shot.ppm"
    differing=$(compare -metric AE "$E2E_DIR/shot.ppm" "$E2E_DIR/want.ppm" null: 2>&1 || true)
    [[ $differing == 0 ]] && break
    sleep 0.1
done
if [[ $differing != 0 ]]; then
    cp "$E2E_DIR/shot.ppm" "$E2E_DIR/want.ppm" /tmp/ 2>/dev/null || true
    fail "the window differs from the expected picture in $differing pixels ($size)"
fi
program_say end
program_exit_wait 10
[[ $program_exit_code == 0 ]] || fail "exit code $program_exit_code"
echo "scaled copies: the window equals the expected picture ($size)"
