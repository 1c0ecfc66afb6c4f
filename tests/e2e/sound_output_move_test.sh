#!/usr/bin/env bash
# A playing sound follows the desktop's outputs: a PulseAudio daemon of the
# test's own with two null sinks, and a 1 kHz tone played through OpenAL's
# PulseAudio back-end. The mixer moves the stream to the second sink; the
# second sink is then unloaded and the stream must play on the first, neither
# killed nor corked, with the tone heard on each sink's monitor. A player's
# own "allow-moves = false" (through ALSOFT_CONF) still keeps the stream in
# place. Skipped (77) when the daemon cannot start.
#
#   sound_output_move_test.sh PROGRAM
set -euo pipefail
source "$(dirname "$0")/lib.sh"
program="$1"
e2e_init "$(dirname "$program")"

# The test's own home and runtime folder (from e2e_init), so no configuration
# of the machine's user is read, and nothing of the machine's sound set-up is
# touched. The daemon's socket is the one in its runtime folder, where the
# clients look first: a server named in PULSE_SERVER would be cut at blanks.
unset ALSOFT_CONF PULSE_SERVER DISPLAY
export ALSOFT_DRIVERS=pulse
export PULSE_RUNTIME_PATH="$XDG_RUNTIME_DIR" PULSE_CLIENTCONFIG="$E2E_DIR/client.conf"
echo "autospawn = no" >"$PULSE_CLIENTCONFIG"
cat >"$E2E_DIR/server.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1
load-module module-null-sink sink_name=first
load-module module-null-sink sink_name=second
set-default-sink first
PA
pulseaudio -n -F "$E2E_DIR/server.pa" --daemonize=no --system=false --exit-idle-time=-1 \
  --disallow-exit --use-pid-file=no >"$E2E_DIR/server.log" 2>&1 &
server_pid=$!
for i in $(seq 100); do
  [[ $(pactl info 2>/dev/null) == *"Server String: $PULSE_RUNTIME_PATH/native"* ]] && break
  if ((i == 100)) || ! kill -0 "$server_pid" 2>/dev/null; then
    echo "sound output move: PulseAudio did not start; skipped. Its log:"
    cat "$E2E_DIR/server.log"
    exit 77
  fi
  sleep 0.05
done

# 30 s of tone: it plays for as long as the test runs.
sox -n -r 22050 -c 1 -b 16 -e signed-integer "$E2E_DIR/tone.raw" synth 30 sine 1000 vol 0.5
program_start "$program" "$E2E_DIR/tone.raw" 1 16 22050 1 30

# stream_sink: the name of the sink the program's one stream plays on.
stream_sink() {
  local index
  index=$(pactl list short sink-inputs | awk 'NR == 1 { print $2 }')
  [[ -n $index ]] && pactl list short sinks | awk -v i="$index" '$1 == i { print $2 }'
}

# stream_sink_wait NAME: until the stream plays on that sink, not corked
# (up to 5 s).
stream_sink_wait() {
  local i
  for i in $(seq 100); do
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended"
    [[ $(stream_sink) == "$1" && $(pactl list sink-inputs) == *$'\tCorked: no'* ]] && return 0
    sleep 0.05
  done
  pactl list sink-inputs >&2
  fail "the stream is not playing on $1"
}

# tone_heard SINK: the sink's monitor carries the tone (peak about 10,000)
# within 3 s.
tone_heard() {
  local i peak
  for i in 1 2 3; do
    peak=$( (timeout 1 parec -d "$1.monitor" --raw --format=s16le --channels=1 --rate=8000 || true) |
      od -An -v -td2 | awk '{ for (i = 1; i <= NF; ++i) if ($i > m) m = $i } END { print m + 0 }')
    ((peak < 4000)) || return 0
  done
  fail "no sound on $1 (peak $peak)"
}

stream_sink_wait first
tone_heard first
pactl move-sink-input "$(pactl list short sink-inputs | awk 'NR == 1 { print $1 }')" second ||
  fail "the mixer cannot move the stream"
stream_sink_wait second
tone_heard second
e2e_step moved

pactl unload-module "$(pactl list short modules | awk '/sink_name=second/ { print $1 }')"
stream_sink_wait first
sleep 1
stream_sink_wait first
tone_heard first
echo "the stream moved to the second sink and back to the first when the second went away"

# The player's own setting still decides.
kill "$program_pid"
wait "$program_pid" || true
pactl load-module module-null-sink sink_name=second >/dev/null
printf '[pulse]\nallow-moves = false\n' >"$E2E_DIR/player.conf"
ALSOFT_CONF="$E2E_DIR/player.conf" program_start "$program" "$E2E_DIR/tone.raw" 1 16 22050 1 30
stream_sink_wait first
! pactl move-sink-input "$(pactl list short sink-inputs | awk 'NR == 1 { print $1 }')" second \
  2>/dev/null || fail "the stream moved although the player's configuration forbids it"
echo "with the player's allow-moves = false the stream stays put"
