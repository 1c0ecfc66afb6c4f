// Raw sample streams: single stereo frames written by the program thread,
// packed into 16,384-byte blocks and handed to the audio pump (audio_pump.h)
// through a ring of block pointers.
//
// A stream is made by sound_raw_open; frames collect in its current block;
// a full block goes onto the ring, where the pump takes it, copies it into an
// OpenAL buffer and frees it. The first full block starts the stream.
//
// Threads: the program thread writes frames and flushes; the runtime loop
// thread runs the pump. sound_busy guards every stream's current block; the
// ring indices hand blocks over with release/acquire.
#pragma once

#include <atomic>
#include <cstdint>

struct sound_handle_record;

// Flags of sound_raw_frame_add.
constexpr int32_t RAW_FRAME_RIGHT_GIVEN = 1;
constexpr int32_t RAW_FRAME_HANDLE_GIVEN = 2;

// The stream that the raw-sample operations use when no handle is given
// (0 until first used).
extern std::atomic<int32_t> default_raw_stream;

// Makes a new raw stream and returns its handle. While every source of the
// device is taken, the stream plays nothing: its full blocks are dropped, so
// nothing is queued and it is not playing, until a block finds a source free.
int32_t sound_raw_open();

// Appends one frame (samples in -1..1, scaled by 32,767 and truncated; values
// beyond the format saturate). Without RAW_FRAME_HANDLE_GIVEN the frame goes to
// default_raw_stream; a given handle 0 does nothing; a bad, closed or non-raw
// handle is error 5. Without RAW_FRAME_RIGHT_GIVEN the right sample repeats
// the left.
void sound_raw_frame_add(float left, float right, int32_t handle, int32_t flags);

// The same for `count` stereo frames of 16-bit samples on an open stream
// handle, each sample taken as sample / 32768 the way a frame of floats is:
// the stream receives exactly what count calls of sound_raw_frame_add would
// give it, with the lookup and the busy flag taken once a block.
void sound_raw_frames_add(const int16_t *samples, int64_t count, int32_t handle);

// Pushes a partly filled current block onto the ring, padded with silence.
// Does nothing for an empty block or while sound_busy is held elsewhere.
void sound_raw_flush(int32_t handle, int32_t handle_given);

// Seconds of sound waiting to be heard: the blocks on the ring plus the
// buffers queued on the source (a playing buffer counts whole); the partly
// filled current block does not count.
double sound_raw_queued_seconds(int32_t handle, int32_t handle_given);

// The one flag that guards every stream's current block. Taking it is an
// atomic test-and-set with acquire order; giving it back releases.
bool sound_busy_try_take();
void sound_busy_take(); // waits, yielding, while another thread holds it
void sound_busy_release();

// The ring slot after slot (1..SOUND_RING_CAPACITY, wrapping to 1).
int32_t raw_stream_next_slot(int32_t slot);

// True when the ring holds no block (as the consumer sees it).
bool raw_stream_ring_empty(const sound_handle_record *record);

// With sound_busy held: pads the current block with silence, puts it on the
// ring (or drops it when the ring is full or the stream has no source) and
// starts a fresh zeroed block.
void raw_stream_block_push(sound_handle_record *record);

// Deletes the stream's OpenAL objects and frees its blocks and ring. The
// handle itself stays in the list.
void raw_stream_release(sound_handle_record *record);

// Forgets default_raw_stream (tests; the handles are released separately).
void raw_stream_reset();
