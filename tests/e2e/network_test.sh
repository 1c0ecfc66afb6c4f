#!/usr/bin/env bash
# TCP/IP handles between real processes on 127.0.0.1: two runtime programs
# (tcp_peer, driven through their standard input) exchange 1 MiB with zero
# bytes both ways; socat with a fixed source port reads back the address text
# of its accepted connection; a Python server's 8 MiB arrive with a matching
# sha256 and its close is seen; CLOSE frees a port that a started child does
# not hold; the address text of a host shows what a Python web server answers
# to the public-address lookup; the close button ends a program whose PUT
# waits on a peer that never reads.
#
# Usage: network_test.sh TCP_PEER TOOLS_DIR
set -euo pipefail

program=$(realpath "$1")
here=$(realpath "$(dirname "$0")")
source "$here/lib.sh"
e2e_init "$(realpath "$2")"

# ask OUT FD LINE PREFIX [SECONDS]: sends LINE on FD and prints what follows
# PREFIX on the next new line of OUT that starts with it.
ask() {
    local out=$1 fd=$2 before i
    before=$(grep -c -- "^$4" "$out" || true)
    printf '%s\n' "$3" >&"$fd"
    for i in $(seq $((${5:-20} * 20))); do
        if (($(grep -c -- "^$4" "$out" || true) > before)); then
            grep -- "^$4" "$out" | sed -n "$((before + 1))p" | cut -c$((${#4} + 1))-
            return 0
        fi
        sleep 0.05
    done
    fail "no answer to \"$3\" in $out"
}
a() { ask "$E2E_DIR/out" "$program_input" "$@"; }

# helper_start NAME COMMAND...: a background helper whose output goes to
# $E2E_DIR/NAME; its first line (a port) is printed once it is there.
helper_start() {
    local name=$1 i
    shift
    "$@" >"$E2E_DIR/$name" 2>&1 &
    for i in $(seq 100); do
        [[ -s $E2E_DIR/$name ]] && { head -n 1 "$E2E_DIR/$name"; return 0; }
        sleep 0.05
    done
    fail "$name did not start"
}

port_of() { local t=${1#TCP/IP:}; echo "${t%%:*}"; }
listening() { [[ -n $(ss -Hltn "sport = :$1") ]]; }

xvfb_start
cd "$E2E_DIR"
{ head -c 1000 /dev/zero; head -c $((1048576 - 1000)) /dev/urandom; } >a.bin
{ head -c $((1048576 - 1000)) /dev/urandom; head -c 1000 /dev/zero; } >b.bin

# --- Two runtime programs ------------------------------------------------------
program_start "$program"
output_wait ready
host=$(a "host TCP/IP:0" "handle ")
[[ $host == -2 ]] || fail "first handle $host, expected -2"
address=$(a "address $host" "address ")
port=$(port_of "$address")
[[ $address == "TCP/IP:$port:127.0.0.1" ]] || fail "host address \"$address\""

mkfifo in2
"$program" <in2 >out2 2>err2 &
exec {peer2}>in2
b() { ask "$E2E_DIR/out2" "$peer2" "$@"; }
client=$(b "client TCP/IP:$port:127.0.0.1" "handle ")
accepted=$(a "accept $host" "handle ")
[[ $client == -2 && $accepted == -3 ]] || fail "handles $client and $accepted"
[[ $(b "address $client" "address ") == "TCP/IP:$port:127.0.0.1" ]] || fail "client address"
peer_address=$(a "address $accepted" "address ")
peer_port=$(port_of "$peer_address")
[[ $peer_address == "TCP/IP:$peer_port:127.0.0.1" && $peer_port != "$port" ]] ||
    fail "accepted address \"$peer_address\""
[[ -n $(ss -Htn state established "( sport = :$peer_port and dport = :$port )") ]] ||
    fail "no connection from port $peer_port to $port"

# Both send at once, then both take what came.
printf 'put %s %s\n' "$accepted" "$E2E_DIR/a.bin" >&"$program_input"
printf 'put %s %s\n' "$client" "$E2E_DIR/b.bin" >&"$peer2"
output_wait "put 1048576" 30
for _ in $(seq 600); do grep -q "put 1048576" out2 && break; sleep 0.05; done
[[ $(a "get $accepted 1048576 $E2E_DIR/b.got" "got ") == 1048576 ]] || fail "A got too little"
[[ $(b "get $client 1048576 $E2E_DIR/a.got" "got ") == 1048576 ]] || fail "B got too little"
cmp -s a.bin a.got || fail "the bytes from A to B differ"
cmp -s b.bin b.got || fail "the bytes from B to A differ"

# --- CLOSE frees the port; a started child holds none --------------------------
[[ $(a "spawn sleep 3" "") == spawned ]] || fail "no child started"
listening "$port" || fail "no listener on $port before CLOSE"
a "close $host" "closed" >/dev/null
! listening "$port" || fail "port $port still listened on after CLOSE"
b "close $client" "closed" >/dev/null
a "close $accepted" "closed" >/dev/null

# --- socat with a fixed source port reads the accepted address back ----------
e2e_step socat # the child that SPAWN started still runs
host=$(a "host TCP/IP:0" "handle ")
port=$(port_of "$(a "address $host" "address ")")
source_port=$(python3 "$here/network_peer.py" freeport)
socat -u "TCP:127.0.0.1:$port,sourceport=$source_port,reuseaddr" - >socat.out 2>socat.err &
socat_pid=$!
accepted=$(a "accept $host" "handle ")
a "putaddress $accepted" "put " >/dev/null
a "close $accepted" "closed" >/dev/null
wait "$socat_pid" || fail "socat failed: $(cat socat.err)"
[[ $(cat socat.out) == "TCP/IP:$source_port:127.0.0.1" ]] || fail "socat read \"$(cat socat.out)\""
a "close $host" "closed" >/dev/null

# --- A Python server's 8 MiB, then its close ----------------------------------
head -c 8388608 /dev/urandom >py.bin
py_port=$(helper_start py_send python3 "$here/network_peer.py" send "$E2E_DIR/py.bin")
h=$(a "client TCP/IP:$py_port:127.0.0.1" "handle ")
[[ $(a "get $h 8388608 $E2E_DIR/py.got" "got " 60) == 8388608 ]] || fail "8 MiB did not arrive"
[[ $(sha256sum <py.got) == $(sha256sum <py.bin) ]] || fail "sha256 differs"
[[ $(a "connected $h" "connected ") == 0 ]] || fail "the Python server's close is not seen"
[[ $(a "put $h $E2E_DIR/a.bin" "put ") == 1048576 ]] || fail "PUT after the server closed"
program_say quit
program_exit_wait 10
[[ $program_exit_code -eq 0 ]] || fail "exit code $program_exit_code"

# --- The public-address lookup through a Python web server --------------------
web_port=$(helper_start web python3 "$here/network_peer.py" web 10.1.2.3)
RT_PUBLIC_ADDRESS_HOST=127.0.0.1:$web_port program_start "$program"
output_wait ready
host=$(a "host TCP/IP:0" "handle ")
address=$(a "address $host" "address ")
[[ $address == "TCP/IP:$(port_of "$address"):10.1.2.3" ]] || fail "host address \"$address\""
program_say quit
program_exit_wait 10

# --- The close button while PUT waits on a peer that never reads --------------
silent_port=$(helper_start silent python3 "$here/network_peer.py" silent)
head -c $((64 << 20)) /dev/zero >big.bin
program_start "$program" --window
output_wait ready
win=$(window_wait "Untitled")
h=$(a "client TCP/IP:$silent_port:127.0.0.1" "handle ")
program_say "put $h $E2E_DIR/big.bin"
sleep 0.5
! grep -q "^put " out || fail "the PUT ended although the peer reads nothing"
e2e_step close_button # the web server and the silent peer still run
x_probe close "$win"
# The PUT itself must see the end: a program thread that went on waiting
# would be given up on after the runtime's own bounded wait, which says so.
program_exit_wait 10
[[ $program_exit_code -eq 0 ]] || fail "exit code $program_exit_code after the close button"
! grep -q "stopped waiting for the program" "$E2E_DIR/err" ||
    fail "the PUT did not end with the close button: $(<"$E2E_DIR/err")"
echo "network: ok"
