#!/usr/bin/env bash
# A loaded sound end to end: 1 s of 1 kHz mono PCM at 22,050 Hz made by sox,
# played through OpenAL's wave-file writer at volume 0.5 and again at full
# volume, each with a 0.5 s limit. sox measures the written left channel
# (silence trimmed): 1000 +- 5 Hz and half the RMS. The limit runs on the
# clock and the pump stops the sound at its first pass after it: the sound
# lasts the limit, up to as long as the program saw it play, each within
# 0.03 s (the writer, real-time, catches up after a wait in one go), and the
# limit, not the end of the data, stopped it.
#
#   loaded_sound_test.sh PROGRAM
set -euo pipefail
# The configurations' "drivers = wave" decides; ALSOFT_DRIVERS would override it.
unset ALSOFT_DRIVERS
program="$1"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT

sox -n -r 22050 -c 1 -b 16 -e signed-integer "$dir/tone.raw" synth 1 sine 1000 vol 0.5

# Runs the program at a volume into DIR/NAME.wav and prints sox's statistics.
play_measured() {
  local volume="$1" name="$2"
  cat >"$dir/$name.conf" <<CONF
drivers = wave
frequency = 44100
channels = stereo
sample-type = int16
dither = false
output-limiter = false
period_size = 64
[wave]
file = $dir/$name.wav
CONF
  ALSOFT_CONF="$dir/$name.conf" "$program" "$dir/tone.raw" 1 16 22050 "$volume" 0.5 |
    awk '/^played/ { print "Played: " $2 }'
  sox "$dir/$name.wav" -n remix 1 silence 1 1 0 reverse silence 1 1 0 reverse stat 2>&1
}

value() { awk -v key="$1" -F: '$1 ~ key { gsub(/ /, "", $2); print $2 }'; }

half="$(play_measured 0.5 half)"
full="$(play_measured 1 full)"
freq="$(value "Rough" <<<"$half")"
length="$(value "Length" <<<"$half")"
played="$(value "Played" <<<"$half")"
rms_half="$(value "RMS +amplitude" <<<"$half")"
rms_full="$(value "RMS +amplitude" <<<"$full")"
echo "frequency $freq Hz, length $length s (seen playing $played s), RMS $rms_half at 0.5 and $rms_full at 1"

awk -v f="$freq" -v l="$length" -v p="$played" -v h="$rms_half" -v r="$rms_full" 'BEGIN {
  ok = 1
  if (f < 995 || f > 1005) { print "frequency not 1000 +- 5 Hz"; ok = 0 }
  if (l < 0.47 || l > p + 0.03) { print "length not between 0.47 s and the time played + 0.03 s"; ok = 0 }
  if (p < 0.5 || p > 0.9) { print "not stopped by the limit"; ok = 0 }
  if (r <= 0 || h / r < 0.49 || h / r > 0.51) { print "RMS at volume 0.5 is not half"; ok = 0 }
  exit ok ? 0 : 1
}'
