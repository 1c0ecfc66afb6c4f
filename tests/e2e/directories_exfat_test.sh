#!/usr/bin/env bash
# NAME on an exFAT stick through FUSE, a file system with neither a rename
# that refuses to replace nor hard links, that ignores letter case and takes
# no set-group-ID bit: an image on a loop device mounted with exfat-fuse, in
# a mount namespace of the test's own (so the mount ends with the test). A
# file and a folder renamed on the stick, renames onto taken names refused
# with 75 and nothing changed, renames of the letter case only, and a file
# moved from the local disk onto the stick with a mode the stick refuses.
# Nothing is left beside the names. A file is one file whatever the spelling
# of its name: an open file is neither deleted nor renamed under another
# spelling, nor the current folder removed, and a rename of the letter case
# alone works when the old name is not spelt as stored; letters beyond ASCII
# (Ä, Ü, Д) fold as the stick folds them. Needs root, a loop
# device, /dev/fuse, mkfs.exfat and mount.exfat-fuse: skipped (77) otherwise.
#
# Usage: directories_exfat_test.sh STATEMENTS_PROGRAM
set -euo pipefail

skip() {
    echo "NAME on exFAT: $*; skipped"
    exit 77
}
source "$(dirname "$0")/mounts.sh"
mount_namespace_enter "$@"
[[ -c /dev/fuse ]] || skip "needs /dev/fuse"
source "$(dirname "$0")/lib.sh"
tools_need mkfs.exfat mount.exfat-fuse losetup

program=$(realpath "$1")
e2e_init "$(dirname "$program")"
stick=$E2E_DIR/stick loop=
stick_release() {
    mounts_unmount "$stick"
    [[ -z $loop ]] || losetup -d "$loop" || true
    e2e_cleanup
}
trap stick_release EXIT
truncate -s 16M "$E2E_DIR/stick.img"
mkfs.exfat "$E2E_DIR/stick.img" >/dev/null
loop=$(losetup --find --show "$E2E_DIR/stick.img" 2>/dev/null) || skip "no loop device"
mkdir "$stick"
mount.exfat-fuse "$loop" "$stick" >/dev/null 2>&1 || skip "the stick cannot be mounted"
cd "$stick"

# name OLD NEW CODE: NAME OLD AS NEW in the current folder raises CODE.
name() {
    local code
    code=$(timeout 10 "$program" NAME "$1" "$2" 2>"$E2E_DIR/err") || fail "NAME $1 $2: exit code $?"
    [[ $code == "$3" ]] || fail "NAME $1 AS $2 gave $code, not $3"
}
# entries TEXT: the stick's entries, as spelt, are TEXT.
entries() {
    local found
    found=$(ls -A | LC_ALL=C sort | paste -sd' ')
    [[ $found == "$1" ]] || fail "the stick holds \"$found\", not \"$1\""
}

e2e_step file
printf one >a.txt
name a.txt b.txt 0
e2e_step folder
mkdir Dir
printf in >Dir/f
name Dir Moved 0
e2e_step taken
printf two >c.txt
mkdir Empty
name b.txt c.txt 75
name b.txt C.TXT 75
name Moved c.txt 75
name Moved Empty 75
entries "Empty Moved b.txt c.txt"
rmdir Empty
e2e_step case
name b.txt B.TXT 0
name Moved MOVED 0
e2e_step from_disk
mkdir "$E2E_DIR/disk"
printf local >"$E2E_DIR/disk/d.txt"
chmod 2640 "$E2E_DIR/disk/d.txt"
name "$E2E_DIR/disk/d.txt" d.txt 0
[[ ! -e $E2E_DIR/disk/d.txt ]] || fail "the file moved onto the stick stayed on the disk"

entries "B.TXT MOVED c.txt d.txt"
holds B.TXT one
holds MOVED/f in
holds c.txt two
holds d.txt local

e2e_step spelling
run 0 NAME b.txt B.txt
entries "B.txt MOVED c.txt d.txt"
printf held >held.txt
mkdir Work
run "0 75 75" OPEN 1 held.txt NAME HELD.TXT other.txt NAME Held.txt held.TXT
run "0 76 76" CHDIR WORK RMDIR '..\work' RMDIR '..\WORK'
cd WORK # the folder entered under another spelling
run 76 RMDIR '..\work'
cd ..
e2e_step letters
# Letters beyond ASCII fold too: Ä/ä, Ü/ü, Д/д.
printf u >Übel.txt
mkdir Übung Ärger
run "0 75 75" OPEN 1 übel.txt NAME Übel.txt übel.txt NAME Übel.txt Uebel.txt
run "0 76" CHDIR Übung RMDIR '..\übung'
run 0 NAME Ärger ärger
printf d >Дом.txt
run "0 55 75 0 0" OPEN 1 дом.txt KILL Дом.txt NAME ДОМ.txt дом.txt CLOSE 1 NAME Дом.txt дом.txt
entries "B.txt MOVED Work c.txt d.txt held.txt Übel.txt Übung ärger дом.txt"
# Last: the old runtime deleted the open file, and the stick went with it.
printf a >Äpfel.txt
run "0 55" OPEN 1 Äpfel.txt KILL äpfel.txt
holds Äpfel.txt a
run "0 55" OPEN 1 held.txt KILL HELD.TXT
holds held.txt held
[[ -d Work && -d Übung ]] || fail "the current folder was removed"

# --- KILL under another spelling -------------------------------------------
# KILL deletes the name as the stick lists it, so the kernel keeps no entry
# of the listed spelling behind and the name can be made again at once.
e2e_step kill_spelling
run "0 0 0 0 0 0" OUTPUT 1 save.txt CLOSE 1 KILL SAVE.TXT OUTPUT 1 save.txt PRINT 1 CLOSE 1
holds save.txt $'bytes\r'
# ----------------------------------------------------------------------------
echo "NAME on exFAT: ok"
