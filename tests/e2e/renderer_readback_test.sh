#!/usr/bin/env bash
# The GL renderer's pictures read back pixel by pixel, on its own virtual X
# display with Mesa's software renderer.
#
# Usage: renderer_readback_test.sh PROGRAM
set -euo pipefail

program=$1
xvfb_pid=

cleanup() {
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT

# Starts Xvfb on the first free display from :100 upward and exports DISPLAY.
start_xvfb() {
    local n i
    for n in $(seq 100 160); do
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
    echo "FAIL: no free X display between :100 and :160" >&2
    exit 1
}

start_xvfb
export LIBGL_ALWAYS_SOFTWARE=1
"$program"
