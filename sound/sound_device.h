// The audio device, the output format and the list of sound handles.
//
// All sound leaves through one device opened at start-up (sound_init) and
// closed as the program ends (sound_close). Every sound is a
// sound_handle_record in sound_handle_list; its list index is the handle that
// BASIC statements pass around.
//
// Threads: sound_init runs on the main thread before the other threads start;
// the program thread runs the sound statements; the runtime loop thread runs
// the audio pump (sound_update) and finally sound_close. The words of a record
// that both the program thread and the pump touch are atomics; a raw stream's
// current block is guarded by sound_busy (see raw_stream.h). Adding and
// removing records and making or deleting a loaded sound's OpenAL objects are
// guarded by sound_handles_busy, which the pump only tries to take: it skips
// a pass while the program thread holds it.
#pragma once

#include <atomic>
#include <cstdint>

struct indexed_list;

// Output format: 44,100 frames a second, a frame is a left and a right signed
// 16-bit sample (4 bytes), a stream block holds 4,096 frames (16,384 bytes).
constexpr int32_t SOUND_RATE_HZ = 44100;
constexpr int32_t SOUND_FRAME_BYTES = 4;
constexpr int32_t SOUND_BLOCK_BYTES = 16384;
constexpr int32_t SOUND_BLOCK_FRAMES = SOUND_BLOCK_BYTES / SOUND_FRAME_BYTES;
constexpr int32_t SOUND_BLOCK_SAMPLES = SOUND_BLOCK_FRAMES * 2;

// A raw stream's ring of full blocks uses slots 1..SOUND_RING_CAPACITY and so
// holds at most SOUND_RING_CAPACITY - 1 blocks.
constexpr int32_t SOUND_RING_CAPACITY = 65536;
constexpr int32_t SOUND_STREAM_BUFFERS = 4;

constexpr uint8_t SOUND_KIND_RAW_STREAM = 1;
constexpr uint8_t SOUND_KIND_LOADED = 2;

constexpr uint8_t SOUND_CLOSE_OPEN = 0;
constexpr uint8_t SOUND_CLOSE_REQUESTED = 1;
constexpr uint8_t SOUND_CLOSE_FREEABLE = 2;

constexpr uint8_t SOUND_STOPPED = 0;
constexpr uint8_t SOUND_PLAYING = 1;
constexpr uint8_t SOUND_PAUSED = 2;

// Bits of sound_capabilities (raw streams have none).
constexpr uint8_t SOUND_CAN_VOLUME = 2; // volume and balance may be set
constexpr uint8_t SOUND_CAN_PAUSE = 4;
constexpr uint8_t SOUND_CAN_LENGTH = 8;
constexpr uint8_t SOUND_CAN_SEEK = 16;

// States of a loaded sound's play-time limit.
constexpr uint8_t SOUND_LIMIT_NONE = 0;
constexpr uint8_t SOUND_LIMIT_ARMED = 1; // starts at the next play
constexpr uint8_t SOUND_LIMIT_RUNNING = 2;

// The samples of a loaded sound, shared by its copies. `samples` holds the
// sound as it was given (`bytes`, `channels`, `bits`, `rate` describe it);
// `stereo16` and `mono16` are the 44,100 Hz 16-bit forms that play. At least
// one of them exists; mono16 of stereo data is made when a sound first plays
// in 3-D. Program thread only.
struct sound_sample_data {
    uint8_t *samples;
    int64_t bytes;
    uint8_t channels;
    int16_t *stereo16;
    int64_t stereo16_bytes;
    int16_t *mono16;
    int64_t mono16_bytes;
    int32_t rate;
    int32_t bits;
    int32_t ref_count; // handles that share it
};

// States of a raw stream's OpenAL buffers.
constexpr uint8_t STREAM_BUFFER_UNUSED = 0;
constexpr uint8_t STREAM_BUFFER_QUEUED = 1;
constexpr uint8_t STREAM_BUFFER_FREE = 2;

// One sound handle. The list hands out zero-filled records, and a record is
// usable by the pump only once `kind` has been stored (with release) after
// every other field of a new record is set.
struct sound_handle_record {
    uint8_t closed;                   // 1 once closed by the program
    std::atomic<uint8_t> kind;        // SOUND_KIND_*, 0 while being made
    std::atomic<uint8_t> close_state; // SOUND_CLOSE_*
    std::atomic<uint8_t> play_state;  // SOUND_STOPPED/PLAYING/PAUSED, as last read
    uint8_t sound_capabilities;       // SOUND_CAN_*, 0 for raw streams
    int64_t last_use_ms;              // time of the close

    // Loaded sounds. The OpenAL source and buffer are made at the first play
    // and released again while the sound is stopped; the pump reads al_source
    // only while it holds sound_handles_busy, and the program thread changes it
    // only while holding it too.
    uint8_t no_copy;
    sound_sample_data *sample_data;
    uint32_t al_buffer;
    int32_t buffer_format; // what the buffer was last filled with
    int32_t buffer_bytes;
    int32_t buffer_rate;
    const void *buffer_data;
    uint32_t al_source;
    float volume;    // the gain asked for
    uint8_t changed; // volume must be sent again
    float applied_volume;
    uint8_t three_d;                  // positioned in 3-D rather than by balance
    std::atomic<uint8_t> limit_state; // SOUND_LIMIT_*
    double limit_seconds;
    std::atomic<int64_t> limit_deadline_ms;
    uint8_t seek_active;
    uint8_t seek_request;
    float seek_seconds;
    float x, y, z;    // balance or position set by the program
    uint8_t moved;    // position must be sent again
    float px, py, pz; // position last sent

    // Raw streams. `block` and `block_bytes` change only while sound_busy is
    // held. The ring is single-producer (program thread: ring[ring_write],
    // then ring_write) and single-consumer (pump: ring[ring_read], then
    // ring_read); ring_read is 0 until the first block arrives. raw_source is
    // 0 while the device has no source to give; the program thread sets it
    // before the first block goes onto the ring, and the pump reads it only
    // after that (or after the close).
    int16_t *block;
    int32_t block_bytes;
    int16_t **ring;
    int32_t ring_capacity;
    std::atomic<int32_t> ring_read;
    std::atomic<int32_t> ring_write;
    uint32_t raw_source;
    uint32_t raw_buffers[SOUND_STREAM_BUFFERS];
    std::atomic<uint8_t> raw_buffer_states[SOUND_STREAM_BUFFERS];
};

// The list of every sound handle; made on first use.
indexed_list *sound_handle_list();

// The record of a live handle, or null.
sound_handle_record *sound_handle_get(int32_t handle);

// The list of every loaded sound's sample data; made on first use.
indexed_list *sound_sample_list();

// The flag that guards adding and removing handles and making or deleting a
// loaded sound's OpenAL objects. The program thread takes it (waiting,
// yielding); the pump only tries, and skips its pass when it is held.
bool sound_handles_busy_try_take();
void sound_handles_busy_take();
void sound_handles_busy_release();

// Opens the default audio device once per process. With no device it says so
// on standard error and ends the process with code 111; with no context, 222.
void sound_init();

// The same over a loopback device that renders only on request (tests and
// benchmarks); a second call, or a call after sound_init, does nothing.
void sound_init_loopback();

// Closes the audio device; called once as the program ends.
void sound_close();

int32_t sound_rate_get();

// Frees every handle whose close_state is SOUND_CLOSE_FREEABLE. The sound
// statements run it first.
void sound_sweep();

// Removes a handle from the list. A loaded sound's source and buffer are
// deleted, and its sample data is freed with the last handle that shares it;
// a raw stream's OpenAL objects and memory have been released before
// (raw_stream_release).
void sound_free(int32_t handle);

// Releases every handle, with its OpenAL objects and memory, and every
// sample data, so that a test starts from empty lists. The device stays open.
void sound_handles_reset();
