#!/usr/bin/env bash
# An end-to-end test leaves no process behind, whether it passes or fails: it
# runs once as it is and once forced to fail at each of STEPS (E2E_FAIL_AT);
# after every run, no process that carries this check's mark in its
# environment may be left. Those left are named, then ended.
#
#   processes_left_test.sh "STEP..." TEST_SCRIPT ARGS...
set -euo pipefail
source "$(dirname "$0")/lib.sh"

steps=$1
shift
test=("$@")
mark=E2E_LEFT_CHECK=$$.$(date +%s%N)
log=$(mktemp)
trap 'processes_end "$mark"; rm -f "$log"' EXIT
trap 'exit 143' TERM INT HUP
failed=0

# ended_as_expected STEP CODE: a forced run failed at its step, the other
# passed.
ended_as_expected() {
    if [[ -n $1 ]]; then grep -qxF "FAIL: forced to fail at $1" "$log"; else [[ $2 == 0 ]]; fi
}

# run [STEP]: the test, forced to fail at STEP if one is given.
run() {
    local step=${1:-} what="passing run" code=0 left
    [[ -z $step ]] || what="run failing at $step"
    env "$mark" E2E_FAIL_AT="$step" bash "${test[@]}" >"$log" 2>&1 || code=$?
    if ! ended_as_expected "$step" "$code"; then
        echo "FAIL: the $what ended with exit code $code:" >&2
        cat "$log" >&2
        failed=1
    fi
    left=$(processes_with "$mark")
    if [[ -n $left ]]; then
        echo "FAIL: the $what left processes behind:" >&2
        ps -o pid=,args= -p "$(echo $left | tr ' ' ,)" >&2 || true
        processes_end "$mark"
        failed=1
    else
        echo "ok: the $what left no process"
    fi
}

run ""
for step in $steps; do run "$step"; done
exit $failed
