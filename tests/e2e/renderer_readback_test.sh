#!/usr/bin/env bash
# The GL renderer's pictures read back pixel by pixel, on its own virtual X
# display with Mesa's software renderer.
#
# Usage: renderer_readback_test.sh PROGRAM
set -euo pipefail

program=$1
source "$(dirname "$0")/lib.sh"
e2e_init "$(dirname "$program")"
xvfb_start
export LIBGL_ALWAYS_SOFTWARE=1
"$program"
