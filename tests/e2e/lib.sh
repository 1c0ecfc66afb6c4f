# Helpers for end-to-end tests: a virtual X display of the test's own, a
# program under test fed through its standard input, its window, screenshots
# and the text read back from them.
#
# Usage in a test script:
#
#   source "$(dirname "$0")/lib.sh"
#   e2e_init TOOLS_DIR          # folder of screen_reader and x_probe
#   xvfb_start                  # exports DISPLAY
#   program_start PROGRAM ARGS...
#   output_wait ready
#   win=$(window_wait "Title")
#   screen_wait "$win" 1 "TEXT"  # until row 1 of the screen starts with TEXT
#   screen_read "$E2E_DIR/screen.ppm" --palette 1=AAAAAA
#
# Every helper that waits gives up after a time limit and fails the test
# with the program's output attached. Cleanup on exit, whether the test
# passes or fails, ends every process the test started.

# The tests read other programs' output (pactl, df, findmnt, xprop): those
# answer in English whatever the user's language, which LANGUAGE would pick
# even under LC_ALL.
export LC_ALL=C.UTF-8 LANG=C.UTF-8
unset LANGUAGE
# Tools in /usr/sbin and /sbin (mkfs.exfat, mkfs.vfat, losetup) are found for
# a user whose PATH lacks those folders, as a normal user's on Debian does.
for _sbin in /usr/sbin /sbin; do
    [[ :$PATH: == *":$_sbin:"* ]] || PATH=$PATH:$_sbin
done
export PATH
# Test programs need no sound card: OpenAL writes a discarded wave file. The
# file's "drivers = wave" pins OpenAL to that writer, so no system audio library
# is loaded; ALSOFT_DRIVERS would override it.
export ALSOFT_CONF
ALSOFT_CONF="$(cd "$(dirname "${BASH_SOURCE[0]}")/../programs" && pwd)/openal_discard.conf"
unset ALSOFT_DRIVERS
unset BOX_ANSWERS

E2E_DIR=
E2E_TOOLS=
xvfb_pid=
program_pid=
program_input=
program_exit_code=

# processes_with NAME=VALUE: the ids of the live processes whose environment
# holds that entry. A shell's own exports do not show in its environment, only
# in what it starts.
processes_with() {
    local files=(/proc/[0-9]*/environ)
    grep -lzxF -- "$1" "${files[@]}" 2>/dev/null | cut -d/ -f3 || true
}

# processes_end NAME=VALUE: ends the processes whose environment holds the
# entry: TERM (so that Xvfb removes its lock), KILL for any left after 2 s.
processes_end() {
    local i signal=TERM pids
    for i in $(seq 60); do
        pids=$(processes_with "$1")
        [[ -n $pids ]] || return 0
        ((i <= 40)) || signal=KILL
        kill -s "$signal" $pids 2>/dev/null || true
        sleep 0.05
    done
}

# Every process the test starts inherits E2E_RUN, at any depth: helpers
# started in a subshell, children the program starts (SHELL, RUN, a CHAIN's
# receiver) and theirs are ended with the program and the display.
e2e_cleanup() {
    if [[ -n $program_input ]]; then exec {program_input}>&- || true; fi
    processes_end "E2E_RUN=$E2E_RUN"
    wait 2>/dev/null
    [[ -n $E2E_DIR ]] && rm -rf "$E2E_DIR"
    return 0
}

# e2e_init TOOLS_DIR: a scratch folder ($E2E_DIR), the run's mark (E2E_RUN)
# and the cleanup trap, which also runs when the test is stopped by a signal.
# Everything the test starts gets a home, configuration, cache and runtime
# folder inside the scratch folder: window managers, sound servers and Mesa's
# shader cache neither read the user's settings nor leave files in the
# user's home, and the user's session bus, X authority and display are not
# theirs (a test that needs a display starts its own).
e2e_init() {
    E2E_TOOLS=$1
    E2E_DIR=$(mktemp -d)
    export E2E_RUN=$E2E_DIR
    trap e2e_cleanup EXIT
    trap 'exit 143' TERM INT HUP
    export HOME="$E2E_DIR/home" XDG_RUNTIME_DIR="$E2E_DIR/run"
    export XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache"
    export XDG_DATA_HOME="$HOME/.local/share" XDG_STATE_HOME="$HOME/.local/state"
    unset XDG_CONFIG_DIRS MESA_SHADER_CACHE_DIR XAUTHORITY DBUS_SESSION_BUS_ADDRESS
    unset DISPLAY WAYLAND_DISPLAY
    mkdir "$HOME"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# e2e_step NAME: a point of the test at which E2E_FAIL_AT=NAME makes it fail
# (so that a failing run can be checked for what it leaves behind).
e2e_step() {
    [[ ${E2E_FAIL_AT:-} != "$1" ]] || fail "forced to fail at $1"
}

# e2e_skip REASON: ends the test as skipped (exit code 77), saying why.
e2e_skip() {
    echo "$(basename "$0"): $*; skipped"
    exit 77
}

# tools_missing TOOL...: the tools, each looked for on its own, that are
# not found.
tools_missing() {
    local tool missing=()
    for tool in "$@"; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    echo "${missing[*]}"
}

# tools_need TOOL...: ends the test as skipped unless every tool is found,
# naming those that are not.
tools_need() {
    local missing
    missing=$(tools_missing "$@")
    [[ -z $missing ]] || e2e_skip "needs $missing"
}

fail() {
    echo "FAIL: $*" >&2
    local f
    for f in out err; do
        [[ -f $E2E_DIR/$f ]] && { echo "--- program std$f:" >&2; cat "$E2E_DIR/$f" >&2; }
    done
    exit 1
}

# xvfb_start [WIDTHxHEIGHTxDEPTH]: Xvfb on a display number of its own (the
# server itself picks a free one and reports it once it accepts clients, so
# tests running side by side never share a display); exports DISPLAY. The
# server never resets when its last client leaves: a client connecting just
# then (a window manager after a probe by xprop) would be refused, and a
# keyboard layout set before the program connects would be lost.
xvfb_start() {
    local screen=${1:-1024x768x24}
    : >"$E2E_DIR/display"
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$E2E_DIR/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    display_number_wait "$xvfb_pid" || fail "Xvfb did not start"
}

# display_number_wait PID: waits for the X server PID to write its display
# number to $E2E_DIR/display and exports DISPLAY; false when it ends first
# or takes more than 10 s.
display_number_wait() {
    local n i
    for i in $(seq 200); do
        n=$(head -n 1 "$E2E_DIR/display")
        if [[ -n $n ]]; then
            export DISPLAY=":$n"
            return 0
        fi
        kill -0 "$1" 2>/dev/null || return 1
        sleep 0.05
    done
    return 1
}

# xorg_dummy_start [WIDTHxHEIGHT]: Xorg with its dummy driver, on a display
# number of its own as with xvfb_start; exports DISPLAY. Its screen changes
# size as a real one does: xrandr sets the output DUMMY0 to another mode (up
# to 1600x1200) and the screen to that size. It reads only the test's own
# configuration and takes no input devices (the keyboard is the server's
# virtual one, as under Xvfb). A user whom the system does not let start
# Xorg skips the test.
xorg_dummy_start() {
    local mode=${1:-1024x768}
    mkdir "$E2E_DIR/xorg.conf.d"
    cat >"$E2E_DIR/xorg.conf" <<CONF
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 65536
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes "$mode"
        Virtual 1600 1200
    EndSubSection
EndSection
CONF
    : >"$E2E_DIR/display"
    Xorg -config "$E2E_DIR/xorg.conf" -configdir "$E2E_DIR/xorg.conf.d" -logfile "$E2E_DIR/xorg.log" \
        -nolisten tcp -noreset -novtswitch -sharevts -displayfd 3 3>"$E2E_DIR/display" \
        >"$E2E_DIR/xorg.err" 2>&1 &
    display_number_wait $! && return 0
    # Where Xorg starts through its setuid wrapper (xserver-xorg-legacy), only
    # root and the user at the console may start it.
    local refused
    refused=$(grep -hm 1 -e 'Only console users' -e 'Permission denied' -e 'not permitted' \
        "$E2E_DIR/xorg.err" "$E2E_DIR/xorg.log" 2>/dev/null | head -n 1 || true)
    [[ $(id -u) == 0 || -z $refused ]] || e2e_skip "this user may not start Xorg: $refused"
    fail "Xorg with the dummy driver did not start: $(grep -hF '(EE)' "$E2E_DIR/xorg.err" "$E2E_DIR/xorg.log" 2>/dev/null | tail -n 3)"
}

# preload_env LIBRARY: sets the array preload to an env command that
# preloads LIBRARY ahead of a sanitizer runtime, by its bare name found
# through LD_LIBRARY_PATH: LD_PRELOAD cuts a path at blanks. Further
# NAME=VALUE words and the command follow it.
preload_env() {
    preload=(env "LD_LIBRARY_PATH=$(dirname "$1")${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
        "LD_PRELOAD=$(basename "$1")" ASAN_OPTIONS=verify_asan_link_order=0)
}

# program_start PROGRAM ARGS...: starts the program with its standard input
# on a pipe (program_say writes to it) and its output in $E2E_DIR/out and
# $E2E_DIR/err.
program_start() {
    rm -f "$E2E_DIR/in" "$E2E_DIR/out" "$E2E_DIR/err"
    mkfifo "$E2E_DIR/in"
    "$@" <"$E2E_DIR/in" >"$E2E_DIR/out" 2>"$E2E_DIR/err" &
    program_pid=$!
    exec {program_input}>"$E2E_DIR/in"
    program_exit_code=
}

# program_say LINE: one line to the program's standard input.
program_say() {
    printf '%s\n' "$1" >&"$program_input"
}

# output_wait LINE [SECONDS]: until the program has printed the line.
output_wait() {
    local i
    for i in $(seq $((${2:-10} * 20))); do
        LC_ALL=C grep -qxF -- "$1" "$E2E_DIR/out" 2>/dev/null && return 0
        kill -0 "$program_pid" 2>/dev/null || fail "the program ended before printing \"$1\""
        sleep 0.05
    done
    fail "the program did not print \"$1\""
}

# program_ask LINE PREFIX [SECONDS]: sends the line and prints the next line
# of output that starts with PREFIX.
program_ask() {
    local before i
    before=$(LC_ALL=C grep -c -- "^$2" "$E2E_DIR/out" || true)
    program_say "$1"
    for i in $(seq $((${3:-10} * 20))); do
        if (($(LC_ALL=C grep -c -- "^$2" "$E2E_DIR/out" || true) > before)); then
            LC_ALL=C grep -- "^$2" "$E2E_DIR/out" | sed -n "$((before + 1))p"
            return 0
        fi
        kill -0 "$program_pid" 2>/dev/null || fail "the program ended before answering \"$1\""
        sleep 0.05
    done
    fail "no answer to \"$1\""
}

# gathered_expect ASK TEXT WHAT: the program's answers to ASK (for
# window_program, inkey: the keys INKEY$ gives; keys: the key-hit ring),
# gathered over several asks until as long as TEXT (" 61 003b" for "a" and
# F1), are exactly TEXT; each ask waits up to $wait_s seconds (5 unset).
gathered_expect() {
    local got= answer
    for _ in $(seq 20); do
        answer=$(program_ask "$1" "$1:" "${wait_s:-5}")
        got+=${answer#"$1:"}
        [[ ${#got} -ge ${#2} ]] && break
        sleep 0.1
    done
    [[ $got == "$2" ]] || fail "$3: $1 gave \"$got\", not \"$2\""
}

# output_last PREFIX: the last line of the program's output that starts with
# PREFIX.
output_last() {
    grep -F -- "$1" "$E2E_DIR/out" | tail -n 1
}

# program_exit_wait [SECONDS]: until the program ends; its exit code goes to
# program_exit_code.
program_exit_wait() {
    local i
    for i in $(seq $((${1:-10} * 20))); do
        if ! kill -0 "$program_pid" 2>/dev/null; then
            program_exit_code=0
            wait "$program_pid" || program_exit_code=$?
            program_pid=
            exec {program_input}>&-
            program_input=
            return 0
        fi
        sleep 0.05
    done
    fail "the program did not end within ${1:-10} s"
}

# page_shown_check NAME PROGRAM SCENE ARGS...: runs the drawing script
# program PROGRAM in a window on the lines that the shell function SCENE
# prints for ARGS (ending in SHOW); fails unless a screenshot of the window
# equals the page the program wrote, no statement failed and the program
# ends with exit code 0 at the end of its input.
page_shown_check() {
    local name=$1 program=$2 scene=$3 win i diff=unknown
    local out="$E2E_DIR/$1.ppm" shot="$E2E_DIR/$1-shot.ppm"
    shift 3
    program_start "$program" "$out" --window
    "$scene" "$@" >&"$program_input"
    output_wait drawn 20
    win=$(window_wait Untitled)
    # With no window manager the window may sit partly off the screen.
    xdotool windowmove --sync "$win" 10 10
    for i in $(seq 50); do
        screenshot "$win" "$shot"
        diff=$(compare -metric AE "$shot" "$out" null: 2>&1 || true)
        [[ $diff == 0 ]] && break
        sleep 0.2
    done
    [[ $diff == 0 ]] || fail "$name: the window differs from the page in $diff pixels"
    grep -q ERROR "$E2E_DIR/out" && fail "$name: a statement failed"
    exec {program_input}>&-
    program_input=
    for i in $(seq 100); do
        kill -0 "$program_pid" 2>/dev/null || break
        sleep 0.1
    done
    wait "$program_pid" || fail "$name: exit code $?"
    program_pid=
    echo "ok $name"
}

# window_wait TITLE: the id of the visible window titled exactly TITLE.
# xdotool ends at an X error, as when a window it looks at goes away while it
# searches (one a program or window manager makes for a moment at its start):
# it is asked again until the 20 s are up.
window_wait() {
    local id end=$((SECONDS + 20))
    while ((SECONDS < end)); do
        id=$(timeout $((end - SECONDS)) xdotool search --sync --onlyvisible --name "^$1\$" \
            2>/dev/null | head -n 1) || true
        [[ -n $id ]] && echo "$id" && return 0
        sleep 0.05
    done
    fail "no window titled \"$1\""
}

# window_size ID: WIDTHxHEIGHT of the window.
window_size() {
    xwininfo -id "$1" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}'
}

# window_size_wait ID WIDTHxHEIGHT [SECONDS]
window_size_wait() {
    local i size
    for i in $(seq $((${3:-10} * 20))); do
        size=$(window_size "$1")
        [[ $size == "$2" ]] && return 0
        sleep 0.05
    done
    fail "window $1 is $size, not $2"
}

# screenshot ID|root FILE: the window's (or the whole screen's) pixels as a
# binary PPM.
screenshot() {
    local source=(-id "$1")
    [[ $1 == root ]] && source=(-root)
    xwd "${source[@]}" -silent | convert xwd:- -depth 8 ppm:"$2" ||
        fail "no screenshot of $1"
}

# window_expect_picture ID EXPECTED.ppm: waits until the window shows the
# expected frame picture (scaled to the window's size by nearest pixel),
# pixel for pixel; fails with the count of differing pixels otherwise.
# Without a window manager the window may sit partly off the screen, where a
# screenshot cannot reach: the part that is on it is compared.
window_expect_picture() {
    local id=$1 size x y cut_x cut_y differing=unknown i
    # The window follows the frame's size once the frame is shown, which may
    # come after the program reports ready: the size, and with it the expected
    # picture, is taken anew for every screenshot.
    for i in $(seq 50); do
        size=$(window_size "$id")
        read -r x y < <(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}')
        cut_x=$((x < 0 ? -x : 0)) cut_y=$((y < 0 ? -y : 0))
        convert "$2" -filter point -resize "${size}!" \
            -crop "+${cut_x}+${cut_y}" +repage "$E2E_DIR/want.ppm"
        screenshot "$id" "$E2E_DIR/shot.ppm"
        differing=$(compare -metric AE "$E2E_DIR/shot.ppm" "$E2E_DIR/want.ppm" null: 2>&1 || true)
        [[ $differing == 0 ]] && return 0
        sleep 0.1
    done
    cp "$E2E_DIR/shot.ppm" "$E2E_DIR/want.ppm" "${TMPDIR:-/tmp}/" 2>/dev/null || true
    fail "the window differs from the expected picture in $differing pixels ($size)"
}

# screen_read FILE [READER OPTIONS]: the text rows, "--", the colour rows.
screen_read() {
    "$E2E_TOOLS/screen_reader" "$@" || fail "screen_reader could not read $1"
}

# screen_text FILE [READER OPTIONS]: only the text rows.
screen_text() {
    screen_read "$@" | sed '/^--$/,$d'
}

# screen_colours FILE [READER OPTIONS]: only the colour rows.
screen_colours() {
    screen_read "$@" | sed '1,/^--$/d'
}

# screen_wait ID|root ROW TEXT [READER OPTIONS]: screenshots into
# $E2E_DIR/screen.ppm until row ROW (from 1) of the screen starts with TEXT.
screen_wait() {
    local id=$1 row=$2 text=$3 i line
    shift 3
    for i in $(seq 100); do
        screenshot "$id" "$E2E_DIR/screen.ppm"
        line=$(screen_text "$E2E_DIR/screen.ppm" "$@" | sed -n "${row}p")
        [[ $line == "$text"* ]] && return 0
        sleep 0.1
    done
    fail "row $row reads \"$line\", not \"$text\""
}

# pixel FILE X Y: RRGGBB of one pixel of a screenshot.
pixel() {
    "$E2E_TOOLS/screen_reader" --pixel "$2,$3" "$1"
}

# x_probe ARGS...: the test's own X client (close requests).
x_probe() {
    "$E2E_TOOLS/x_probe" "$@"
}
