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
# - floats (a tiling window manager: i3, herbstluftwm): the window's fixed
#   size and class are there before it is mapped, so the window floats at its
#   size, and comes back to its place after full screen (moved wholly onto
#   the screen); its class and icon name read back;
# - tiled (i3, told by the window's class to tile it): the window keeps the
#   tile's size; back from full screen it asks for its own size only a few
#   times, and shows the whole frame scaled into the tile with its shape kept;
# - host-leaves: the window manager takes the full-screen window out of full
#   screen (i3's full-screen key; under openbox, another client's request):
#   the window stays windowed at its size and the program reads windowed;
# - host-leaves-at-once: the same, asked by another client the moment the
#   window manager puts its full-screen state on the window, before the
#   program may have looked;
# - late-answers, late-answers-stalled: the window manager is stopped
#   (SIGSTOP) for 0.7 s while Alt+Enter is pressed six times from windowed
#   (full screen, the three other full-screen modes, windowed, full screen),
#   and then answers the requests late, in one go; stalled: stopped again
#   for 0.5 s the moment it has answered the request to leave. Each of
#   several rounds ends full screen, as asked last, and stays so;
# - late-answers-removed: the same, and 1 s after the window is full screen
#   another client asks the window manager to take full screen off: each
#   round ends windowed, as asked last;
# - late-answers-long: the same as late-answers, the manager stopped for 5 s;
#   every other round Alt+Enter is pressed five more times halfway through
#   (windowed, then full screen again);
# - alt-held: Alt is held while Return is tapped five times: the window
#   steps through the four full-screen modes and back to windowed, under a
#   window manager that moves the window into a new frame (and so takes the
#   keyboard focus away for a moment) at each change;
# - game, game-two-monitors (PROGRAM is the game): the game starts full
#   screen; Alt+Enter steps to windowed, twice in a row, and each time the
#   window's whole frame lies on one monitor (two of different heights).
# - dead-record (PROGRAM is the game): the window manager was ended by
#   SIGTERM and left its record on the root; the game starts full screen
#   covering the screen, and four Alt+Enter presses make it windowed;
# - resized (Xorg's dummy driver, no window manager running: the one named
#   was ended and left its record): the screen shrinks and grows (xrandr); a
#   full-screen window covers it at each size with the whole frame fitted, a
#   window left off the shrunk screen comes back onto it, and one the
#   program puts partly off it stays there.
# - started-during (PROGRAM is the game): a window manager starts while the
#   window is being made. First the window's first map request is dropped,
#   as a window manager starting up throws its queue away, and the window
#   manager starts after: the window is shown all the same, full screen.
#   Then four starts with the window manager started 0 to 390 ms after the
#   game: each shows its window within 6 s.
# - minimised-at-once (PROGRAM is the game): the window's map requests are
#   dropped past the toolkit's wait, so the loop goes on asking; a window
#   manager then maps the window and the user minimises it at once: 2 s
#   later it is still minimised, not mapped again by the loop.
# - destroyed (PROGRAM is the game): another client destroys the game's
#   window at the title and in the story: the game ends within 3 s with code
#   1 and a message, and the save file is as it was.
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
# i3's configuration: none of its own; cases add their lines.
printf '# i3 config file (v4)\n' >"$E2E_DIR/i3.conf"

monitors=()
if [[ $case_name == game-two-monitors ]]; then
    # One X screen, two monitors of different heights, their tops not
    # aligned: the left one, primary, lower and shorter.
    screen=3200x1200
    monitors=(1280x1024+0+176 1920x1200+1280+0)
fi
if [[ $case_name == resized ]]; then
    screen=1280x1024
    xorg_dummy_start $screen
else
    xvfb_start ${screen}x24
fi
if ((${#monitors[@]})); then
    xrandr --setmonitor '*left' 1280/338x1024/270+0+176 screen >/dev/null &&
        xrandr --setmonitor right 1920/508x1200/317+1280+0 none >/dev/null ||
        fail "xrandr could not set the monitors"
fi

# A window manager that runs names its check window on the root window.
# xfwm4 keeps its settings on a session bus; i3 takes the test's own
# configuration, the others their packaged one (the test's home has none).
# It runs in a session of its own: the system sends SIGHUP to a stopped
# process (SIGSTOP, below) in a process group that the shell which started
# ctest has left.
manager_start() {
    [[ $manager != none ]] || return 0
    case $manager in
    xfwm4) setsid dbus-run-session -- xfwm4 --compositor=off ;;
    i3) setsid i3 -c "$E2E_DIR/i3.conf" ;;
    *) setsid "$manager" ;;
    esac >"$E2E_DIR/manager.log" 2>&1 &
    for i in $(seq 101); do
        xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' && break
        ((i <= 100)) || fail "$manager does not run: $(tail -n 5 "$E2E_DIR/manager.log")"
        sleep 0.05
    done
    # herbstluftwm takes its rules from its start-up script, after it runs.
    [[ $manager != herbstluftwm ]] && return 0
    for i in $(seq 101); do
        herbstclient list_rules 2>/dev/null | grep -q fixedsize && break
        ((i <= 100)) || fail "herbstluftwm has no rule for fixed-size windows"
        sleep 0.05
    done
    # Its start-up script binds Alt+Enter to start a terminal. xdotool sends
    # keys for the focused window through the server, where that binding
    # would take them: the tests' Alt+Enter is the program's.
    herbstclient keyunbind Mod1-Return
}

# Ends the window manager with SIGTERM, as a crash or a kill would; its
# record stays on the root, naming a check window that is gone.
manager_pids() { pgrep -x "$manager" | grep -xF -f <(processes_with "E2E_RUN=$E2E_RUN"); }
manager_end() {
    manager_pids | xargs -r kill -TERM
    for i in $(seq 101); do
        manager_pids >/dev/null || break
        ((i <= 100)) || fail "$manager does not end"
        sleep 0.05
    done
    xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || fail "$manager left no record"
}

# geometry ID: "X Y WIDTH HEIGHT BORDER" of a window, X and Y the outer
# corner of its border.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
        /Width:/ {w = $2} /Height:/ {h = $2} /Border width:/ {b = $3} END {print x, y, w, h, b}'
}

# extents ID: "LEFT RIGHT TOP BOTTOM" of the frame the window manager
# publishes around the window (all 0 when it publishes none).
extents() {
    local e
    e=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p')
    echo "${e:-0, 0, 0, 0}" | tr -d ,
}

# frame_place ID [client]: "X Y WIDTHxHEIGHT", the frame's top left (the
# frame's extents are published by the window manager) and the window's
# size; with "client" the client area's top left (some window managers
# publish their frame's extents while the window is full screen).
frame_place() {
    local left=0 top=0 x y w h
    [[ ${2:-} == client ]] || read -r left _ top _ < <(extents "$1")
    read -r x y w h _ < <(geometry "$1")
    echo "$((x - left)) $((y - top)) ${w}x$h"
}

# frame_wait ID "X Y WIDTHxHEIGHT" [client]: until the frame (or the client
# area) is there at that size.
frame_wait() {
    local place
    for _ in $(seq 100); do
        place=$(frame_place "$1" "${3:-}")
        [[ $place == "$2" ]] && return 0
        sleep 0.05
    done
    fail "$manager: the window is at $place, not $2"
}

# toplevel ID: the window's ancestor that is a child of the root (a
# window manager's frame window, or the window itself).
toplevel() {
    local w=$1 root parent
    while :; do
        read -r root parent < <(xwininfo -children -id "$w" |
            awk '/Root window id:/ {r = $4} /Parent window id:/ {p = $4} END {print r, p}')
        [[ $parent == "$root" || -z $parent ]] && break
        w=$parent
    done
    echo "$w"
}

# frame_whole ID: "X Y WIDTH HEIGHT WxH" of the window's whole frame (the
# client area with the window's border and the frame's extents, and the
# window manager's frame window), then the window's size.
frame_whole() {
    local l r t b x y w h bw fx fy fw fh fb
    read -r l r t b < <(extents "$1")
    read -r x y w h bw < <(geometry "$1")
    read -r fx fy fw fh fb < <(geometry "$(toplevel "$1")")
    local size=${w}x$h
    x=$((x - l)) y=$((y - t)) w=$((w + l + r + 2 * bw)) h=$((h + t + b + 2 * bw))
    fw=$((fw + 2 * fb)) fh=$((fh + 2 * fb))
    ((fx < x)) && w=$((w + x - fx)) x=$fx
    ((fy < y)) && h=$((h + y - fy)) y=$fy
    ((fx + fw > x + w)) && w=$((fx + fw - x))
    ((fy + fh > y + h)) && h=$((fy + fh - y))
    echo "$x $y $w $h $size"
}

# frame_on_monitor_wait ID: until the window has its windowed size and its
# whole frame lies on one monitor.
frame_on_monitor_wait() {
    local x y w h size m mw mh mx my
    local areas=("${monitors[@]:-$screen+0+0}")
    for _ in $(seq 100); do
        read -r x y w h size < <(frame_whole "$1")
        if [[ $size == "$windowed" ]]; then
            for m in "${areas[@]}"; do
                IFS='x+' read -r mw mh mx my <<<"$m"
                ((x >= mx && y >= my && x + w <= mx + mw && y + h <= my + mh)) && return 0
            done
        fi
        sleep 0.05
    done
    fail "$manager: the frame is at $x $y, ${w}x$h with the window $size, on no monitor"
}

# place_on_screen ID: the frame's place and size (frame_place), moved as far
# as the whole frame must move to lie on the screen.
place_on_screen() {
    local x y w h px py size sw=${screen%x*} sh=${screen#*x}
    read -r x y w h _ < <(frame_whole "$1")
    read -r px py size < <(frame_place "$1")
    local dx=$((x < 0 ? -x : (x + w > sw ? sw - w - x : 0)))
    local dy=$((y < 0 ? -y : (y + h > sh ? sh - h - y : 0)))
    echo "$((px + dx)) $((py + dy)) $size"
}

# full_screen_wait ID: until the window covers the screen and the window
# manager holds it full screen.
full_screen_wait() {
    frame_wait "$1" "0 0 $screen" client
    for i in $(seq 101); do
        xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN && break
        ((i <= 100)) || fail "$manager: the window is not full screen for it"
        sleep 0.05
    done
    frame_wait "$1" "0 0 $screen" client
}

# frame_fitted_read ID [stretch]: the whole frame read back from the window,
# scaled into it with its shape kept and centred (bars above and below, or
# left and right), or stretched over the whole window.
frame_fitted_read() {
    local size fit
    size=$(window_size "$1")
    fit=$(awk -v w="${size%x*}" -v h="${size#*x}" -v stretch="${2:-}" 'BEGIN {
        fa = 528 / 296
        if (stretch != "") { dw = w; dh = h; x = 0; y = 0 }
        else if (w / h > fa) { dw = int(h * fa); dh = h; x = int(w / 2) - int(dw / 2); y = 0 }
        else { dw = w; dh = int(w / fa); x = 0; y = int(h / 2) - int(dh / 2) }
        printf "--origin %d,%d --scale %.9f,%.9f", x, y, dw / 528, dh / 296 }')
    # shellcheck disable=SC2086 # the fit's words are the reader's options
    screen_wait "$1" 37 "{[(<0123456789>)]}                                      bottom-rt" \
        --palette 1=AAAAAA,2=64DCDC,3=64DC64,4=DC64DC,5=DCAA64 --size 66x37 $fit
    [[ $(sed -n 1p < <(screen_text "$E2E_DIR/screen.ppm" --size 66x37 $fit)) == "TARVO ZUDUZ"* ]] ||
        fail "$manager: the frame's first row is not in the window"
}

# x_probe_start FILE ARGS...: x_probe in the background (its id in
# $probe_pid, its output in FILE), once it says it is ready.
x_probe_start() {
    local out=$1
    shift
    x_probe "$@" >"$out" &
    probe_pid=$!
    for i in $(seq 101); do
        grep -q ready "$out" && return 0
        ((i <= 100)) || fail "x_probe $1 is not ready"
        sleep 0.05
    done
}

# The tiling cases: i3 and herbstluftwm (with its own rules) float a window
# of one fixed size; a rule on the window's class makes i3 tile it.
if [[ $case_name == floats || $case_name == tiled ]]; then
    [[ $case_name == floats || $manager == i3 ]] || fail "$manager tiles no window by class"
    [[ $case_name == floats ]] ||
        echo 'for_window [class="Window_program"] floating disable' >>"$E2E_DIR/i3.conf"
    manager_start
    program_start "$program"
    output_wait ready
    win=$(window_wait "Window Check")
    [[ $case_name == floats ]] && size=$windowed || size=$(window_size "$win")
    [[ $case_name == floats || ($size != "$windowed" && $size != "$screen") ]] ||
        fail "i3: the tiled window is $size"
    window_size_wait "$win" "$size"
    place=$(place_on_screen "$win")
    program_ask "fullscreen 0" "full screen" >/dev/null
    window_size_wait "$win" "$screen"
    xev -id "$win" -event structure >"$E2E_DIR/xev" &
    sleep 0.2
    program_ask "fullscreen 1" "full screen" >/dev/null
    frame_wait "$win" "$place"
    sleep 2
    configures=$(grep -c ConfigureNotify "$E2E_DIR/xev" || true)
    ((configures <= 6)) || fail "$manager: $configures configure events in 2 s back from full screen"
    if [[ $case_name == floats ]]; then
        [[ $(xprop -id "$win" WM_CLASS) == 'WM_CLASS(STRING) = "window_program", "Window_program"' ]] ||
            fail "$manager: the class reads $(xprop -id "$win" WM_CLASS)"
        [[ $(xprop -id "$win" WM_ICON_NAME _NET_WM_ICON_NAME) == 'WM_ICON_NAME(STRING) = "Window Check"
_NET_WM_ICON_NAME(UTF8_STRING) = "Window Check"' ]] ||
            fail "$manager: the icon name reads $(xprop -id "$win" WM_ICON_NAME _NET_WM_ICON_NAME)"
    else
        frame_fitted_read "$win"
    fi
    program_say end
    program_exit_wait 10
    echo "window manager $manager, $case_name: ok"
    exit 0
fi

# window_check_start: the window manager, then window_program's window
# ($win), windowed.
window_check_start() {
    manager_start
    program_start "$program"
    output_wait ready
    win=$(window_wait "Window Check")
    window_size_wait "$win" "$windowed"
}

# size_stays SIZE MODE [WHEN]: the window keeps SIZE for 2 s, and the
# program reads full-screen MODE (asking for mode 9 asks for nothing: the
# answer is the state).
size_stays() {
    local mode
    for _ in $(seq 20); do
        [[ $(window_size "$win") == "$1" ]] ||
            fail "$manager${3:-}: the window is $(window_size "$win") again"
        sleep 0.1
    done
    mode=$(program_ask "fullscreen 9" "full screen")
    [[ $mode == "full screen $2" ]] || fail "$manager${3:-}: the program reads $mode"
}

# case_end: window_program ends, and the case has passed.
case_end() {
    program_say end
    program_exit_wait 10
    echo "window manager $manager, $case_name: ok"
    exit 0
}

# The window manager ends full screen: the window stays windowed.
if [[ $case_name == host-leaves* ]]; then
    echo 'bindsym Mod1+f fullscreen toggle' >>"$E2E_DIR/i3.conf"
    window_check_start
    if [[ $case_name == host-leaves-at-once ]]; then
        x_probe_start "$E2E_DIR/unfullscreen" unfullscreen "$win" 20
        program_ask "fullscreen 0" "full screen" >/dev/null
        wait "$probe_pid" || fail "$manager: the window was never full screen for it"
    else
        program_ask "fullscreen 0" "full screen" >/dev/null
        full_screen_wait "$win"
        case $manager in
        i3) xdotool windowfocus --sync "$win" key alt+f ;;
        *) wmctrl -i -r "$win" -b remove,fullscreen || fail "wmctrl could not ask" ;;
        esac
    fi
    window_size_wait "$win" "$windowed"
    size_stays "$windowed" 0
    case_end
fi

# The window manager answers late: the window ends as asked last, by the
# program or by another client.
if [[ $case_name == late-answers* ]]; then
    window_check_start
    manager_pid=$(manager_pids)
    manager_gone() { fail "$manager ended: $(tail -n 5 "$E2E_DIR/manager.log")"; }
    # Resumed once, a program that takes a late answer for the manager's own
    # doing goes wrong about one round in five; stopped again, every round.
    stall=0.7 rounds=4 last=full
    case $case_name in
    late-answers) rounds=14 ;;
    late-answers-removed) last=windowed ;;
    late-answers-long) stall=5 rounds=5 ;;
    esac
    presses() { xdotool key --window "$win" --delay 50 $(printf 'alt+Return %.0s' $(seq "$1")); }
    for round in $(seq "${LATE_ROUNDS:-$rounds}"); do
        if [[ $case_name == late-answers-stalled ]]; then
            x_probe_start "$E2E_DIR/stall" stop-after-off "$win" "$manager_pid" 4 0.5
        fi
        kill -STOP "$manager_pid" || manager_gone
        presses 6 &
        if [[ $case_name == late-answers-long ]] && ((round % 2 == 0)); then
            sleep 2.5
            wait $! || fail "xdotool could not press the keys"
            presses 5 &
            sleep 2.5
        else
            sleep "$stall"
        fi
        # On a loaded machine the presses may take longer than the stall.
        wait $! || fail "xdotool could not press the keys"
        kill -CONT "$manager_pid" || manager_gone
        [[ $case_name != late-answers-stalled ]] || wait "$probe_pid" || true
        full_screen_wait "$win"
        if [[ $last == windowed ]]; then
            sleep 1
            wmctrl -i -r "$win" -b remove,fullscreen || fail "wmctrl could not ask"
            window_size_wait "$win" "$windowed"
            size_stays "$windowed" 0 ", round $round"
            continue
        fi
        size_stays "$screen" 1 ", round $round"
        program_ask "fullscreen 1" "full screen" >/dev/null
        window_size_wait "$win" "$windowed"
        for i in $(seq 101); do
            xprop -id "$win" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN || break
            ((i <= 100)) || fail "$manager, round $round: the window stays full screen for it"
            sleep 0.05
        done
    done
    case_end
fi

# Alt held through five taps of Return: back round to windowed.
if [[ $case_name == alt-held ]]; then
    window_check_start
    xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
    xdotool keydown alt
    for _ in 1 2 3 4 5; do
        xdotool key Return
        sleep 0.6
    done
    xdotool keyup alt
    window_size_wait "$win" "$windowed"
    size_stays "$windowed" 0
    case_end
fi

# game_run [unseen]: the game from a folder of its own; its window's id in
# $win (with "unseen", the window is not waited for).
game_run() {
    mkdir "$E2E_DIR/game"
    cp "$program" "$E2E_DIR/game/tarvo"
    cd "$E2E_DIR/game"
    program_start ./tarvo
    [[ ${1:-} == unseen ]] || win=$(window_wait "TARVO ZUDUZ")
}

# map_drop_start COUNT: x_probe drops the first COUNT map requests of the
# next window to be mapped (its id the second line of $E2E_DIR/dropped).
map_drop_start() {
    x_probe_start "$E2E_DIR/dropped" drop-map 20 "$1"
}

# wm_state_wait ID STATE: until the window manager's state of the window
# (WM_STATE) is STATE (Normal, Iconic).
wm_state_wait() {
    for i in $(seq 201); do
        xprop -id "$1" WM_STATE | grep -q "window state: $2" && return 0
        ((i <= 200)) || fail "$manager: the window's state is not $2"
        sleep 0.05
    done
}

# viewable_wait ID SECONDS: until the window is mapped and shown.
viewable_wait() {
    for i in $(seq $(($2 * 20 + 1))); do
        xwininfo -id "$1" 2>/dev/null | grep -q IsViewable && return 0
        ((i <= $2 * 20)) || fail "$manager: the window is not shown after $2 s"
        sleep 0.05
    done
}

if [[ $case_name == started-during ]]; then
    map_drop_start 1
    game_run
    wait "$probe_pid" || fail "no map request came to drop"
    manager_start
    viewable_wait "$win" 6
    full_screen_wait "$win"
    program_end() { kill "$program_pid" && program_exit_wait 5; }
    program_end
    for delay in 0 0.13 0.26 0.39; do
        # A server of its own each time; the window manager ends with it.
        kill "$xvfb_pid" && wait "$xvfb_pid" || true
        xvfb_start ${screen}x24
        program_start ./tarvo
        sleep $delay
        manager_start
        win=$(window_wait "TARVO ZUDUZ")
        viewable_wait "$win" 6
        program_end
    done
    echo "window manager $manager, $case_name: ok"
    exit 0
fi

# The toolkit's wait asks for the map at most 10 times in its 5 s: the 11th
# request is the loop's. The window manager maps the window at a later one.
if [[ $case_name == minimised-at-once ]]; then
    map_drop_start 11
    game_run unseen
    wait "$probe_pid" || fail "fewer than 11 map requests came to drop"
    win=$(sed -n 2p "$E2E_DIR/dropped")
    manager_start
    wm_state_wait "$win" Normal
    xdotool windowminimize "$win"
    wm_state_wait "$win" Iconic
    sleep 2
    [[ $(xprop -id "$win" WM_STATE) == *"window state: Iconic"* &&
        $(xwininfo -id "$win") == *IsUnMapped* ]] || fail "$manager: the window is shown again"
    echo "window manager $manager, $case_name: ok"
    exit 0
fi

# The game's window destroyed by another client, at the title and in the
# story (Enter pressed at the title).
if [[ $case_name == destroyed ]]; then
    manager_start
    game_run
    for at in title story; do
        [[ $at == title ]] || { program_start ./tarvo && win=$(window_wait "TARVO ZUDUZ"); }
        for _ in $(seq 100); do
            [[ -f TarvoData ]] && break
            sleep 0.05
        done
        saved=$(md5sum <TarvoData)
        sleep 3
        [[ $at == title ]] || { xdotool key --window "$win" Return && sleep 2; }
        xdotool windowclose "$win"
        program_exit_wait 3
        [[ $program_exit_code == 1 ]] || fail "$at: exit code $program_exit_code"
        grep -q "destroyed" "$E2E_DIR/err" || fail "$at: no message"
        [[ $(md5sum <TarvoData) == "$saved" ]] || fail "$at: the save file changed"
    done
    echo "window manager $manager, $case_name: ok"
    exit 0
fi

# The game starts full screen: Alt+Enter steps through the full-screen modes
# to windowed (pressed again until the window is windowed), twice. The keys
# are sent to the window itself.
if [[ $case_name == game* ]]; then
    manager_start
    game_run
    for round in 1 2; do
        for i in $(seq 13); do
            ((i <= 12)) || fail "$manager: round $round, the game is not windowed"
            xdotool key --window "$win" alt+Return
            for _ in $(seq 8); do
                [[ $(window_size "$win") == "$windowed" ]] && break 2
                sleep 0.1
            done
        done
        frame_on_monitor_wait "$win"
        xdotool key --window "$win" alt+Return
        for i in $(seq 101); do
            [[ $(window_size "$win") != "$windowed" ]] && break
            ((i <= 100)) || fail "$manager: round $round, the game stays windowed"
            sleep 0.05
        done
    done
    echo "window manager $manager, $case_name: ok"
    exit 0
fi

# The record of a window manager that was ended: the game acts as with none.
if [[ $case_name == dead-record ]]; then
    manager_start
    manager_end
    game_run
    frame_wait "$win" "0 0 $screen" client
    # Stretched, smoothed, shape kept, smoothed: all full screen; then windowed.
    for press in 1 2 3 4; do
        [[ $(window_size "$win") == "$screen" ]] ||
            fail "$manager: after $((press - 1)) Alt+Enter the game is $(window_size "$win")"
        xdotool key --window "$win" alt+Return
        sleep 0.3
    done
    frame_on_monitor_wait "$win"
    echo "window manager $manager, $case_name: ok"
    exit 0
fi

# The screen resized with no window manager running (one named was ended,
# leaving its record).
if [[ $case_name == resized ]]; then
    if [[ $manager != none ]]; then
        manager_start
        manager_end
    fi
    screen_set() {
        xrandr --output DUMMY0 --mode "$1" --fb "$1" || fail "xrandr could not set $1"
        screen=$1
    }
    program_start "$program"
    output_wait ready
    win=$(window_wait "Window Check")
    program_ask "fullscreen 0" "full screen" >/dev/null
    frame_wait "$win" "0 0 $screen" client
    for size in 1024x768 1600x1200; do
        screen_set $size
        frame_wait "$win" "0 0 $screen" client
        frame_fitted_read "$win" stretch
    done
    program_ask "fullscreen 1" "full screen" >/dev/null
    window_size_wait "$win" "$windowed"
    program_ask "move 1300 1000" "at:" >/dev/null
    frame_wait "$win" "1300 1000 $windowed"
    screen_set 1024x768
    frame_on_monitor_wait "$win"
    # xrandr shrinks the screen in more than one step (the output that does
    # not fit off, the screen's size, the output on), which a loaded program
    # may read apart, reading every 250 ms: the move comes once it has read
    # the last.
    sleep 1
    program_ask "move 700 600" "at:" >/dev/null
    frame_wait "$win" "700 600 $windowed"
    sleep 1
    [[ $(frame_place "$win") == "700 600 $windowed" ]] ||
        fail "resized: the window moved from where the program put it, to $(frame_place "$win")"
    program_say end
    program_exit_wait 10
    echo "window manager $manager, $case_name: ok"
    exit 0
fi

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
    frame_on_monitor_wait "$win"
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
