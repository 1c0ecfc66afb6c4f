#!/usr/bin/env bash
# A compiled program answers a scripted peer over a serial line: socat joins
# two pseudo-terminals, the program opens one as COM1 (COM1_DEVICE), this
# script talks through the other. The script also holds the program's side
# open, so the line stays up while the program closes and reopens its port.
#
# Usage: serial_test.sh PROGRAM
set -euo pipefail

program=$1
source "$(dirname "$0")/lib.sh"
e2e_init "$(dirname "$program")"

socat pty,raw,echo=0,link="$E2E_DIR/com1" pty,raw,echo=0,link="$E2E_DIR/peer" 2>/dev/null &
for _ in $(seq 100); do
    [[ -e $E2E_DIR/com1 && -e $E2E_DIR/peer ]] && break
    sleep 0.05
done
[[ -e $E2E_DIR/com1 && -e $E2E_DIR/peer ]] || fail "socat made no pseudo-terminals"
exec {hold}<"$E2E_DIR/com1"
exec {peer}<>"$E2E_DIR/peer"

# peer_expect TEXT: the next line from the program, without its CR, is TEXT.
peer_expect() {
    local got
    IFS= read -r -t 10 -u "$peer" got || fail "the peer got no line (expected \"$1\")"
    [[ ${got%$'\r'} == "$1" ]] || fail "the peer got \"${got%$'\r'}\", expected \"$1\""
}

export COM1_DEVICE=$E2E_DIR/com1
export BOX_ANSWERS=no # an error ends the program instead of waiting
xvfb_start
program_start "$program"

peer_expect "HELLO"
printf '12,30\rTARVO ZUDUZ\r\n' >&"$peer"
output_wait "line TARVO ZUDUZ"
peer_expect "42 TARVO ZUDUZ"
printf 'ABCDEF' >&"$peer"
output_wait "loc 6"
output_wait "input$ ABCDEF"
output_wait "eof 0"
printf 'line two\r\n' >&"$peer"
output_wait "binary line line two"
program_exit_wait 10
[[ $program_exit_code -eq 0 ]] || fail "exit code $program_exit_code, expected 0"
echo "serial: ok"
