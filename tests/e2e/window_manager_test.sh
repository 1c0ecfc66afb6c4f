#!/usr/bin/env bash
# The window under a window manager (openbox, or the one named; "none" for
# none), which frames it and may place it itself:
# - the frame's top left reads back where another client moved it, and where
#   the program moved it once the window is there too;
# - hiding and showing the window keeps its place;
# - full screen and back gives the window its rectangle back;
# - a maximise request leaves the window at its fixed size;
# - the title is there as UTF-8 (_NET_WM_NAME) beside Latin-1 (WM_NAME).
# Cases of their own (the fourth argument):
# - full-screen-first: the window goes full screen before the window manager
#   starts and places it; it stays full screen under the window manager, and
#   leaving full screen brings its frame back wholly on the screen;
# - outside-resize: another client resizes the full-screen window; it covers
#   the screen again, and leaving full screen brings it back on the screen.
#
# Usage: window_manager_test.sh PROGRAM TOOLS_DIR [WINDOW_MANAGER [CASE]]
set -euo pipefail
source "$(dirname "$0")/lib.sh"

program=$1
manager=${3:-openbox}
case_name=${4:-table}
e2e_init "$2"
windowed=528x296
screen=1024x768

xvfb_start ${screen}x24

# A window manager that runs names its check window on the root window.
# xfwm4 keeps its settings on a session bus.
manager_start() {
    [[ $manager != none ]] || return 0
    case $manager in
    xfwm4) dbus-run-session -- xfwm4 --compositor=off ;;
    *) "$manager" ;;
    esac >"$E2E_DIR/manager.log" 2>&1 &
    for i in $(seq 101); do
        xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' && break
        ((i <= 100)) || fail "$manager does not run: $(tail -n 5 "$E2E_DIR/manager.log")"
        sleep 0.05
    done
}

# frame_place ID: "X Y WIDTHxHEIGHT", the frame's top left and the window's
# size (the frame's extents are published by the window manager).
frame_place() {
    local extents left top
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p')
    IFS=', ' read -r left _ top _ <<<"${extents:-0, 0, 0, 0}"
    xwininfo -id "$1" | awk -v l="$left" -v t="$top" '/Absolute upper-left X/ {x = $4}
        /Absolute upper-left Y/ {y = $4} /Width:/ {w = $2} /Height:/ {h = $2}
        END {print x - l, y - t, w "x" h}'
}

# frame_wait ID "X Y WIDTHxHEIGHT": until the frame is there at that size.
frame_wait() {
    local place
    for _ in $(seq 100); do
        place=$(frame_place "$1")
        [[ $place == "$2" ]] && return 0
        sleep 0.05
    done
    fail "$manager: the window is at $place, not $2"
}

# frame_on_screen_wait ID: until the window has its windowed size and its
# frame, extents included, lies wholly on the screen.
frame_on_screen_wait() {
    local extents left right top bottom place
    for _ in $(seq 100); do
        extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p')
        IFS=', ' read -r left right top bottom <<<"${extents:-0, 0, 0, 0}"
        place=$(xwininfo -id "$1" | awk -v l="$left" -v r="$right" -v t="$top" -v b="$bottom" \
            '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
             /Width:/ {w = $2} /Height:/ {h = $2}
             END {print x - l, y - t, w + l + r, h + t + b, w "x" h}')
        read -r x y w h size <<<"$place"
        [[ $size == "$windowed" ]] && ((x >= 0 && y >= 0 && x + w <= ${screen%x*} &&
            y + h <= ${screen#*x})) && return 0
        sleep 0.05
    done
    fail "$manager: the frame is at $x $y, ${w}x$h with the window $size"
}

# full_screen_wait ID: until the window covers the screen and the window
# manager holds it full screen.
full_screen_wait() {
    frame_wait "$1" "0 0 $screen"
    for i in $(seq 101); do
        xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN && break
        ((i <= 100)) || fail "$manager: the window is not full screen for it"
        sleep 0.05
    done
    frame_wait "$1" "0 0 $screen"
}

# Both cases: full screen, the case's own step, full screen still (or
# again), then back to a window wholly on the screen.
if [[ $case_name != table ]]; then
    [[ $case_name == full-screen-first ]] || manager_start
    program_start "$program"
    output_wait ready
    win=$(window_wait "Window Check")
    program_ask "fullscreen 0" "full screen" >/dev/null
    case $case_name in
    full-screen-first)
        frame_wait "$win" "0 0 $screen"
        manager_start
        ;;
    outside-resize)
        full_screen_wait "$win"
        wmctrl -i -r "$win" -e 0,-1,-1,800,600 || fail "wmctrl could not ask for the resize"
        sleep 0.5
        ;;
    *) fail "no case $case_name" ;;
    esac
    full_screen_wait "$win"
    program_ask "fullscreen 1" "full screen" >/dev/null
    frame_on_screen_wait "$win"
    program_say end
    program_exit_wait 10
    echo "window manager $manager, $case_name: ok"
    exit 0
fi

manager_start
program_start "$program"
output_wait ready
win=$(window_wait "Window Check")
window_size_wait "$win" "$windowed"

# Each step: a command of the program, or one of another client ("outside"
# moves the window, "maximise" asks the window manager to maximise it and
# gives it half a second to do so); where the frame must then be and at what
# size ("hidden": not mapped); what the program then reads as its place. An
# underscore stands for a blank.
while read -r step command frame read_place; do
    case $command in
    outside_*) xdotool windowmove "$win" ${command//[!0-9]/ } ;;
    maximise) x_probe maximise "$win" && sleep 0.5 ;;
    *) program_ask "${command//_/ }" "" >/dev/null ;;
    esac
    if [[ $frame == hidden ]]; then
        for i in $(seq 101); do
            xwininfo -id "$win" | grep -q IsUnMapped && break
            ((i <= 100)) || fail "$manager: the window is still mapped"
            sleep 0.05
        done
    else
        frame_wait "$win" "${frame//_/ }"
    fi
    answer=$(program_ask where at:)
    [[ $answer == "at: ${read_place/_/ }" ]] ||
        fail "$manager, $step: the program reads $answer, not ${read_place/_/ }"
done <<TABLE
moved-outside  outside_300_150  300_150_$windowed  300_150
moved          move_200_100     200_100_$windowed  200_100
hidden         hide             hidden             200_100
shown-again    show             200_100_$windowed  200_100
full-screen    fullscreen_0     0_0_1024x768       0_0
back-from-it   fullscreen_1     200_100_$windowed  200_100
maximised      maximise         200_100_$windowed  200_100
TABLE

# The title in both properties (xprop shows each as UTF-8).
program_ask $'title T\xe9t\xe9 A' ok >/dev/null
for property in '_NET_WM_NAME(UTF8_STRING)' 'WM_NAME(STRING)'; do
    for _ in $(seq 50); do
        title=$(xprop -id "$win" "${property%(*}")
        [[ $title == "$property = \"Tété A\"" ]] && break
        sleep 0.1
    done
    [[ $title == "$property = \"Tété A\"" ]] || fail "$manager: the title reads $title"
done

program_say end
program_exit_wait 10
echo "window manager $manager: ok"
