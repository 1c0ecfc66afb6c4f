#!/usr/bin/env bash
# DATE$ and TIME$ of a real program under a frozen fake clock (faketime -f:
# an absolute time without "@" stands still),
# against date(1) under the same clock, in several time zones.
#   date_time_test.sh CLOCK_TEXT_PROGRAM
set -euo pipefail
program="$1"
fail=0
check() { # zone, local time
  local want got
  want=$(TZ="$1" faketime -f "$2" date '+%m-%d-%Y%n%H:%M:%S')
  got=$(TZ="$1" faketime -f "$2" "$program")
  if [[ "$got" != "$want" ]]; then
    echo "TZ=$1 at $2: expected '$want', got '$got'"
    fail=1
  fi
}
check UTC '2024-01-05 09:03:07'
check Asia/Tokyo '1999-12-31 23:59:59'
check America/New_York '2038-01-19 03:14:08'
check Europe/Berlin '2000-02-29 00:00:00'
[[ $fail -eq 0 ]] && echo "DATE$ and TIME$ agree with date"
exit $fail
