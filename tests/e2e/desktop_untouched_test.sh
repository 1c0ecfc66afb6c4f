#!/usr/bin/env bash
# ctest started from a terminal on a user's desktop: DISPLAY names the
# desktop (an X server with openbox, a clock, a clipboard that xclip owns,
# Caps Lock on) and HOME a user's home that holds an OpenAL Soft
# configuration, and the user's environment names an OpenAL Soft log file
# there and PulseAudio settings. The unit tests that showed a critical-error box on that
# display, or read its lock keys at start (the whole-process tests), run
# through ctest from there, traced with strace. They must finish, and touch
# nothing of the desktop: no new window while they run, no connection to its
# display, its keyboard, screen size and clipboard as before, no file in the
# user's home opened, and nothing made outside the tests' folders (gtest's
# captured output included). Every test of the build, unit and end-to-end,
# gets that environment, without the user's ALSOFT_* and PULSE_* variables,
# and a time limit.
#
# Usage: desktop_untouched_test.sh BUILD_DIR TOOLS_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"

build=$1
e2e_init "$2"
strace -qq -o /dev/null true 2>/dev/null || e2e_skip "strace cannot trace a program here"
xvfb_start 1024x768x24
display=$DISPLAY
# The clock is mapped before openbox starts: openbox may drop a map request
# that comes while it starts. It frames the windows it finds.
xclock -title "desktop clock" &
clock=$(window_wait "desktop clock")
openbox >"$E2E_DIR/openbox.log" 2>&1 &
for i in $(seq 201); do
    xprop -root _NET_CLIENT_LIST | grep -q "$(printf '0x%x' "$clock")" && break
    ((i <= 200)) || fail "openbox does not frame the clock: $(tail -n 5 "$E2E_DIR/openbox.log")"
    sleep 0.05
done
printf 'the user\x27s clipboard' | xclip -selection clipboard
xdotool key Caps_Lock

# The user's home: OpenAL Soft's files there name a back-end that does not
# exist. The tests' folders: TMPDIR and the build's test home.
mkdir -p "$HOME/.config"
printf '[general]\ndrivers = no-such-back-end\n' | tee "$HOME/.alsoftrc" >"$HOME/.config/alsoft.conf"
sound_settings=(ALSOFT_LOGFILE="$HOME/alsoft-tests.log" ALSOFT_LOGLEVEL=3 PULSE_PROP_media.role=game)
export TMPDIR="$E2E_DIR/tmp"
mkdir "$TMPDIR"
test_home=$build/test-home

# The desktop as a user would see it: every window on it, the keyboard (its
# map, lock keys and settings), the screen's size and the clipboard.
windows() { xwininfo -root -tree | awk '$1 ~ /^0x/ {print $1}' | sort; }
keyboard() {
    setxkbmap -query
    xset q | sed -n '/^Keyboard Control/,/^Pointer Control/p'
    xkbcomp -xkb "$DISPLAY" - 2>/dev/null
}
screen_size() { xdpyinfo | grep dimensions; xrandr --current | head -n 1; }
clipboard() { xclip -o -selection clipboard; }
windows_before=$(windows)
keyboard_before=$(keyboard)
[[ $keyboard_before == *"Caps Lock:   on"* ]] || fail "Caps Lock is not on: $keyboard_before"
screen_before=$(screen_size)
clipboard_before=$(clipboard)

# Every test's environment and time limit, unit and end-to-end alike.
mkdir "$E2E_DIR/all"
printf 'include([==[%s]==])\n' "$build/tests/CTestTestfile.cmake" "$build/tests/e2e/CTestTestfile.cmake" \
    "$build/tests/environment/CTestTestfile.cmake" >"$E2E_DIR/all/CTestTestfile.cmake"
env "${sound_settings[@]}" ctest --test-dir "$E2E_DIR/all" --show-only=json-v1 >"$E2E_DIR/tests.json" \
    2>"$E2E_DIR/tests.err" || fail "ctest does not list the tests: $(cat "$E2E_DIR/tests.err")"
unfit=$(python3 - "$E2E_DIR/tests.json" <<'EOF'
import json, sys
tests = json.load(open(sys.argv[1]))["tests"]
needed = {"DISPLAY=unset:", "WAYLAND_DISPLAY=unset:", "XAUTHORITY=unset:", "ALSOFT_CONF=unset:",
          "ALSOFT_LOGFILE=unset:", "ALSOFT_LOGLEVEL=unset:", "PULSE_PROP_media.role=unset:"}
if len(tests) < 100:
    print("only %d tests" % len(tests))
for t in tests:
    p = {q["name"]: q["value"] for q in t.get("properties", [])}
    env = p.get("ENVIRONMENT_MODIFICATION", [])
    if not needed <= set(env) or not any(e.startswith("HOME=set:") for e in env) \
            or not 0 < p.get("TIMEOUT", 0) <= 3600:
        print(t["name"])
EOF
)
[[ -z $unfit ]] || fail "tests without the desktop's environment kept out or a time limit: $unfit"

# The offending tests, run as a user would: ctest from the desktop's shell.
offending='^(MemoryDeathTest\.PoolBlockThatCannotBeHadIsCritical|SmallOpsDeathTest\.DivisionByZeroIsCritical'
offending+='|DosMemoryTest\.ImpossibleBlocksAreCritical|GosubStackTest\.StackThatCannotGrowIsCritical'
offending+='|X86Death\.UnknownOpcodeShowsTheBoxAndExitsWith86|Process\..*)$'
mkdir "$E2E_DIR/unit"
printf 'include([==[%s]==])\n' "$build/tests/CTestTestfile.cmake" "$build/tests/environment/CTestTestfile.cmake" \
    >"$E2E_DIR/unit/CTestTestfile.cmake"
env "${sound_settings[@]}" \
    strace -f -qq -xx -o "$E2E_DIR/trace" -e trace=open,openat,creat,mkdir,mkdirat,connect \
    ctest --test-dir "$E2E_DIR/unit" -R "$offending" --output-on-failure >"$E2E_DIR/ctest.log" 2>&1 &
ctest_pid=$!
while kill -0 "$ctest_pid" 2>/dev/null; do
    new=$(comm -13 <(echo "$windows_before") <(windows))
    [[ -z $new ]] || fail "a test made windows on the desktop: $(for w in $new; do
        xwininfo -id "$w" 2>/dev/null | sed -n 's/^xwininfo: //p'; done)"
    sleep 0.2
done
wait "$ctest_pid" || fail "the tests failed from the desktop: $(tail -n 30 "$E2E_DIR/ctest.log")"
grep -q "100% tests passed, 0 tests failed out of 7$" "$E2E_DIR/ctest.log" ||
    fail "not the tests expected: $(tail -n 5 "$E2E_DIR/ctest.log")"

# The trace with its strings (printed in hex) as text.
python3 - "$E2E_DIR/trace" >"$E2E_DIR/calls" <<'EOF'
import re, sys
string = re.compile(r'"((?:\\x[0-9a-f]{2})*)"')
for line in open(sys.argv[1]):
    sys.stdout.write(string.sub(lambda m: '"%s"' % bytes.fromhex(
        m.group(1).replace("\\x", "")).decode("utf-8", "replace"), line))
EOF
connected=$(grep -E "connect\(.*X11-unix/X${display#:}\"" "$E2E_DIR/calls" || true)
[[ -z $connected ]] || fail "a test connected to the desktop's display: $connected"
read_home=$(grep -F "\"$HOME/" "$E2E_DIR/calls" || true)
[[ -z $read_home ]] || fail "a test opened files in the user's home: $read_home"
# Files and folders made: under TMPDIR or the test home, or a device.
made=$(grep -E 'O_CREAT|creat\(|mkdir(at)?\(' "$E2E_DIR/calls" | grep -v ' = -1 ' |
    grep -vF -e "\"$TMPDIR/" -e "\"$test_home/" -e "\"$E2E_DIR/unit/" -e '"/dev/' || true)
[[ -z $made ]] || fail "the tests made files outside their folders: $made"
[[ -z $(ls -A "$TMPDIR") ]] || fail "the tests left files in TMPDIR: $(ls -A "$TMPDIR")"

[[ $(windows) == "$windows_before" ]] || fail "the desktop's windows changed"
[[ $(keyboard) == "$keyboard_before" ]] ||
    fail "the keyboard changed: $(diff <(echo "$keyboard_before") <(keyboard))"
[[ $(screen_size) == "$screen_before" ]] || fail "the screen changed: $(screen_size)"
[[ $(clipboard) == "$clipboard_before" ]] || fail "the clipboard changed: $(clipboard)"
echo "ok: $(grep -c 'Test *#' "$E2E_DIR/ctest.log") tests from the desktop's shell left it as it was"
