#!/usr/bin/env bash
# FILES and SHELL through a real window: FILES lists a prepared tree on the
# screen (header, 8.3 entries, <DIR>, a long name whole, the free bytes as df
# counts them); a waited SHELL in full screen leaves it while the command
# runs and comes back to the same screen. NAME where the file system has no
# rename that refuses to replace and a step of the way round goes wrong
# (SHIM, a preloaded library): the file always keeps a name, a move done in
# spite of a lost reply is done, and a refused one leaves the old name alone;
# a one-step NAME or KILL done but answered EIO is done. OPEN against KILL of
# one name in another program: no line written is lost.
#
#   directories_test.sh PROGRAM TOOLS_DIR STATEMENTS_PROGRAM SHIM
set -euo pipefail
program=$1 statements=$3 shim=$4
source "$(dirname "$0")/lib.sh"
e2e_init "$2"

preload_env "$shim"

# faulted FAULT CODE NAMES...: the statement in $statement (NAME OLD.TXT
# NEW.TXT, KILL OLD.TXT) with the shim's FAULT raises CODE and leaves the
# folder holding NAMES alone, each with the file's bytes.
faulted() {
    local fault=$1 expected=$2 folder=$E2E_DIR/fault_$1_${statement[0]} code name
    shift 2
    mkdir "$folder"
    printf bytes >"$folder/OLD.TXT"
    code=$(cd "$folder" && "${preload[@]}" RENAME_SHIM_FILE=OLD.TXT RENAME_SHIM_FAULT="$fault" \
        timeout 10 "$statements" "${statement[@]}") ||
        fail "${statement[0]} with $fault: exit code $?"
    [[ $code == "$expected" ]] || fail "${statement[0]} with $fault gave $code, not $expected"
    [[ $(ls -A "$folder" | LC_ALL=C sort | paste -sd' ') == "$*" ]] ||
        fail "${statement[0]} with $fault left \"$(ls -A "$folder" | paste -sd' ')\", not $*"
    for name; do
        [[ $(<"$folder/$name") == bytes ]] ||
            fail "${statement[0]} with $fault left $name not whole"
    done
}
e2e_step rename_faults
statement=(NAME OLD.TXT NEW.TXT)
faulted unlink-lost 0 NEW.TXT
faulted rename-lost 0 NEW.TXT
faulted unlink-EACCES 75 OLD.TXT
faulted unlink-EBUSY 75 OLD.TXT
# A removal done but answered EIO across file systems keeps the copy; a
# placeholder whose lstat fails is still known (its create's descriptor); a
# folder that cannot be read leaves NAME unable to tell what the removal did,
# so both names stay.
faulted copy-unlink-EIO 0 NEW.TXT
faulted placeholder-lstat 0 NEW.TXT
faulted unlink-EIO-unread 75 NEW.TXT OLD.TXT
# A one-step rename or removal done but answered EIO is done.
faulted EIO-done 0 NEW.TXT
statement=(KILL OLD.TXT)
faulted EIO-done 0

xvfb_start

tree="$E2E_DIR/tree"
mkdir -p "$tree/Sub"
: >"$tree/a.txt"
: >"$tree/readme"
: >"$tree/long_file_name.text"

program_start "$program"
output_wait ready
win=$(window_wait "Directory Check")
xdotool windowmove --sync "$win" 0 0
[[ $(program_ask "chdir $tree" "error") == "error 0" ]] || fail "CHDIR failed"
# df before and after FILES: other programs may write to the disk meanwhile.
df_free() { df -B1 --output=avail "$tree" | tail -n 1 | tr -d ' '; }
df_before=$(df_free)
[[ $(program_ask "files" "error") == "error 0" ]] || fail "FILES raised an error"

# FILES shows the folder's bytes in capitals (the ASCII letters), each byte
# one glyph of code page 437, which the screen reader gives as UTF-8.
header=$(tr '[:lower:]' '[:upper:]' <<<"$tree" | iconv -f CP437 -t UTF-8)
screen_wait "$win" 1 "$header"
rows=$(screen_text "$E2E_DIR/screen.ppm" | sed 's/ *$//')
row() { sed -n "${1}p" <<<"$rows"; }
expect_row() { [[ $(row "$1") == "$2" ]] || fail "row $1 reads \"$(row "$1")\", not \"$2\""; }
expect_row 2 "        .   <DIR>         ..  <DIR> A       .TXT      LONG_FILE_NAME.TEXT"
expect_row 3 "README            SUB         <DIR>"
free=$(row 4 | sed -n 's/^ \([0-9]*\) Bytes free$/\1/p')
[[ -n $free ]] || fail "row 4 reads \"$(row 4)\", not the free bytes"
df_after=$(df_free)
slack=$((64 * 1024 * 1024))
((free >= (df_before < df_after ? df_before : df_after) - slack &&
    free <= (df_before > df_after ? df_before : df_after) + slack)) ||
    fail "FILES shows $free bytes free, df $df_before before and $df_after after"

# SHELL in stretched full screen: windowed while the command runs.
scale=1.6,3.84
program_say "fullscreen 0"
output_wait "full screen 1"
window_size_wait "$win" 1024x768
screen_wait root 1 "$header" --size 80x25 --scale "$scale"
before=$(screen_text "$E2E_DIR/screen.ppm" --size 80x25 --scale "$scale")
program_say "shell sh -c \"touch '$E2E_DIR/started'; while [ ! -e '$E2E_DIR/go' ]; do sleep 0.05; done\""
for _ in $(seq 200); do [[ -e $E2E_DIR/started ]] && break; sleep 0.05; done
[[ -e $E2E_DIR/started ]] || fail "the SHELL command did not start"
window_size_wait "$win" 640x200
touch "$E2E_DIR/go"
output_wait "shell done"
window_size_wait "$win" 1024x768
screen_wait root 1 "$header" --size 80x25 --scale "$scale"
after=$(screen_text "$E2E_DIR/screen.ppm" --size 80x25 --scale "$scale")
[[ $after == "$before" ]] || fail "the screen changed across SHELL"

program_say end
program_exit_wait
[[ $program_exit_code == 0 ]] || fail "exit code $program_exit_code"

# --- KILL and another program's OPEN between its check and its delete -------
# A local disk deletes an open file at once, so KILL keeps its probe's lock
# until the file is gone: another program's OPEN that comes in between (held
# there by the shim) is refused, or else the KILL is. Never do both report
# success with the file written and then deleted.
e2e_step kill_meets_open
race=$E2E_DIR/race
mkdir "$race"
printf old >"$race/victim.txt"
(cd "$race" && "${preload[@]}" RENAME_SHIM_FILE=victim.txt RENAME_SHIM_FAULT=unlink-pause \
    RENAME_SHIM_READY="$E2E_DIR/pause_ready" RENAME_SHIM_GO="$E2E_DIR/pause_go" \
    timeout 120 "$statements" KILL victim.txt >"$E2E_DIR/kill_codes" 2>"$E2E_DIR/err") &
killer=$!
for _ in $(seq 1200); do [[ -e $E2E_DIR/pause_ready ]] && break; sleep 0.05; done
[[ -e $E2E_DIR/pause_ready ]] || fail "KILL did not come to its delete"
writer=$(cd "$race" && timeout 10 "$statements" OPEN 1 victim.txt PRINT 1 CLOSE 1 2>/dev/null) ||
    fail "OPEN, PRINT and CLOSE: exit code $?"
touch "$E2E_DIR/pause_go"
wait "$killer" || fail "KILL: exit code $?"
killed=$(<"$E2E_DIR/kill_codes")
if [[ $writer == "0 0 0" ]]; then
    [[ $killed == 55 && $(<"$race/victim.txt") == old$'bytes\r' ]] ||
        fail "OPEN, PRINT and CLOSE gave 0, and then KILL gave $killed and left \"$(ls -A "$race")\""
else
    [[ $writer == "70 "* && $killed == 0 && -z $(ls -A "$race") ]] ||
        fail "OPEN, PRINT and CLOSE gave $writer, KILL $killed, leaving \"$(ls -A "$race")\""
fi

# --- OPEN against KILL of one name, in two programs at once ------------------
# A writer's 1,000 rounds of OPEN FOR APPEND, PRINT and CLOSE beside KILLs of
# the name, without and with a pause before every other share lock of the
# writer: each line a round reported written stays, in the file or in one a
# KILL deleted (the shim logs its bytes), and is never written to a file no
# name leads to.
e2e_step open_against_kill
writes_kept() {
    local fault=$1 dir=$E2E_DIR/race_$1 rounds=() kills=() written deleted left
    mkdir "$dir"
    touch "$dir/deleted"
    for _ in $(seq 1000); do rounds+=(OPEN 1 victim.txt PRINT 1 CLOSE 1); done
    for _ in $(seq 5000); do kills+=(KILL victim.txt); done
    (cd "$dir" && until [[ -e stop ]]; do
        "${preload[@]}" RENAME_SHIM_FILE=victim.txt RENAME_SHIM_FAULT=unlink-count \
            RENAME_SHIM_LOG="$dir/deleted" timeout 60 "$statements" OUTPUT 2 killing CLOSE 2 \
            "${kills[@]}" >/dev/null 2>&1
    done) &
    for _ in $(seq 200); do [[ -e $dir/killing ]] && break; sleep 0.05; done
    (cd "$dir" && "${preload[@]}" RENAME_SHIM_FILE=victim.txt RENAME_SHIM_FAULT="$fault" \
        timeout 60 "$statements" "${rounds[@]}" >codes 2>/dev/null) ||
        fail "the writer with $fault: exit code $?"
    touch "$dir/stop"
    wait $!
    written=$(tr ' ' '\n' <"$dir/codes" | paste -d' ' - - - | grep -cx '0 0 0' || true)
    deleted=$(awk '{ bytes += $1 } END { print bytes + 0 }' "$dir/deleted")
    left=$(stat -c %s "$dir/victim.txt" 2>/dev/null || echo 0)
    ((written > 0 && written * 7 == deleted + left)) ||
        fail "with $fault, $((written - (deleted + left) / 7)) of $written lines written were lost"
}
writes_kept none
writes_kept lock-pause
# ----------------------------------------------------------------------------
echo "directories: ok"
