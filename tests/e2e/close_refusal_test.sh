#!/usr/bin/env bash
# CLOSE, BSAVE and the end of a program on a file system that takes every
# write and refuses it at the close, as an NFS client does when the server
# refuses its cached writes: refusing_fs (a FUSE file system of the tests'
# own) over a folder, in a mount namespace of the test's own (so the mount
# ends with the test). For each refusal (EDQUOT, ENOSPC: 61; EIO: 57)
# statements_program's CLOSE #n, CLOSE with no number and BSAVE raise the error
# (CLOSE with no number the first refusal, each later one said on standard
# error), the numbers are free afterwards, and the file the program leaves
# open when it ends (by END, SYSTEM, "No" in the error dialog, or an error
# with no handler: exit code 99) is named on standard error with the error.
# The game's save shows 61 (75 for EIO) and keeps the old save whole, with no
# temporary file left. A program whose X connection goes (its window
# destroyed by another client, its connection killed, the server ended)
# names each file it leaves open too, and so does one whose server ends
# while its window is being made. An error with no handler whose closes take
# seconds keeps its exit code and says its refusals when the close button is
# pressed or the server ends meanwhile. A delete the file system refuses gives
# KILL 53 and leaves the file, not a hidden copy. Needs root, mount
# namespaces, /dev/fuse and libfuse3 at the build: skipped (77) otherwise; the
# X rows need Xvfb and xdotool.
#
# Usage: close_refusal_test.sh STATEMENTS_PROGRAM SAVE_PROGRAM REFUSING_FS|none
set -euo pipefail

skip() {
    echo "close refusal: $*; skipped"
    exit 77
}
[[ $3 != none ]] || skip "refusing_fs was not built (no libfuse3-dev: see ./install-packages)"
[[ -c /dev/fuse ]] || skip "needs /dev/fuse"
source "$(dirname "$0")/mounts.sh"
mount_namespace_enter "$@"

program=$(realpath "$1")
save_program=$(realpath "$2")
refusing_fs=$(realpath "$3")
source "$(dirname "$0")/lib.sh"
# x_probe is built beside refusing_fs.
e2e_init "$(dirname "$refusing_fs")"
mnt=$E2E_DIR/mnt
trap 'mounts_unmount "$mnt"; e2e_cleanup' EXIT
mkdir "$mnt"

# fs_mount ERRNO: a refusing file system over an empty folder at $mnt. Where
# the first mount fails, FUSE cannot mount here.
mounted=
fs_mount() {
    rm -rf "$E2E_DIR/folder"
    mkdir -p "$E2E_DIR/folder/game"
    "$refusing_fs" "$1" "$E2E_DIR/folder" "$mnt" >"$E2E_DIR/fs.log" 2>&1 &
    local i
    for i in $(seq 100); do
        mountpoint -q "$mnt" && mounted=1 && return 0
        kill -0 $! 2>/dev/null || break
        sleep 0.05
    done
    local log
    log=$(tr '\n' ' ' <"$E2E_DIR/fs.log")
    [[ -n $mounted ]] || skip "the FUSE file system cannot be mounted here: $log"
    fail "the refusing file system did not mount for $1: $log"
}

# row ERRNO CODE ENDING SAVE_CODE: statements on a file system refusing with
# ERRNO raise CODE at each close that wrote, none at the others, and the
# program names #4 (refused after #2 in one CLOSE) and #3 on standard error
# after its ENDING (end, system, error, or handlerless: an error with no
# handler); the game's save shows SAVE_CODE.
row() {
    e2e_step "$1"
    fs_mount "$1"
    local code=0 message statements=() codes=() ending=("${3^^}") exit_code=0
    # step CODE STATEMENT: the statement raises CODE.
    step() {
        codes+=("$1")
        statements+=("${@:2}")
    }
    step 0 OUTPUT 1 "$mnt/out.txt"
    step 0 PRINT 1
    step "$2" CLOSE 1
    step 0 OPEN 1 "$mnt/out.txt" # the number is free again
    step 0 CLOSE 1
    step 0 OPEN 2 "$mnt/log.txt"
    step 0 PRINT 2
    step 0 OUTPUT 4 "$mnt/more.txt"
    step 0 PRINT 4
    step "$2" CLOSE '*'
    step 0 OPEN 2 "$mnt/log.txt"
    step 0 OPEN 4 "$mnt/more.txt"
    step 0 CLOSE '*'
    step "$2" BSAVE "$mnt/block.bin"
    step 0 OUTPUT 3 "$mnt/end.txt"
    step 0 PRINT 3
    if [[ $3 == handlerless ]]; then
        step 0 ONERROR
        ending=(ERROR)
        exit_code=99
    fi
    BOX_ANSWERS=no timeout 20 "$program" "${statements[@]}" "${ending[@]}" >"$E2E_DIR/out" \
        2>"$E2E_DIR/err" || code=$?
    [[ $code == "$exit_code" ]] || fail "$1, $3: exit code $code"
    [[ $(<"$E2E_DIR/out") == "${codes[*]}" ]] ||
        fail "$1: the statements raised $(<"$E2E_DIR/out"), not ${codes[*]}"
    [[ $2 == 61 ]] && message="Disk full" || message="Device I/O error"
    [[ $(grep '^CLOSE #' "$E2E_DIR/err") == "CLOSE #4: $message (error $2)"$'\n'"CLOSE #3: $message (error $2)" ]] ||
        fail "$1, $3: files #4 and #3 were not named on standard error"
    cd "$mnt/game"
    printf '1,1,1,1,1,1\r\n' >TarvoData
    (unset DISPLAY BOX_ANSWERS; timeout 10 "$save_program" save 1710 0 0 0 0 0) >/dev/null 2>"$E2E_DIR/err" ||
        fail "$1: save_program ended with exit code $?"
    [[ $(sed -n 's/^\[Unhandled Error #\([0-9]*\)\]$/\1/p' "$E2E_DIR/err") == "$4" ]] ||
        fail "$1: the save did not show $4"
    [[ $(ls -A) == TarvoData && $(<TarvoData) == $'1,1,1,1,1,1\r' ]] ||
        fail "$1: the old save was not kept alone: $(ls -A | paste -sd' ')"
    cd /
    umount "$mnt"
}

# x_row HOW: a program with a window and files #1 and #2 written on a file
# system refusing with EDQUOT loses its X connection HOW (windowclose: its
# window destroyed by another client; windowkill: its connection killed;
# server: the X server ended): it ends with code 1 and names both files.
x_row() {
    e2e_step "x $1"
    xvfb_start
    program_start "$program" OUTPUT 1 "$mnt/x1.txt" PRINT 1 OUTPUT 2 "$mnt/x2.txt" PRINT 2 \
        WINDOW WAIT
    output_wait "0 0 0 0 0"
    local win
    win=$(window_wait Statements)
    case $1 in
    server) kill "$xvfb_pid" ;;
    *) xdotool "$1" "$win" ;;
    esac
    program_exit_wait 10
    [[ $program_exit_code == 1 ]] || fail "x $1: exit code $program_exit_code"
    [[ $(grep '^CLOSE #' "$E2E_DIR/err") == "CLOSE #1: Disk full (error 61)"$'\n'"CLOSE #2: Disk full (error 61)" ]] ||
        fail "x $1: files #1 and #2 were not named on standard error"
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" || true
}

# starting_row: the X server ends while the program's window is being made,
# at delays spread over the making (before the toolkit reaches the display,
# in its set-up, in the window's): each start ends through the lost-display
# end, with code 1 and file #1 named with its refusal; none ends by a signal.
starting_row() {
    local delay code
    for delay in 0 0.02 0.04 0.06 0.08 0.1 0.12 0.15 0.18 0.21 0.25 0.3; do
        e2e_step "starting $delay"
        xvfb_start
        program_start "$program" OUTPUT 1 "$mnt/w1.txt" PRINT 1 WINDOW WAIT
        output_wait "0 0 0"
        sleep "$delay"
        kill "$xvfb_pid"
        program_exit_wait 20
        code=$program_exit_code
        [[ $code == 1 ]] || fail "server ended $delay s into the window's making: exit code $code"
        [[ $(grep '^CLOSE #' "$E2E_DIR/err") == "CLOSE #1: Disk full (error 61)" ]] ||
            fail "server ended $delay s into the window's making: file #1 was not named"
        wait "$xvfb_pid" || true
    done
}

# slow_row HOW ENDING SAID [held]: an end (handlerless: an error with no
# handler, exit code 99; end: END, 0) whose close of #2 takes seconds (a slow
# network flush), while the close button is pressed (close) or the X server
# ends (server): the end under way keeps its code; the other end waits for it
# and adds nothing. What the end says of its files and threads is SAID: #2's
# refusal, or, where the flush outlasts the wait (on a mount whose flushes
# are held: held given), that the wait ended and #2 was in its close. The
# kernel keeps a process whose close is unanswered until the answer comes,
# so the held flush is let go once the end has said so.
slow_row() {
    e2e_step "slow $1 $2"
    xvfb_start
    local flushes win i ending=(ONERROR ERROR) code=99
    [[ $2 == end ]] && ending=(END) code=0
    flushes=$(grep -c 'flush begins' "$E2E_DIR/fs.log" || true)
    program_start "$program" OUTPUT 2 "$mnt/slow.txt" PRINT 2 WINDOW SHOWN "${ending[@]}"
    win=$(window_wait Statements)
    for i in $(seq 400); do
        (($(grep -c 'flush begins' "$E2E_DIR/fs.log" || true) > flushes)) && break
        sleep 0.05
    done
    case $1 in
    close) x_probe close "$win" ;;
    server) kill "$xvfb_pid" ;;
    esac
    if [[ ${4:-} == held ]]; then
        for i in $(seq 800); do
            grep -q '^exit: stopped waiting' "$E2E_DIR/err" && break
            sleep 0.05
        done
        touch "$E2E_DIR/folder/.release"
    fi
    program_exit_wait 40
    [[ $program_exit_code == "$code" ]] || fail "slow close, $1, $2: exit code $program_exit_code"
    [[ $(grep -e '^CLOSE #' -e '^X connection' -e '^exit:' "$E2E_DIR/err") == "$3" ]] ||
        fail "slow close, $1, $2: standard error did not say only: $3"
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" || true
}

row EDQUOT 61 end 61
row ENOSPC 61 system 61
row EIO 57 error 75
row EDQUOT 61 handlerless 61
missing=$(tools_missing Xvfb xdotool)
if [[ -z $missing ]]; then
    fs_mount EDQUOT
    for how in windowclose windowkill server; do
        x_row "$how"
    done
    starting_row
    umount "$mnt"
    fs_mount SLOW_EDQUOT
    slow_row close handlerless "CLOSE #2: Disk full (error 61)"
    slow_row server handlerless "CLOSE #2: Disk full (error 61)"
    slow_row close end "CLOSE #2: Disk full (error 61)"
    umount "$mnt"
    fs_mount HOLD_EDQUOT
    slow_row close handlerless "exit: stopped waiting for the program's end after 10000 ms"$'\n'"CLOSE #2: its close had not ended, the file system did not answer" held
    umount "$mnt"
else
    echo "close refusal: no $missing, the X rows skipped"
fi

# A delete the file system refuses is KILL's failure (53), with no hidden
# copy left behind: the file stays as it was.
e2e_step unlink
fs_mount UNLINK_EIO
printf kept >"$mnt/kept.txt"
[[ $(timeout 10 "$program" KILL "$mnt/kept.txt" 2>"$E2E_DIR/err") == 53 ]] ||
    fail "KILL of a file whose delete is refused did not give 53"
[[ $(ls -A "$E2E_DIR/folder" | paste -sd' ') == "game kept.txt" && $(<"$mnt/kept.txt") == kept ]] ||
    fail "the refused delete left $(ls -A "$E2E_DIR/folder" | paste -sd' ')"
umount "$mnt"
echo "close refusal: ok"
