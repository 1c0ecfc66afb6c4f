#!/usr/bin/env bash
# NAME on FUSE mounts with neither a rename that refuses to replace nor hard
# links, which will not rename a folder over an empty one either: a local
# folder mounted with rclone, its file cache off (KIND rclone-off) or for
# writes (rclone-writes), and a FAT image mounted with fusefat (fusefat), in
# a mount namespace of the test's own (so the mount ends with the test). A
# file and an empty folder renamed; renames onto a taken file or folder
# refused with 75, both keeping their bytes, and nothing left beside the
# names. Needs
# root, /dev/fuse and the mount's tools: skipped (77) otherwise.
#
# Usage: directories_fuse_test.sh STATEMENTS_PROGRAM KIND
set -euo pipefail

kind=$2
skip() {
    echo "NAME on $kind: $*; skipped"
    exit 77
}
case $kind in
rclone-off | rclone-writes) tools=(rclone fusermount3) ;;
fusefat) tools=(fusefat mkfs.vfat) ;;
*)
    echo "directories_fuse_test.sh: unknown mount $kind" >&2
    exit 2
    ;;
esac
source "$(dirname "$0")/mounts.sh"
mount_namespace_enter "$@"
{ [[ -c /dev/fuse ]] && command -v "${tools[@]}" >/dev/null; } || skip "needs /dev/fuse and ${tools[*]}"

program=$(realpath "$1")
source "$(dirname "$0")/lib.sh"
e2e_init "$(dirname "$program")"
mnt=$E2E_DIR/mnt
trap 'mounts_unmount "$mnt"; e2e_cleanup' EXIT
mkdir "$mnt"
if [[ $kind == fusefat ]]; then
    truncate -s 16M "$E2E_DIR/fat.img"
    mkfs.vfat "$E2E_DIR/fat.img" >/dev/null
    fusefat -f -o rw+ "$E2E_DIR/fat.img" "$mnt" >"$E2E_DIR/daemon" 2>&1 &
else
    mkdir "$E2E_DIR/folder"
    rclone mount "$E2E_DIR/folder" "$mnt" --vfs-cache-mode "${kind#rclone-}" \
        --config "$E2E_DIR/rclone.conf" --cache-dir "$E2E_DIR/cache" >"$E2E_DIR/daemon" 2>&1 &
fi
daemon=$!
for _ in $(seq 100); do
    mountpoint -q "$mnt" || ! kill -0 "$daemon" 2>/dev/null && break
    sleep 0.1
done
mountpoint -q "$mnt" || skip "the mount did not come up: $(tail -1 "$E2E_DIR/daemon")"
cd "$mnt"

# name OLD NEW CODE: NAME OLD AS NEW in the current folder raises CODE.
name() {
    local code
    code=$(timeout 10 "$program" NAME "$1" "$2" 2>"$E2E_DIR/err") || fail "NAME $1 $2: exit code $?"
    [[ $code == "$3" ]] || fail "NAME $1 AS $2 gave $code, not $3"
}
# holds NAME TEXT: the file NAME holds TEXT.
holds() { [[ -f $1 && $(<"$1") == "$2" ]] || fail "$1 does not hold \"$2\""; }

e2e_step file
printf one >a.txt
name a.txt b.txt 0
e2e_step folder
# An empty one: fusefat drops a renamed folder's entries, and rclone's file
# cache fails the reads of a file whose folder is renamed before it is written
# out (both as with mv).
mkdir Dir
name Dir Moved 0
[[ -d Moved ]] || fail "Moved is not a folder"
e2e_step taken
printf two >c.txt
mkdir Empty
name b.txt c.txt 75
name b.txt Empty 75
name Moved c.txt 75
name Moved Empty 75

found=$(ls -A | LC_ALL=C sort | paste -sd' ')
[[ $found == "Empty Moved b.txt c.txt" ]] || fail "the mount holds \"$found\""
[[ -z $(find Empty Moved -mindepth 1) ]] || fail "a folder was filled"
holds b.txt one
holds c.txt two
echo "NAME on $kind: ok"
