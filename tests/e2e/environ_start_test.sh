#!/usr/bin/env bash
# A windowed program that sets 200 variables with ENVIRON in its first
# statements, while the window opens, starts and ends cleanly 30 times out of
# 30: it reads its variables back, its window shows, and SYSTEM ends it with
# exit code 0.
#
# Usage: environ_start_test.sh PROGRAM TOOLS_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"

program=$(realpath "$1")
e2e_init "$(realpath "$2")"
export BOX_ANSWERS=no # an error ends the program instead of waiting

xvfb_start
for run in $(seq 30); do
    program_start "$program"
    output_wait "ready ok" 20
    window_wait Untitled >/dev/null
    program_say end
    program_exit_wait 20
    [[ $program_exit_code -eq 0 ]] || fail "run $run: exit code $program_exit_code"
done
echo "environ start test passed"
