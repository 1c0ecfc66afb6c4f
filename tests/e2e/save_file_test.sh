#!/usr/bin/env bash
# The game's save file on a small memory file system of the test's own (in a
# mount namespace of its own, so the mount ends with the test): a first start
# on a full disk shows 61 (Disk full) for each PRINT # and leaves no file; a
# save on a full disk shows the same and keeps the old line; a read-only save
# file and a read-only file system show 70, then 52 for each PRINT #, and
# keep the file. No temporary file is left in any case, and a saved file
# keeps its permissions. Another user's save into a read-only folder writes
# a writable save file in place. A save through a symbolic link (and a
# dangling one) lands in the file it names and the link stays; a pipe,
# /dev/zero (through a link) and a folder as the save file give the error
# boxes of an unreadable or unwritable save and the start goes on at once.
# Three copies saving side by side into one folder on the disk keep the file
# whole for a reader. Needs root and mount: skipped (77) otherwise.
#
# Usage: save_file_test.sh SAVE_PROGRAM
set -euo pipefail

if [[ -z ${SAVE_TEST_NAMESPACE:-} ]]; then
    if [[ $(id -u) != 0 ]] || ! unshare --mount true 2>/dev/null; then
        echo "save file: needs root and mount namespaces; skipped"
        exit 77
    fi
    SAVE_TEST_NAMESPACE=1 exec unshare --mount --propagation private bash "$0" "$@"
fi

program=$(realpath "$1")
source "$(dirname "$0")/lib.sh"
e2e_init "$(dirname "$program")"
disk=$E2E_DIR/disk
mkdir "$disk"
mount -t tmpfs -o size=64k tmpfs "$disk" || { echo "save file: tmpfs cannot be mounted; skipped"; exit 77; }
trap 'cd /; umount "$disk"; e2e_cleanup' EXIT
cd "$disk"
# Every box goes to standard error and lets the routine go on.
unset DISPLAY

# run ARGS...: the save program in the current folder, which must end within
# 5 s; as the user of the command in $as_user when that is set.
as_user=()
run() {
    timeout 5 ${as_user[@]+"${as_user[@]}"} "$program" "$@" >"$E2E_DIR/out" 2>"$E2E_DIR/err" ||
        fail "save_program $*: exit code $?"
}
# expect_boxes N...: the error numbers of the boxes the last run showed.
expect_boxes() {
    local shown
    shown=$(sed -n 's/^\[Unhandled Error #\([0-9]*\)\]$/\1/p' "$E2E_DIR/err" | paste -sd' ')
    [[ $shown == "$*" ]] || fail "boxes \"$shown\", expected \"$*\""
}
# expect_save TEXT|-: the save file holds TEXT and CR LF (- for no file), and
# nothing else is left beside it.
expect_save() {
    if [[ $1 == - ]]; then
        [[ ! -e TarvoData ]] || fail "a save file was left: \"$(od -An -c TarvoData)\""
    else
        cmp -s TarvoData <(printf '%s\r\n' "$1") || fail "the save file is not \"$1\" CR LF"
    fi
    local left
    left=$(ls -A | grep -vxE 'TarvoData|fill' | paste -sd' ' || true)
    [[ -z $left ]] || fail "left beside the save file: $left"
}
fill() { dd if=/dev/zero of=fill bs=4k status=none 2>/dev/null || true; }

e2e_step full_first_start
fill
run load
expect_boxes 61 61 61 61 61 61
expect_save -
rm fill
run load
expect_boxes
expect_save "0,0,0,0,0,0"

e2e_step full_save
run save 1710 0 0 0 0 0
fill
run save 1710 2.6 2245 3032 400 0
expect_boxes 61 61 61 61 61 61
expect_save "1710,0,0,0,0,0"
rm fill

e2e_step read_only
chmod a-w TarvoData
run save 1710 2.6 2245 3032 400 0
expect_boxes 70 52 52 52 52 52 52
expect_save "1710,0,0,0,0,0"
chmod 640 TarvoData
mount -o remount,ro "$disk"
run save 1710 2.6 2245 3032 400 0
expect_boxes 70 52 52 52 52 52 52
expect_save "1710,0,0,0,0,0"
mount -o remount,rw "$disk"
run save 1710 2.6 2245 3032 400 0
expect_boxes
expect_save "1710,2.6,2245,3032,400,0"
[[ $(stat -c %a TarvoData) == 640 ]] || fail "the save file did not keep its permissions"

e2e_step installed
# An installed game: its folder belongs to root and is read-only to the
# player, its save file is writable by all. A save by another user writes
# the file in place. (The program is copied where that user reaches it.)
mkdir "$E2E_DIR/installed" "$E2E_DIR/bin"
cp "$program" "$E2E_DIR/bin/"
cd "$E2E_DIR/installed"
printf '1,1,1,1,1,1\r\n' >TarvoData
chmod 666 TarvoData
chmod 755 . "$E2E_DIR" "$E2E_DIR/bin"
as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
program_as_root=$program program=$E2E_DIR/bin/$(basename "$program")
run save 1710 2.6 2245 3032 400 0
expect_boxes
expect_save "1710,2.6,2245,3032,400,0"
as_user=() program=$program_as_root

e2e_step link
# game/TarvoData -> ../else/TarvoData: the save and the load go through the
# link, a dangling one included, and only the target changes.
mkdir -p "$E2E_DIR/linked/game" "$E2E_DIR/linked/else"
cd "$E2E_DIR/linked/game"
printf '1,1,1,1,1,1\r\n' >../else/TarvoData
ln -s ../else/TarvoData TarvoData
link_stays() {
    [[ -L TarvoData && $(readlink TarvoData) == ../else/TarvoData ]] || fail "the link was replaced"
    [[ $(ls -A ../else) == TarvoData ]] || fail "beside the target: $(ls -A ../else | paste -sd' ')"
}
run save 1710 2.6 2245 3032 400 0
expect_boxes
expect_save "1710,2.6,2245,3032,400,0"
link_stays
rm ../else/TarvoData
run load
expect_boxes
expect_save "0,0,0,0,0,0"
link_stays

e2e_step odd_files
# A pipe, a device and a folder as the save file: the load shows the boxes
# of a save that cannot be read (or, for the folder, written) and goes on
# with zeros; nothing is made beside it.
mkdir "$E2E_DIR/odd"
cd "$E2E_DIR/odd"
for kind in pipe device folder; do
    case $kind in
    pipe) mkfifo TarvoData ;;
    device) ln -s /dev/zero TarvoData ;;
    folder) mkdir TarvoData ;;
    esac
    run load
    [[ $(<"$E2E_DIR/out") == 0,0,0,0,0,0 ]] || fail "$kind: the load gave \"$(<"$E2E_DIR/out")\""
    if [[ $kind == folder ]]; then expect_boxes 70 52 52 52 52 52 52; else expect_boxes 70 52; fi
    [[ $(ls -A) == TarvoData ]] || fail "$kind: left beside the save file: $(ls -A | paste -sd' ')"
    rm -r TarvoData
done

e2e_step side_by_side
# Three copies save 200 times each into one folder on the disk while a
# reader reads the file throughout, every eighth time through the game's own
# load: each read is one whole save, no save shows a box, and nothing is left
# beside the file.
mkdir "$E2E_DIR/shared"
cd "$E2E_DIR/shared"
run save 0 0 0 0 0 0
savers=()
for k in 1 2 3; do
    "$program" save $k $k $k $k $k $k 200 >/dev/null 2>"$E2E_DIR/err$k" &
    savers+=($!)
done
reads=0 bad=()
while kill -0 "${savers[@]}" 2>/dev/null; do
    if ((reads % 8 == 7)); then
        line=$("$program" load 2>&1) || line="exit code $?: $line"
    else
        line=$(<TarvoData) && line=${line%$'\r'}
    fi
    k=${line:0:1}
    [[ $k == [0-3] && $line == "$k,$k,$k,$k,$k,$k" ]] || bad+=("\"$line\"")
    reads=$((reads + 1))
done
((${#bad[@]} == 0)) || fail "${#bad[@]} of $reads reads were no whole save: ${bad[*]:0:5}"
((reads >= 20)) || fail "only $reads reads while the copies saved"
for k in 1 2 3; do
    wait "${savers[k - 1]}" || fail "saver $k: exit code $?"
    cp "$E2E_DIR/err$k" "$E2E_DIR/err" && expect_boxes
done
k=$(head -c 1 TarvoData)
expect_save "$k,$k,$k,$k,$k,$k"
echo "side by side: $reads reads, all whole"
echo "save file: ok"
