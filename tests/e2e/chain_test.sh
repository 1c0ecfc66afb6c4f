#!/usr/bin/env bash
# CHAIN between two programs: the sender sets up an 80 x 25 text screen in
# the 8 x 8 font with a changed palette entry and text in colours on pages 0
# and 1, page 1 active, and CHAINs; the receiver, started with the arguments, shows the same screen,
# runs in the handed-over directory, and no hand-over file remains. Variants:
# a directory with blanks, no directory (the receiver beside the sender, the
# sender's current directory handed over), a symbolic link to the receiver, and
# a missing target (error 53). The sender ends with exit code 0 after CHAIN.
#
# Sender and receiver are copies of one program (chain_program_main.cpp).
#
#   chain_test.sh PROGRAM TOOLS_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init "$2"
xvfb_start

app="$E2E_DIR/my app"
mkdir -p "$app/sub dir" "$app/work" "$app/links"
cp "$1" "$app/sender"
cp "$1" "$app/sub dir/receiver"
cp "$1" "$app/receiver"
ln -s "../sub dir/receiver" "$app/links/receiver"

handover_files() { find "$E2E_DIR" -name 'chain[0-9][0-9][0-9].tmp' | wc -l; }

# last LABEL: the last line of output starting with "LABEL ", without it.
last() { sed -n "s/^$1 //p" "$E2E_DIR/out" | tail -n 1; }

# chain_start DIR TEXT: the sender with its screen set up, CHDIR DIR (unless
# empty), CHAIN TEXT.
chain_start() {
    program_start "$app/sender"
    output_wait ready
    [[ $(program_ask setup "set up") == "set up" ]] || fail "no screen set up"
    if [[ -n $1 ]]; then
        [[ $(program_ask "chdir $1" error) == "error 0" ]] || fail "CHDIR $1 failed"
    fi
    # The sender's pid, taken before the CHAIN: a receiver may print its own
    # before the test looks again.
    sender_pid=$(last pid)
    program_say "chain $2"
}

# receiver_take: waits for the receiver's pid and the sender's end (exit
# code 0); from then on the helpers follow the receiver.
receiver_take() {
    local i pid=
    for i in $(seq 400); do
        pid=$(last pid)
        [[ $pid != "$sender_pid" ]] && break
        sleep 0.05
    done
    [[ $pid != "$sender_pid" ]] || fail "the receiver did not start"
    local code=0
    wait "$program_pid" || code=$?
    [[ $code == 0 ]] || fail "the sender ended with exit code $code"
    program_pid=$pid
    for i in $(seq 400); do
        (($(grep -cx ready "$E2E_DIR/out") == 2)) && return 0
        sleep 0.05
    done
    fail "the receiver is not ready"
}

# receiver_expect COMMAND DIR: what the receiver printed.
receiver_expect() {
    [[ $(last command) == "$1" ]] || fail "COMMAND\$ is \"$(last command)\", not \"$1\""
    [[ $(last dir) == "$2" ]] || fail "the directory is \"$(last dir)\", not \"$2\""
    [[ $(last active) == 1 ]] || fail "page 1 is not the active page"
    [[ $(handover_files) == 0 ]] || fail "a hand-over file remains"
}

# page_expect TEXT FORE_BACK: row 1 of the receiver's window starts with the
# text in those colours (hexadecimal palette digits; blanks show no fore).
page_expect() {
    local win colours expected= i
    win=$(window_wait "Chain Check")
    xdotool windowmove --sync "$win" 0 0
    screen_wait "$win" 1 "$1" --palette 1=2050A0
    colours=$(screen_colours "$E2E_DIR/screen.ppm" --palette 1=2050A0 | sed -n 1p)
    for ((i = 0; i < ${#1}; i++)); do
        if [[ ${1:i:1} == " " ]]; then expected+=".${2:1}"; else expected+=$2; fi
    done
    [[ ${colours:0:${#expected}} == "$expected" ]] ||
        fail "row 1's colours are ${colours:0:${#expected}}, not $expected"
}

# receiver_end: END through its input; it ends on its own.
receiver_end() {
    program_say end
    local i
    for i in $(seq 200); do
        kill -0 "$program_pid" 2>/dev/null || break
        sleep 0.05
    done
    kill -0 "$program_pid" 2>/dev/null && fail "the receiver did not end"
    program_pid=
    exec {program_input}>&-
    program_input=
}

chain_start "" "sub dir/receiver.exe one two"
receiver_take
receiver_expect "one two" "$app/sub dir"
page_expect "PAGE ZERO FROM THE SENDER" E1
program_say "show 1"
output_wait shown
page_expect "PAGE ONE FROM THE SENDER" A4
receiver_end

chain_start "$app/work" "receiver three"
receiver_take
receiver_expect "three" "$app/work"
page_expect "PAGE ZERO FROM THE SENDER" E1
receiver_end

chain_start "" "links/receiver.exe"
receiver_take
receiver_expect "" "$app/links"
page_expect "PAGE ZERO FROM THE SENDER" E1
receiver_end

chain_start "" "absent x"
output_wait "error 53"
[[ $(handover_files) == 0 ]] || fail "a hand-over file remains after error 53"
program_say end
program_exit_wait
[[ $program_exit_code == 0 ]] || fail "exit code $program_exit_code"
echo "chain: ok"
