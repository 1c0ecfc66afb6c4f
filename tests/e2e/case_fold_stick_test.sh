#!/usr/bin/env bash
# Names meet exactly where an exFAT volume's up-case table says, over every
# two characters that the table or Unicode's one-character case mappings
# join (the table read from an image made by mkfs.exfat, as
# tools/make_case_fold.py --pairs reads it). For each pair a file is made
# under the one spelling, and one run of the program KILLs the other: 0 and
# the file gone where the table joins the two, else 53 and the file kept. On
# the local disk; on an exFAT stick through exfat-fuse, whose own lookup
# (make one, look up the other) must agree with the table too; and on a FAT
# image through fusefat, whose own lookup must join no pair the table keeps
# apart, so that the runtime never makes a second file beside one that
# fusefat would find. On the stick, with k.txt and K.txt (the Kelvin sign)
# both there, KILL "K.TXT" of the open k.txt gives 55 and the stick stays.
# The mounts need root, a loop device, /dev/fuse, mount.exfat-fuse and
# fusefat: without root only the local disk is checked, and the test says
# skipped (77).
#
# Usage: case_fold_stick_test.sh STATEMENTS_PROGRAM
set -euo pipefail

skip() {
    echo "Case fold: $*; skipped"
    exit 77
}
source "$(dirname "$0")/mounts.sh"
[[ $(id -u) != 0 ]] || mount_namespace_enter "$@"
source "$(dirname "$0")/lib.sh"
tools_need mkfs.exfat python3

program=$(realpath "$1")
maker=$(realpath "$(dirname "$0")/../../tools/make_case_fold.py")
e2e_init "$(dirname "$program")"
loop=
release() {
    mounts_unmount "$E2E_DIR/stick" "$E2E_DIR/fat"
    [[ -z $loop ]] || losetup -d "$loop" || true
    e2e_cleanup
}
trap release EXIT
python3 "$maker" --pairs >"$E2E_DIR/pairs"

# pairs MODE FOLDER [CODES]: over the pairs, in FOLDER (pair i's spellings
# are "i-" and either character):
#   make       makes each pair's first spelling where the file system takes it
#   lookup     every pair was made, and the file system's own lookup finds
#              the second spelling exactly where the table joins the two
#   within     ... only where the table joins the two
#   kills      prints KILL SECOND for each pair made, NUL-separated
#   killed     CODES (the kills' errors) are 0 where the table joins the two,
#              else 53, and the first spelling is gone exactly where it gave 0
pairs() {
    python3 - "$E2E_DIR/pairs" "$@" <<'EOF'
import os
import sys

pairs_file, mode, folder = sys.argv[1:4]
pairs = []
for i, line in enumerate(open(pairs_file)):
    a, b, joined = line.split()
    pairs.append(("%d-%s" % (i, chr(int(a, 16))), "%d-%s" % (i, chr(int(b, 16))), joined == "1", a, b))
made_list = "%s.made%s" % (pairs_file, folder.replace("/", "_"))
if mode == "make":
    made = []
    for i, (first, _, _, _, _) in enumerate(pairs):
        try:
            open(os.path.join(folder, first), "x").close()
            made.append(str(i))
        except OSError:
            pass
    open(made_list, "w").write(" ".join(made))
    sys.exit(0)
made = [pairs[int(i)] for i in open(made_list).read().split()]
if mode == "kills":
    sys.stdout.write("".join("KILL\0%s\0" % second for _, second, _, _, _ in made))
    sys.exit(0)
wrong = []
if mode == "lookup" and len(made) != len(pairs):
    wrong.append("only %d of %d pairs made" % (len(made), len(pairs)))
if mode in ("lookup", "within"):
    for first, second, joined, a, b in made:
        found = os.path.lexists(os.path.join(folder, second))
        if found != joined and (mode == "lookup" or found):
            wrong.append("%s %s: %s" % (a, b, "found" if found else "not found"))
elif mode == "killed":
    codes = sys.argv[4].split()
    if len(codes) != len(made):
        sys.exit("%d errors for %d KILLs" % (len(codes), len(made)))
    listed = set(os.listdir(folder))  # not the kernel's cached entries
    for (first, second, joined, a, b), code in zip(made, codes):
        kept = first in listed
        if code != ("0" if joined else "53") or kept != (code != "0"):
            wrong.append("%s %s: KILL gave %s, the file %s" % (a, b, code, "kept" if kept else "gone"))
print("%d pairs, %d of them joined, %d wrong" % (len(made), sum(p[2] for p in made), len(wrong)))
for line in wrong[:20]:
    print(line)
sys.exit(1 if wrong else 0)
EOF
}

# pairs_check FOLDER LOOKUP: the pairs made in FOLDER; the file system's own
# lookup checked by pairs LOOKUP; then the runtime's, by one run of KILLs.
pairs_check() {
    local folder=$1 codes
    mkdir "$folder"
    pairs make "$folder"
    pairs "$2" "$folder" || fail "$folder: the file system's own lookup"
    mapfile -d '' kills < <(pairs kills "$folder")
    codes=$(cd "$folder" && timeout 300 "$program" "${kills[@]}" 2>"$E2E_DIR/err") ||
        fail "$folder: statements_program: exit code $?"
    pairs killed "$folder" "$codes" || fail "$folder: the runtime's KILL"
}
kelvin=$'\u212a'

e2e_step local_disk
mkdir "$E2E_DIR/disk"
pairs_check "$E2E_DIR/disk/pairs" within
cd "$E2E_DIR/disk"
printf K >"$kelvin.txt"
run "0 0" OUTPUT 1 k.txt CLOSE 1
holds "$kelvin.txt" K
[[ -f k.txt ]] || fail "OPEN k.txt FOR OUTPUT made no k.txt beside $kelvin.txt"

[[ -n ${E2E_MOUNT_NAMESPACE:-} ]] || skip "the local disk is fine; the mounts need root"
[[ -c /dev/fuse ]] || skip "the local disk is fine; the mounts need /dev/fuse"
missing=$(tools_missing mount.exfat-fuse losetup fusefat mkfs.vfat)
[[ -z $missing ]] || skip "the local disk is fine; the mounts need $missing"

e2e_step exfat
stick=$E2E_DIR/stick
truncate -s 16M "$E2E_DIR/stick.img"
mkfs.exfat "$E2E_DIR/stick.img" >/dev/null
loop=$(losetup --find --show "$E2E_DIR/stick.img" 2>/dev/null) || skip "no loop device"
mkdir "$stick"
mount.exfat-fuse "$loop" "$stick" >/dev/null 2>&1 || skip "the stick cannot be mounted"
pairs_check "$stick/pairs" lookup
cd "$stick"
printf k >k.txt
printf K >"$kelvin.txt"
run "0 55" OPEN 1 k.txt KILL K.TXT
mountpoint -q "$stick" || fail "the stick is gone"
holds k.txt k
holds "$kelvin.txt" K

e2e_step fusefat
cd "$E2E_DIR"
fat=$E2E_DIR/fat
truncate -s 16M "$E2E_DIR/fat.img"
mkfs.vfat "$E2E_DIR/fat.img" >/dev/null
mkdir "$fat"
fusefat -f -o rw+ "$E2E_DIR/fat.img" "$fat" >"$E2E_DIR/daemon" 2>&1 &
daemon=$!
mount_wait "$fat" "$daemon"
pairs_check "$fat/pairs" within
echo "Case fold: ok"
