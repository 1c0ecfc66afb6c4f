#!/usr/bin/env bash
# The window on a real (virtual) X display:
# - the game's screen (SCREEN 0, WIDTH 66, 37, font 8, custom palette) reads
#   back from a screenshot with exactly the text and colours printed;
# - the border is fixed: the window manager is told the window's only size;
# - mouse buttons, wheel notches and motion over the window reach the mouse
#   queries, relative motion from the raw pointer device too;
# - keys typed into the window reach the program;
# - synthetic desktop key strokes and clicks reach the program's own window;
# - typed keys reach an INPUT line, echoed on the screen before Enter;
# - the window carries the title the program set, and a new one;
# - full screen with the aspect kept, stretched, and back to a window: the
#   window's size and where the frame is drawn in it; Alt+Enter;
# - a move reads back at once as the place asked for, and a move by another
#   client after it shows at once;
# - stretched full screen covers the screen wherever the window was;
# - of two full-screen requests at once the last wins;
# - the clipboard between the program and another X client, both ways;
# - with no display the process ends with exit code 1;
# - a close request while the program handles exit requests itself leaves the
#   window open; otherwise it ends the process with exit code 0, also when the
#   program is stuck in a statement;
# - a SIGSEGV that is not the GL library's fault while the window is made
#   ends the process by the signal: one sent by another process once the
#   window is there, and, through SETUP_FAULT_SHIM, one sent and a fault on
#   another thread while the window is made and its server has gone.
#
# Usage: window_test.sh PROGRAM TOOLS_DIR CLIPBOARD_PEER SETUP_FAULT_SHIM
set -euo pipefail
source "$(dirname "$0")/lib.sh"

program=$1
clip_peer=$3
fault_shim=$4
e2e_init "$2"

palette=1=AAAAAA,2=64DCDC,3=64DC64,4=DC64DC,5=DCAA64
frame_width=528
frame_height=296

# The expected screen: 37 rows of 66 cells, text and colours (two characters
# a cell: foreground and background; "." foreground for a blank cell).
expected_text=()
expected_colours=()
for row in $(seq 37); do
    expected_text+=("$(printf '%66s' '')")
    expected_colours+=("$(printf '.0%.0s' $(seq 66))")
done

# put ROW COLUMN FORE BACK TEXT
put() {
    local row=$(($1 - 1)) col=$(($2 - 1)) fore=$3 back=$4 text=$5 i c colours=
    local line=${expected_text[row]}
    expected_text[row]="${line:0:col}${text}${line:col+${#text}}"
    for ((i = 0; i < ${#text}; i++)); do
        c=${text:i:1}
        [[ $c == " " ]] && colours+=".$back" || colours+="$fore$back"
    done
    line=${expected_colours[row]}
    expected_colours[row]="${line:0:col*2}${colours}${line:col*2+${#colours}}"
}
put 1 1 2 0 "TARVO ZUDUZ"
put 5 10 F 1 "Hello, window!"
put 12 20 3 0 "green"
put 12 26 4 3 "magenta"
put 12 34 5 6 "orange"
put 20 30 E 4 "╔══╗░▒▓☺♥"
put 37 57 9 0 "bottom-rt"
put 37 1 C 5 "{[(<0123456789>)]}"
expected=$(printf '%s\n' "${expected_text[@]}"; echo "--"; printf '%s\n' "${expected_colours[@]}")

# screen_check FILE [READER OPTIONS]: the whole screen reads as expected.
screen_check() {
    local got
    got=$(screen_read "$@" --palette "$palette" --size 66x37)
    if [[ $got != "$expected" ]]; then
        diff <(echo "$expected") <(echo "$got") >&2 || true
        fail "the screen in $1 does not read as printed"
    fi
}

# hints_check ID WIDTH HEIGHT: the window manager is told that the window's
# only size is WIDTH x HEIGHT, so its border cannot be dragged.
hints_check() {
    local hints
    hints=$(xprop -id "$1" WM_NORMAL_HINTS)
    grep -q "minimum size: $2 by $3\$" <<<"$hints" && grep -q "maximum size: $2 by $3\$" <<<"$hints" ||
        fail "window $1 is not fixed at $2 x $3: $hints"
}

# mouse_wait DX DY "X Y" EVENTS: takes the program's mouse records until
# their summed relative movement is DX DY ("*" for any), the last position
# is column X, row Y and the button and wheel events among them read EVENTS.
mouse_wait() {
    local dx=0 dy=0 at= events= answer mx my x y rest i
    for i in $(seq 50); do
        answer=$(program_ask mouse "mouse:")
        read -r _ mx my _ x y rest <<<"$answer"
        dx=$((dx + mx)) dy=$((dy + my)) at="$x $y"
        [[ -n $rest ]] && events="${events:+$events }$rest"
        if [[ ($1 == "*" || "$dx $dy" == "$1 $2") && $at == "$3" && $events == "$4" ]]; then
            return 0
        fi
        sleep 0.1
    done
    fail "mouse moved $dx $dy, at $at, events \"$events\"; expected $1 $2, at $3, events \"$4\""
}

# The scale and origin of a frame drawn into a 1024 x 768 screen.
scale_of() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.9f", a / b }'; }

# --- No display: the window cannot be had, exit code 1 ----------------------
# Its input is a pipe that never ends (the program holds its other end): at
# the end of its input the program would end by SYSTEM, and an end of the
# program's own that comes first keeps its code.
code=0
mkfifo "$E2E_DIR/no-display-input"
env -u DISPLAY "$program" <>"$E2E_DIR/no-display-input" >/dev/null 2>"$E2E_DIR/err" || code=$?
[[ $code -eq 1 ]] || fail "exit code $code without a display, expected 1"

# --- The screen, the title, full screen and the clipboard -------------------
xvfb_start 1024x768x24
program_start "$program"
output_wait ready
win=$(window_wait "Window Check")
# With no window manager the toolkit's window sits at (-1, -1); move it fully
# onto the screen so that screenshots hold all of it.
xdotool windowmove --sync "$win" 0 0
window_size_wait "$win" "${frame_width}x$frame_height"
screen_wait "$win" 37 "{[(<0123456789>)]}" --palette "$palette"
screen_check "$E2E_DIR/screen.ppm"
hints_check "$win" "$frame_width" "$frame_height"

# The mouse, in text cells of 8 x 8 pixels (column = x / 8 + 0.5). The
# pointer enters the window here for the first time, which starts relative
# motion from the raw pointer device; the move into the window itself
# carries none.
xdotool mousemove --window "$win" --sync 100 52
mouse_wait 0 0 "13 7" ""
# Left, right, middle (buttons 1, 2, 3 of the queries), a wheel notch up and
# one down.
xdotool click 1 click 3 click 2 click 4 click 5
mouse_wait 0 0 "13 7" "down 1 at 13 7 up 1 at 13 7 down 2 at 13 7 up 2 at 13 7 down 3 at 13 7 up 3 at 13 7 wheel -1 wheel 1"
# Relative motion: the raw device's movement, down right, then up left.
xdotool mousemove_relative 30 20
mouse_wait 30 20 "16.75 9.5" ""
xdotool mousemove_relative -- -10 -5
mouse_wait -10 -5 "15.5 8.875" ""

# keys_expect CODES: the key-hit codes the program reads, gathered over
# several asks until as long as CODES, are exactly CODES.
keys_expect() {
    local keys= answer
    for _ in $(seq 50); do
        answer=$(program_ask keys "keys:")
        keys+=${answer#keys:}
        [[ ${#keys} -ge ${#1} ]] && break
        sleep 0.1
    done
    [[ $keys == "$1" ]] || fail "keys read \"$keys\", not \"$1\""
}

# Keys reach the program through the toolkit's callbacks and the window's
# first look at key messages: Shift+Tab, which the toolkit does not report,
# arrives once; the release of Shift+b releases "B" although Shift went up
# first.
xdotool windowfocus --sync "$win"
xdotool type --delay 20 'aB'
xdotool key --delay 20 shift+Tab Return F1 Left
keys_expect " 97 -97 100304 66 -100304 -66 100304 9 -100304 -9 13 -13 15104 -15104 19200 -19200"

# Synthetic desktop input reaches the focused window: the layout's Shift
# comes with "H" and "!"; the click lands at its screen position. An
# absolute move by the desktop reports no relative movement the test can
# rely on, so that is not checked.
program_say "desktop-type Hi!"
output_wait ok
keys_expect " 100304 72 -72 -100304 105 -105 100304 33 -33 -100304"
program_say "desktop-click 40 20"
output_wait ok
mouse_wait "*" "*" "5.5 3" "down 1 at 5.5 3 up 1 at 5.5 3"

program_say "title Changed Title"
output_wait ok
[[ $(window_wait "Changed Title") == "$win" ]] || fail "the title did not change"

# Full screen keeping the aspect: 528 x 296 on 1024 x 768 is drawn 1024 x 574
# from row 97, with bars above and below.
program_say "fullscreen 3"
output_wait "full screen 2"
window_size_wait "$win" 1024x768
xprop -id "$win" WM_NORMAL_HINTS | grep -q "maximum size" && fail "full screen keeps a fixed size"
scale=$(scale_of 1024 $frame_width),$(scale_of 574 $frame_height)
screen_wait root 1 "TARVO ZUDUZ" --origin 0,97 --scale "$scale" --size 66x37
screen_check "$E2E_DIR/screen.ppm" --origin 0,97 --scale "$scale"
[[ $(pixel "$E2E_DIR/screen.ppm" 4 96) == 000000 && $(pixel "$E2E_DIR/screen.ppm" 4 671) == 000000 ]] ||
    fail "no bars above and below the frame"

# Stretched: the frame fills the screen.
program_say "fullscreen 0"
output_wait "full screen 1"
scale=$(scale_of 1024 $frame_width),$(scale_of 768 $frame_height)
screen_wait root 37 "{[(<0123456789>)]}" --scale "$scale" --size 66x37
screen_check "$E2E_DIR/screen.ppm" --scale "$scale"

# Back to a window of the frame's size, drawn 1:1.
program_say "fullscreen 1"
output_wait "full screen 0"
window_size_wait "$win" "${frame_width}x$frame_height"
xdotool windowmove --sync "$win" 0 0
screen_wait "$win" 1 "TARVO ZUDUZ" --palette "$palette"
screen_check "$E2E_DIR/screen.ppm"
hints_check "$win" "$frame_width" "$frame_height"

# window_place_wait ID "X Y WIDTHxHEIGHT": until the window is there.
window_place_wait() {
    local i place
    for i in $(seq 100); do
        place=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $4}
            /Absolute upper-left Y/ {y = $4} /Width:/ {w = $2} /Height:/ {h = $2}
            END {print x, y, w "x" h}')
        [[ $place == "$2" ]] && return 0
        sleep 0.05
    done
    fail "window $1 is at $place, not $2"
}
windowed="${frame_width}x$frame_height"

# A move reads back at once as the place asked for, x and y as one pair;
# centring, read only later, puts the window in the middle. A move by another
# client once the window is there ("-" none) is seen at once: it shows in a
# read 0.3 s later, well before the wait for the program's own move ends.
while read -r command x y outside; do
    if [[ $command == move ]]; then
        [[ $(program_ask "move $x $y" at:) == "at: $x $y" ]] ||
            fail "after a move to $x $y the window reads $(output_last at:)"
    else
        program_ask "$command" ok >/dev/null
    fi
    window_place_wait "$win" "$x $y $windowed"
    [[ $outside == - ]] && continue
    xdotool windowmove --sync "$win" $outside
    sleep 0.3
    [[ $(program_ask where at:) == "at: $outside" ]] ||
        fail "a move by another client to $outside reads $(output_last at:)"
done <<TABLE
move   300 200 -
move   10 20   -
centre 248 236 40 60
move   0 0     -
TABLE

# Stretched full screen covers the whole screen from wherever the window was
# (no window manager here); leaving puts the window back.
for place in "200 100" "0 0"; do
    program_ask "move $place" at: >/dev/null
    program_ask "fullscreen 0" "full screen" >/dev/null
    window_place_wait "$win" "0 0 1024x768"
    program_ask "fullscreen 1" "full screen" >/dev/null
    window_place_wait "$win" "$place $windowed"
done

# Two requests at once: the last wins. From the window START (mode 1
# windowed, 0 stretched), modes A then B: full_screen_get right after, the
# state once both are served, and the window then.
while read -r start a b get served size; do
    program_ask "fullscreen $start" "full screen" >/dev/null
    window_size_wait "$win" "$([[ $start == 1 ]] && echo "$windowed" || echo 1024x768)"
    answer=$(program_ask "fullscreen-pair $a $b" pair:)
    [[ $answer == "pair: $get $served" ]] || fail "requests $a then $b: $answer, not $get $served"
    window_size_wait "$win" "$size"
done <<TABLE
1 0 1 0 0 $windowed
0 1 0 1 1 1024x768
TABLE
program_ask "fullscreen 1" "full screen" >/dev/null
window_place_wait "$win" "0 0 $windowed"

# Alt+Enter: stretched full screen, then back through the program.
xdotool windowfocus --sync "$win"
xdotool key alt+Return
window_size_wait "$win" 1024x768
program_say "fullscreen 1"
output_wait "full screen 0"
window_size_wait "$win" "${frame_width}x$frame_height"

# INPUT echoes typed keys on the screen as they come (the string takes no
# comma, Backspace drops the last character) and ends with Enter.
xdotool windowfocus --sync "$win"
program_say "input Name? "
screen_wait "$win" 30 "Name? " --palette "$palette"
xdotool type --delay 20 'Zedd'
xdotool key BackSpace
xdotool type --delay 20 ', 42'
screen_wait "$win" 30 "Name? Zed 42" --palette "$palette"
grep -q '^input:' "$E2E_DIR/out" && fail "INPUT ended before Enter"
xdotool key Return
output_wait "input:Zed 42"

# The clipboard: the program's text reaches another client, and back.
# clip_serve TEXT: another client owns the clipboard with TEXT as UTF-8.
# The file it reports to is emptied first: the redirection of a command in
# the background comes later, and the last client's "owned" would be read.
clip_serve() {
    printf '%s' "$1" >"$E2E_DIR/clip"
    : >"$E2E_DIR/probe"
    "$clip_peer" serve UTF8_STRING "$E2E_DIR/clip" whole >>"$E2E_DIR/probe" &
    probe_pid=$!
    for _ in $(seq 600); do grep -q owned "$E2E_DIR/probe" && return 0; sleep 0.05; done
    fail "the other client did not take the clipboard"
}
# clip_end: that client ended.
clip_end() { kill "$probe_pid" 2>/dev/null && wait "$probe_pid" 2>/dev/null || true; }
program_say "clip-set Hello clipboard"
output_wait ok
"$clip_peer" read UTF8_STRING "$E2E_DIR/clip" && [[ $(<"$E2E_DIR/clip") == "Hello clipboard" ]] ||
    fail "the X selection does not hold the program's text"
program_say "clip-get"
output_wait "clip:Hello clipboard"
clip_serve "From outside"
program_say "clip-get"
output_wait "clip:From outside"
clip_end
# Text from the desktop arrives as Latin-1 bytes; what Latin-1 lacks is "?".
clip_serve "Grüße €"
program_say "clip-get"
output_wait "$(printf 'clip:Gr\xfc\xdfe ?')"
clip_end

# A close request while the program handles exit requests: the window stays.
program_say "guard-exit"
output_wait ok
x_probe close "$win"
output_wait "close requested"
xwininfo -id "$win" | grep -q "IsViewable" || fail "the window closed on the close request"
kill -0 "$program_pid" || fail "the process ended on a handled close request"
program_say "end"
program_exit_wait 10
[[ $program_exit_code -eq 0 ]] || fail "exit code $program_exit_code after SYSTEM"

# --- A close request ends the process with exit code 0 ----------------------
program_start "$program"
output_wait ready
win=$(window_wait "Window Check")
x_probe close "$win"
program_exit_wait 10
[[ $program_exit_code -eq 0 ]] || fail "exit code $program_exit_code after a close request"

# --- ... also while the program is stuck inside a statement ------------------
program_start "$program"
output_wait ready
win=$(window_wait "Window Check")
program_say "block"
output_wait blocking
x_probe close "$win"
program_exit_wait 10
[[ $program_exit_code -eq 0 ]] || fail "exit code $program_exit_code after a close request"

# --- A SIGSEGV not the GL library's ends the process by the signal -----------
# Sent by another process once the window is there; while the window is made
# and its server has gone (the preload), sent, and a fault on another thread.
# The end by the signal shows as 139 (the core is not kept here), or under
# AddressSanitizer, whose handler ours hands the signal back to, as its
# report; none is taken for the GL library's fault (a lost display's end).
ulimit -c 0
while read -r how; do
    if [[ $how == sent-later ]]; then
        program_start "$program"
        output_wait ready
        kill -SEGV "$program_pid"
    else
        preload_env "$fault_shim"
        program_start "${preload[@]}" "SETUP_FAULT=$how" "$program"
    fi
    program_exit_wait 5
    [[ $program_exit_code == 139 ]] || grep -q 'AddressSanitizer: SEGV' "$E2E_DIR/err" ||
        fail "SIGSEGV $how: exit code $program_exit_code, not the signal's"
    ! grep -q '^X connection' "$E2E_DIR/err" || fail "SIGSEGV $how: taken for the GL library's fault"
done <<TABLE
sent-later
sent
thread
TABLE

echo "window: ok"
