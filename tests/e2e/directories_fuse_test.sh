#!/usr/bin/env bash
# NAME on FUSE mounts with neither a rename that refuses to replace nor hard
# links, which will not rename a folder over an empty one either: a local
# folder mounted with rclone, its file cache off (KIND rclone-off) or for
# writes (rclone-writes), and a FAT image mounted with fusefat (fusefat), in
# a mount namespace of the test's own (so the mount ends with the test). A
# file and an empty folder renamed; renames onto a taken file or folder
# refused with 75, both keeping their bytes, and nothing left beside the
# names. A read-only FUSE mount that answers ENOSYS to every change, as
# squashfuse does (KIND enosys, the tests' refusing_fs): NAME gives 75 and
# KILL 55, as on any read-only mount, and the file stays. NAME where
# refusing_fs answers wrongly or the kernel keeps stale entries (KIND faults,
# see below). Needs root, /dev/fuse and the mount's tools: skipped (77)
# otherwise.
#
# Usage: directories_fuse_test.sh STATEMENTS_PROGRAM KIND [REFUSING_FS|none]
set -euo pipefail

kind=$2
skip() {
    echo "NAME on $kind: $*; skipped"
    exit 77
}
case $kind in
rclone-off | rclone-writes) tools=(rclone fusermount3) ;;
fusefat) tools=(fusefat mkfs.vfat) ;;
enosys | faults)
    [[ ${3:-none} != none ]] || skip "refusing_fs was not built (no libfuse3-dev)"
    tools=("$(realpath "$3")")
    ;;
*)
    echo "directories_fuse_test.sh: unknown mount $kind" >&2
    exit 2
    ;;
esac
source "$(dirname "$0")/mounts.sh"
mount_namespace_enter "$@"
[[ -c /dev/fuse ]] || skip "needs /dev/fuse"
source "$(dirname "$0")/lib.sh"
tools_need "${tools[@]}"

program=$(realpath "$1")
e2e_init "$(dirname "$program")"
mnt=$E2E_DIR/mnt
trap 'mounts_unmount "$mnt"; e2e_cleanup' EXIT
mkdir "$mnt"
# mounted: the file system at $mnt, in the background ($daemon).
mounted() {
    if [[ $kind == fusefat ]]; then
        fusefat -f -o rw+ "$E2E_DIR/fat.img" "$mnt" >"$E2E_DIR/daemon" 2>&1 &
    elif [[ $kind == enosys ]]; then
        "${tools[0]}" ENOSYS "$E2E_DIR/folder" "$mnt" >"$E2E_DIR/daemon" 2>&1 &
    elif [[ $kind == faults ]]; then
        # shellcheck disable=SC2086 # the row's words, one option each
        REFUSING_FS_FILE=OLD.TXT "${tools[0]}" "$mode" "$E2E_DIR/folder" "$mnt" $options \
            -o entry_timeout=600,attr_timeout=600 >"$E2E_DIR/daemon" 2>&1 &
    else
        rclone mount "$E2E_DIR/folder" "$mnt" --vfs-cache-mode "${kind#rclone-}" \
            --config "$E2E_DIR/rclone.conf" --cache-dir "$E2E_DIR/cache" >"$E2E_DIR/daemon" 2>&1 &
    fi
    daemon=$!
    mount_wait "$mnt" "$daemon"
    cd "$mnt"
}
# --- NAME where the file system's answer is wrong, or the kernel's entries
# for its names stale (KIND faults: the tests' refusing_fs, whose fault hits
# OLD.TXT, keeping names and attributes 600 s in the kernel). Each row mounts
# a folder holding OLD.TXT, looks it up so that the kernel keeps it, runs NAME
# OLD.TXT AS NEW.TXT and checks the code and the names left, each whole.
if [[ $kind == faults ]]; then
    # mode | refusing_fs's own options | code | names left
    rows=(
        # A refused delete: the kernel's nlink of 1 and libfuse's numbering of
        # each name must not keep NEW.TXT.
        "UNLINK_EACCES|hard_remove|75|OLD.TXT"
        # The same on libfuse's path interface, where a delete of a file open
        # (NAME's own probe) would only hide it and so take place.
        "UNLINK_EACCES||75|OLD.TXT"
        # Done but answered EIO, the old name still answering lookups with the
        # file's inode number: the folder's listing tells.
        "UNLINK_DONE_EIO|use_ino hard_remove|0|NEW.TXT"
        # The rename over the placeholder done but answered EIO, the kernel
        # still showing OLD.TXT and the empty NEW.TXT.
        "RENAME_DONE_EIO||0|NEW.TXT"
    )
    for row in "${rows[@]}"; do
        IFS='|' read -r mode options code names <<<"$row"
        e2e_step "$mode"
        rm -rf "$E2E_DIR/folder"
        mkdir "$E2E_DIR/folder"
        printf bytes >"$E2E_DIR/folder/OLD.TXT"
        mounted
        stat OLD.TXT >/dev/null
        got=$(timeout 10 "$program" NAME OLD.TXT NEW.TXT 2>"$E2E_DIR/err") ||
            fail "$mode $options: exit code $?"
        mounts_unmount "$mnt"
        wait "$daemon" || true
        left=$(ls -A "$E2E_DIR/folder" | LC_ALL=C sort | paste -sd' ')
        [[ $got == "$code" && $left == "$names" ]] ||
            fail "NAME with $mode $options gave $got and left \"$left\", not $code and $names"
        for name in $names; do
            [[ $(<"$E2E_DIR/folder/$name") == bytes ]] || fail "$mode $options: $name is not whole"
        done
    done
    echo "NAME on $kind: ok"
    exit 0
fi

if [[ $kind == fusefat ]]; then
    truncate -s 16M "$E2E_DIR/fat.img"
    mkfs.vfat "$E2E_DIR/fat.img" >/dev/null
else
    mkdir "$E2E_DIR/folder"
fi
mounted

# name OLD NEW CODE: NAME OLD AS NEW in the current folder raises CODE.
name() {
    local code
    code=$(timeout 10 "$program" NAME "$1" "$2" 2>"$E2E_DIR/err") || fail "NAME $1 $2: exit code $?"
    [[ $code == "$3" ]] || fail "NAME $1 AS $2 gave $code, not $3"
}

if [[ $kind == enosys ]]; then
    e2e_step read_only
    printf kept >"$E2E_DIR/folder/a.txt"
    name a.txt b.txt 75
    codes=$(timeout 10 "$program" KILL a.txt 2>"$E2E_DIR/err") || fail "KILL: exit code $?"
    [[ $codes == 55 ]] || fail "KILL a.txt gave $codes, not 55"
    [[ $(ls -A) == a.txt ]] || fail "the mount holds \"$(ls -A | paste -sd' ')\""
    holds a.txt kept
    echo "NAME on $kind: ok"
    exit 0
fi

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

# fusefat's own rename frees the clusters of a folder that holds entries, and
# of a file renamed to another letter case: such a NAME is refused and keeps
# the files, which are whole after a remount, on an image fsck finds clean.
if [[ $kind == fusefat ]]; then
    e2e_step fusefat_losses
    mkdir Saves
    printf kept >Saves/s.txt
    printf upper >NOTE.TXT
    name Saves OldSaves 75
    name NOTE.TXT note.txt 75
    mounts_unmount "$mnt"
    wait "$daemon" || true
    fsck.vfat -n "$E2E_DIR/fat.img" >"$E2E_DIR/fsck" 2>&1 || fail "fsck: $(tr '\n' ' ' <"$E2E_DIR/fsck")"
    mounted
    holds Saves/s.txt kept
    holds NOTE.TXT upper
fi

# --- KILL and NAME of a file this program holds --------------------------------
if [[ $kind == fusefat ]]; then
    # KILL under another spelling deletes the listed one, so that the name can
    # be made again at once (the kernel keeps no entry of it behind).
    e2e_step kill_spelling
    run "0 0 0 0 0 0" OUTPUT 1 save.txt CLOSE 1 KILL SAVE.TXT OUTPUT 1 save.txt PRINT 1 CLOSE 1
    holds save.txt $'bytes\r'
fi
# A file this program has open is neither deleted nor renamed, also where the
# mount shows no sign of the open (rclone without its cache shows a file being
# written only once it is closed).
e2e_step own_open_file
run "0 0 55 75 0" OUTPUT 1 x.txt PRINT 1 KILL x.txt NAME x.txt y.txt CLOSE 1
holds x.txt $'bytes\r' # PRINT ends its line with CR LF
[[ ! -e y.txt ]] || fail "NAME of the open x.txt made y.txt"
# ------------------------------------------------------------------------------
echo "NAME on $kind: ok"
