# Helpers for end-to-end tests that mount file systems. Such a test runs in a
# mount namespace of its own, so that its mounts end with it, pass or fail.
#
#   skip() { echo "...: $*; skipped"; exit 77; }
#   source "$(dirname "$0")/mounts.sh"
#   mount_namespace_enter "$@"       # first; skips without root
#   source "$(dirname "$0")/lib.sh"
#   e2e_init ...
#   trap 'mounts_unmount "$mnt"; e2e_cleanup' EXIT
#
# A FUSE daemon ends with its unmount (and e2e_cleanup ends it otherwise).
# The tests that drive statements_program (its path in $program) share run
# and holds.

# mount_namespace_enter ARGS...: runs this script again with ARGS in a mount
# namespace of its own, once; where there is none to be had (not root, no
# namespaces), skip says why.
mount_namespace_enter() {
    [[ -z ${E2E_MOUNT_NAMESPACE:-} ]] || return 0
    { [[ $(id -u) == 0 ]] && unshare --mount true 2>/dev/null; } || skip "needs root and mount namespaces"
    E2E_MOUNT_NAMESPACE=1 exec unshare --mount --propagation private bash "$0" "$@"
}

# mounts_unmount DIR...: leaves them and unmounts each that is mounted; a
# FUSE mount whose daemon died answers no stat, so mountpoint misses it, and
# it is let go lazily.
mounts_unmount() {
    cd /
    local d
    for d in "$@"; do
        if mountpoint -q "$d"; then umount "$d" || true; fi
        ! findmnt --mountpoint "$d" >/dev/null || umount -l "$d" || true
    done
}

# mount_wait DIR PID: waits until DIR is mounted or the daemon PID has ended
# (10 s at most); skip says why where the mount did not come up.
mount_wait() {
    local _
    for _ in $(seq 100); do
        mountpoint -q "$1" || ! kill -0 "$2" 2>/dev/null && break
        sleep 0.1
    done
    mountpoint -q "$1" || skip "the mount did not come up: $(tail -1 "$E2E_DIR/daemon")"
}

# run CODES STATEMENT...: statements_program STATEMENT... prints CODES.
run() {
    local want=$1 codes
    shift
    codes=$(timeout 10 "$program" "$@" 2>"$E2E_DIR/err") || fail "statements_program $*: exit code $?"
    [[ $codes == "$want" ]] || fail "$* gave $codes, not $want"
}

# holds NAME TEXT: the file NAME holds TEXT.
holds() { [[ -f $1 && $(<"$1") == "$2" ]] || fail "$1 does not hold \"$2\""; }
