#!/usr/bin/env bash
# Takes the README's pictures of the game under a virtual display: the title
# screen and the animal menu, as docs/title.png and docs/menu.png.
#
#   tools/game_screenshots.sh build
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
source "$root/tests/e2e/lib.sh"
source "$root/tests/e2e/game_lib.sh"
e2e_init "$build/tests/e2e"
game_dir_make "$build/tarvo"
xvfb_start 1024x768x24
game_start
title_wait
screenshot "$win" "$E2E_DIR/title.ppm"
tap Return
story_pass
menu_wait
screenshot "$win" "$E2E_DIR/menu.ppm"
convert "$E2E_DIR/title.ppm" "$root/docs/title.png"
convert "$E2E_DIR/menu.ppm" "$root/docs/menu.png"
echo "docs/title.png docs/menu.png"
