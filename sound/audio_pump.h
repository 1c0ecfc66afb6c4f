// The audio pump: moves full blocks of every raw stream into OpenAL buffers.
//
// The runtime loop thread calls sound_update once per pass (about every
// 16 ms). For each started raw stream it takes back the buffers OpenAL has
// played, queues ring blocks into free buffers (four per stream, about 370 ms
// ahead), frees each block as soon as OpenAL has copied it, and restarts a
// source that ran dry. It pushes the tone pipe's last partial block once the
// program has stopped writing to it, and releases closed streams once they
// have played out. It never waits.
#pragma once

#include <cstdint>

// How long a closed raw stream keeps its OpenAL objects after the close.
constexpr int64_t RAW_STREAM_RELEASE_DELAY_MS = 3000;

// How long after the last frame the tone pipe's partial block is pushed.
constexpr int64_t TONE_PIPE_FLUSH_DELAY_MS = 20;

void sound_update();
