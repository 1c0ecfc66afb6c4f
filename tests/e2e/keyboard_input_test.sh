#!/usr/bin/env bash
# Keys typed into the window, as the program's keyboard statements read them:
# - a key and Alt pressed in the window and released in another window are
#   up once the focus is back: key-down queries and BIOS flags clear, and
#   Enter is a plain 13, not Alt+Enter;
# - INKEY$ gives each key of a table its key-table bytes, found by the key
#   and not by the character X makes of it: Ctrl+Space, Ctrl+2, Ctrl+3 (no
#   key at all), the keypad with Num Lock on and off, Alt+keypad Enter (a key,
#   not full screen);
# - LINE INPUT stores and shows Ctrl+Space as a blank;
# - INPUT$ from the keyboard takes one byte a key (an extended key's 0) and
#   leaves the keys after its count to INKEY$;
# - the close button while INPUT$ waits ends the process cleanly.
# Every wait gives up after a few seconds and fails the test.
#
# Usage: keyboard_input_test.sh PROGRAM TOOLS_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"

program=$1
e2e_init "$2"

palette=1=AAAAAA,2=64DCDC,3=64DC64,4=DC64DC,5=DCAA64
wait_s=5

inkey_expect() {
    gathered_expect inkey "$@"
}

# held_expect ANSWER WHAT: until the key-down queries of "a" and left Alt and
# the BIOS flags read ANSWER.
held_expect() {
    local answer
    for _ in $(seq 20); do
        answer=$(program_ask "held 97 100308" "held:" "$wait_s")
        [[ $answer == "$1" ]] && return 0
        sleep 0.1
    done
    fail "$2: \"$answer\", not \"$1\""
}

# input_str_start COUNT: INPUT$(COUNT) is waiting for keys.
input_str_start() {
    program_ask "input-str $1" waiting "$wait_s" >/dev/null
}

xvfb_start
program_start "$program"
output_wait ready "$wait_s"
win=$(window_wait "Window Check")
xdotool windowmove --sync "$win" 0 0
xdotool windowfocus --sync "$win"

# --- Keys released while another window has the focus ----------------------
# a and Alt go down in the window and up in a clock's window; the ring gets
# their releases as the focus leaves, and Enter after it is no Alt+Enter.
xclock -title "Focus Taker" -geometry +0+600 2>/dev/null &
other_pid=$!
other=$(window_wait "Focus Taker")
xdotool keydown a keydown alt
held_expect "held: -1 -1 flags 08 02" "a and Alt down"
xdotool key Menu # a key the toolkit never reports holds up nothing
xdotool windowfocus --sync "$other"
xdotool keyup alt keyup a
xdotool windowfocus --sync "$win"
held_expect "held: 0 0 flags 00 00" "a and Alt released elsewhere"
xdotool key Return
gathered_expect keys " 97 100308 -97 -100308 13 -13" "Enter after the focus came back"
inkey_expect " 61 0d" "Enter after the focus came back"
kill "$other_pid"

# --- INKEY$: the bytes that keys (as xdotool names them) give ---------------
# A key that gives nothing is followed by "a". Num Lock is off at the start;
# keypad 8 is KP_Up whatever Num Lock says. The runtime takes Num Lock's state
# from the system every few tens of milliseconds, so a key after it waits as
# long: sooner, Ctrl pressed with the lock's change still unseen makes it Pause.
inkey_table=(
    "01   ctrl+a"
    "20   ctrl+space"
    "0003 ctrl+2"
    "0003 ctrl+shift+2"
    "61   ctrl+3 a"
    "008d Num_Lock ctrl+KP_Up Num_Lock"
    "30   shift+KP_Insert"
    "00a6 alt+KP_Enter"
    "0037 alt+KP_Multiply"
)
for row in "${inkey_table[@]}"; do
    read -r bytes keys <<<"$row"
    read -ra key_list <<<"$keys"
    for key in "${key_list[@]}"; do
        xdotool key "$key"
        if [[ $key == Num_Lock ]]; then sleep 0.15; else sleep 0.02; fi
    done
    inkey_expect " $bytes" "$keys"
done

# --- LINE INPUT: Ctrl+Space is a blank, stored and shown --------------------
program_say "line-input Line? "
screen_wait "$win" 30 "Line? " --palette "$palette"
xdotool key --delay 20 a ctrl+space b
screen_wait "$win" 30 "Line? a b" --palette "$palette"
xdotool key Return
output_wait "line-input:a b" "$wait_s"

# --- INPUT$ from the keyboard ------------------------------------------------
input_str_start 5
xdotool key --delay 20 a F1 b Left c
output_wait "input-str: 61 00 62 00 63" "$wait_s"

# One key ends INPUT$(1); the keys after it wait for INKEY$.
input_str_start 1
xdotool key --delay 20 x y z
output_wait "input-str: 78" "$wait_s"
inkey_expect " 79 7a" "the keys after INPUT\$(1)"

# The close button while INPUT$(3) has one key of three: the program thread
# ends by itself and the process with exit code 0.
input_str_start 3
xdotool key q
x_probe close "$win"
program_exit_wait "$wait_s"
[[ $program_exit_code -eq 0 ]] || fail "exit code $program_exit_code after a close request in INPUT\$"
grep -q "stopped waiting" "$E2E_DIR/err" && fail "INPUT\$ kept the program thread past the close request"

echo "keyboard input: ok"
