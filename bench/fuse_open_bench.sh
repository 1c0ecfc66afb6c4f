#!/usr/bin/env bash
# OPEN FOR INPUT + CLOSE on an exFAT stick through exfat-fuse, against a plain
# open() + close() of the same file, with a folder of many files; and what
# the file system is asked per statement with FUSE's caching off. Runs
# file_open_bench (bench/file_open_bench.cpp) of a build tree: give two trees
# to compare them on the same stick.
#
#   bench/fuse_open_bench.sh BUILD_DIR [BUILD_DIR...]   # root
#
# FILES (10000) files fill big/, the folder of the file timed, big/f.txt.
# Requests are counted with caching off (no entry, attribute or missing-name
# timeouts), which exfat-fuse does not offer: on the tests' own FUSE file
# system (tests/e2e/refusing_fs.c, from the first build tree, over a plain
# folder, libfuse's path interface as exfat-fuse's) from its debug output,
# for OPEN + CLOSE of a/b/c/d/f.txt and for KILL of a/b/c/d/f.txt.missing
# (d holds f.txt alone), as the difference of ROUNDS and 2 x ROUNDS
# statements, over ROUNDS.
# Everything runs in a mount namespace of its own, so the stick ends with the
# script; its image lies in a temporary folder removed at the end.
set -euo pipefail
[[ $# -ge 1 ]] || { echo "usage: $0 BUILD_DIR [BUILD_DIR...]" >&2; exit 2; }
files=${FILES:-10000}
rounds=${ROUNDS:-50}
if [[ -z ${FUSE_OPEN_BENCH_NAMESPACE:-} ]]; then
    benches=()
    for b in "$@"; do benches+=("$(realpath "$b/bench/file_open_bench")"); done
    export REFUSING_FS
    REFUSING_FS=$(realpath "$1/tests/e2e/refusing_fs")
    FUSE_OPEN_BENCH_NAMESPACE=1 exec unshare --mount --propagation private bash "$0" "${benches[@]}"
fi

work=$(mktemp -d)
stick=$work/stick loop= daemon=
unmount() {
    cd /
    if mountpoint -q "$stick"; then umount "$stick"; fi
    if [[ -n $daemon ]]; then wait "$daemon" || true; fi
    daemon=
}
finish() {
    unmount
    [[ -z $loop ]] || losetup -d "$loop"
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 1' INT TERM HUP PIPE # the unmount and the image's removal still run
truncate -s 64M "$work/stick.img"
mkfs.exfat "$work/stick.img" >/dev/null
loop=$(losetup --find --show "$work/stick.img")
mkdir "$stick"

# mount_stick [COMMAND...]: exfat-fuse (or COMMAND, which mounts at $stick)
# in the foreground with debug output to $work/requests, until it has
# mounted.
mount_stick() {
    if [[ $# == 0 ]]; then set -- mount.exfat-fuse -d "$loop" "$stick"; fi
    "$@" >"$work/requests" 2>&1 &
    daemon=$!
    for _ in $(seq 100); do mountpoint -q "$stick" && return 0; sleep 0.05; done
    echo "exfat-fuse did not mount" >&2
    exit 1
}

mount_stick
mkdir -p "$stick/big" "$stick/a/b/c/d"
(cd "$stick/big" && for i in $(seq "$files"); do : >"file$i.txt"; done)
printf 'x' >"$stick/big/f.txt"
printf 'x' >"$stick/a/b/c/d/f.txt"

echo "OPEN FOR INPUT + CLOSE of big/f.txt beside $files files, cached as exfat-fuse caches:"
for bench in "$@"; do
    echo "-- $bench"
    FILE_OPEN_BENCH_FILE=$stick/big/f.txt "$bench" --benchmark_min_time=1 \
        --benchmark_filter='OpenInputClose|PlainOpenClose' 2>/dev/null | grep '^BM_'
done
unmount

# requests BENCH FILTER FILE: requests per statement of the benchmark.
requests() {
    local counts=() n
    for n in "$rounds" $((2 * rounds)); do
        local before after
        before=$(grep -c 'opcode:' "$work/requests" || true)
        FILE_OPEN_BENCH_ITERATIONS=$n FILE_OPEN_BENCH_FILE=$3 "$1" --benchmark_filter="$2" >/dev/null 2>&1
        after=$(grep -c 'opcode:' "$work/requests" || true)
        counts+=($((after - before)))
    done
    echo "scale=1; (${counts[1]} - ${counts[0]}) / $rounds" | bc
}

mkdir -p "$work/plain/a/b/c/d"
printf 'x' >"$work/plain/a/b/c/d/f.txt"
mount_stick "$REFUSING_FS" EIO "$work/plain" "$stick" -d -o entry_timeout=0,attr_timeout=0,negative_timeout=0
echo "FUSE requests per statement, caching off:"
for bench in "$@"; do
    echo "-- $bench"
    echo "OPEN + CLOSE a/b/c/d/f.txt: $(requests "$bench" OpenInputClose "$stick/a/b/c/d/f.txt")"
    echo "KILL a/b/c/d/f.txt.missing: $(requests "$bench" KillMissing "$stick/a/b/c/d/f.txt")"
done
