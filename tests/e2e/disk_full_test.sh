#!/usr/bin/env bash
# A full disk in the file statements: on a small memory file system with no
# inode free and on one with no block free, each mounted in a mount namespace
# of the test's own (so the mounts end with the test), OPEN of a new file FOR
# OUTPUT, BSAVE, MKDIR, and NAME of a file from another file system give 61
# (Disk full). NAME's source stays where it was and nothing is left beside the
# new name. NAME of a file on a read-only one (a memory file system remounted
# read-only) to another file system gives 75 and leaves the file under its old
# name only. Needs root: skipped (77) otherwise.
#
# Usage: disk_full_test.sh STATEMENTS_PROGRAM
set -euo pipefail

skip() {
    echo "full disk: $*; skipped"
    exit 77
}
source "$(dirname "$0")/mounts.sh"
mount_namespace_enter "$@"

program=$(realpath "$1")
source "$(dirname "$0")/lib.sh"
e2e_init "$(dirname "$program")"
disks=("$E2E_DIR/no_inode" "$E2E_DIR/no_block" "$E2E_DIR/read_only")
trap 'mounts_unmount "${disks[@]}"; e2e_cleanup' EXIT
mkdir "${disks[@]}"
# The root folder takes the one inode; the file "fill" takes every block.
mount -t tmpfs -o nr_inodes=1 tmpfs "$E2E_DIR/no_inode" || skip "tmpfs cannot be mounted"
mount -t tmpfs -o size=64k tmpfs "$E2E_DIR/no_block"
head -c 1M /dev/zero >"$E2E_DIR/no_block/fill" 2>/dev/null || true
printf 'some bytes' >"$E2E_DIR/source"

# run DISK CODE STATEMENT...: statements_program STATEMENT in DISK raises CODE, and DISK then
# holds what it held before.
run() {
    local disk=$1 code=$2 got before
    shift 2
    before=$(ls -A "$disk" | paste -sd' ')
    got=$(cd "$disk" && timeout 10 "$program" "$@" 2>"$E2E_DIR/err") ||
        fail "statements_program $*: exit code $?"
    [[ $got == "$code" ]] || fail "$* in ${disk##*/} gave $got, not $code"
    [[ $(ls -A "$disk" | paste -sd' ') == "$before" ]] ||
        fail "$* in ${disk##*/} left \"$(ls -A "$disk" | paste -sd' ')\""
}

e2e_step no_inode
run "$E2E_DIR/no_inode" 61 OUTPUT 1 new.txt
run "$E2E_DIR/no_inode" 61 BSAVE new.bin
run "$E2E_DIR/no_inode" 61 MKDIR new
run "$E2E_DIR/no_inode" 61 NAME "$E2E_DIR/source" moved.txt
e2e_step no_block
run "$E2E_DIR/no_block" 61 NAME "$E2E_DIR/source" moved.txt
[[ $(<"$E2E_DIR/source") == "some bytes" ]] || fail "NAME's source did not stay"
e2e_step read_only
mount -t tmpfs tmpfs "$E2E_DIR/read_only"
mv "$E2E_DIR/source" "$E2E_DIR/read_only/"
mount -o remount,ro "$E2E_DIR/read_only"
mkdir "$E2E_DIR/elsewhere"
run "$E2E_DIR/elsewhere" 75 NAME "$E2E_DIR/read_only/source" moved.txt
[[ $(<"$E2E_DIR/read_only/source") == "some bytes" ]] || fail "the read-only source did not stay"
echo "full disk: ok"
