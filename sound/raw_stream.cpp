#include "sound/raw_stream.h"

#include "core/errors.h"
#include "core/lists.h"
#include "core/timing.h"
#include "sound/audio_device.h"
#include "sound/busy_flag.h"
#include "sound/samples.h"
#include "sound/sound_device.h"
#include "sound/tone_pipe.h"

#include <algorithm>

std::atomic<int32_t> default_raw_stream{0};

namespace
{

busy_flag sound_busy;

int16_t *block_new()
{
    return new int16_t[SOUND_BLOCK_SAMPLES]();
}

// The raw stream a program-side operation names: the default stream without a
// handle (made on first use when `make_default`), nothing for handle 0 (null,
// no error), error 5 for a bad, closed or non-raw handle (null).
sound_handle_record *raw_stream_named(int32_t handle, bool handle_given, bool make_default,
                                      int32_t *resolved)
{
    if (!handle_given) {
        handle = default_raw_stream.load(std::memory_order_relaxed);
        if (handle == 0) {
            if (!make_default)
                return nullptr;
            handle = sound_raw_open();
            default_raw_stream.store(handle, std::memory_order_relaxed);
        }
    } else if (handle == 0) {
        return nullptr;
    }
    sound_handle_record *record = sound_handle_get(handle);
    if (!record || record->closed ||
        record->kind.load(std::memory_order_acquire) != SOUND_KIND_RAW_STREAM) {
        error_raise(5);
        return nullptr;
    }
    if (resolved)
        *resolved = handle;
    return record;
}

int32_t ring_block_count(const sound_handle_record *record)
{
    int32_t read = record->ring_read.load(std::memory_order_acquire);
    int32_t write = record->ring_write.load(std::memory_order_acquire);
    if (read == 0)
        return 0;
    return write >= read ? write - read : write + SOUND_RING_CAPACITY - read;
}

} // namespace

bool sound_busy_try_take()
{
    return sound_busy.try_take();
}

void sound_busy_take()
{
    sound_busy.take();
}

void sound_busy_release()
{
    sound_busy.release();
}

int32_t raw_stream_next_slot(int32_t slot)
{
    return slot >= SOUND_RING_CAPACITY ? 1 : slot + 1;
}

bool raw_stream_ring_empty(const sound_handle_record *record)
{
    return record->ring_read.load(std::memory_order_acquire) ==
           record->ring_write.load(std::memory_order_acquire);
}

int32_t sound_raw_open()
{
    sound_handles_busy_take();
    int32_t handle = list_add(sound_handle_list());
    sound_handle_record *record = sound_handle_get(handle);
    record->closed = 0;
    record->block = block_new();
    record->block_bytes = 0;
    record->ring_capacity = SOUND_RING_CAPACITY;
    record->ring = new int16_t *[SOUND_RING_CAPACITY + 1]();
    record->ring_read.store(0, std::memory_order_relaxed);
    record->ring_write.store(1, std::memory_order_relaxed);
    record->raw_source = audio_stream_source_new();
    audio_buffers_new(record->raw_buffers, SOUND_STREAM_BUFFERS);
    for (auto &state : record->raw_buffer_states)
        state.store(STREAM_BUFFER_UNUSED, std::memory_order_relaxed);
    record->close_state.store(SOUND_CLOSE_OPEN, std::memory_order_relaxed);
    record->play_state.store(SOUND_STOPPED, std::memory_order_relaxed);
    // Publishing the kind last makes the record visible to the pump.
    record->kind.store(SOUND_KIND_RAW_STREAM, std::memory_order_release);
    sound_handles_busy_release();
    return handle;
}

void raw_stream_block_push(sound_handle_record *record)
{
    int16_t *full = record->block;
    std::fill(full + record->block_bytes / 2, full + SOUND_BLOCK_SAMPLES, int16_t(0));
    record->block = block_new();
    record->block_bytes = 0;

    // A stream that got no source asks again with each block; the pump looks
    // at the source only once the first block is on the ring.
    if (!record->raw_source)
        record->raw_source = audio_stream_source_new();
    int32_t write = record->ring_write.load(std::memory_order_relaxed);
    int32_t next = raw_stream_next_slot(write);
    if (!record->raw_source || next == record->ring_read.load(std::memory_order_acquire)) {
        delete[] full; // no source, or the ring is full: the newest block is dropped
        return;
    }
    record->ring[write] = full;
    record->ring_write.store(next, std::memory_order_release);
    int32_t never_started = 0;
    record->ring_read.compare_exchange_strong(never_started, 1, std::memory_order_release);
}

void sound_raw_frame_add(float left, float right, int32_t handle, int32_t flags)
{
    sound_handle_record *record =
        raw_stream_named(handle, flags & RAW_FRAME_HANDLE_GIVEN, true, &handle);
    if (!record)
        return;
    int16_t left_sample = sample_to_i16(double(left) * 32767.0);
    int16_t right_sample =
        flags & RAW_FRAME_RIGHT_GIVEN ? sample_to_i16(double(right) * 32767.0) : left_sample;

    sound_busy_take();
    if (handle == tone_pipe.load(std::memory_order_relaxed))
        tone_pipe_last_frame_ms.store(ticks_ms(), std::memory_order_relaxed);
    record->block[record->block_bytes / 2] = left_sample;
    record->block[record->block_bytes / 2 + 1] = right_sample;
    record->block_bytes += SOUND_FRAME_BYTES;
    if (record->block_bytes >= SOUND_BLOCK_BYTES)
        raw_stream_block_push(record);
    sound_busy_release();
}

// The stream sample a 16-bit sample becomes through sound_raw_frame_add.
static int16_t pipe_sample_of(int16_t s)
{
    // s / 32768 is exact as a float and s x 32767 / 32768 = s - s / 32768, which
    // truncation toward zero takes one step nearer to 0.
    return int16_t(s - (s > 0) + (s < 0));
}

void sound_raw_frames_add(const int16_t *samples, int64_t count, int32_t handle)
{
    sound_handle_record *record = raw_stream_named(handle, true, true, &handle);
    if (!record)
        return;
    const bool pipe = handle == tone_pipe.load(std::memory_order_relaxed);
    int64_t done = 0;
    while (done < count) {
        sound_busy_take();
        if (pipe)
            tone_pipe_last_frame_ms.store(ticks_ms(), std::memory_order_relaxed);
        int64_t room = (SOUND_BLOCK_BYTES - record->block_bytes) / SOUND_FRAME_BYTES;
        int64_t n = std::min(room, count - done);
        int16_t *dst = record->block + record->block_bytes / 2;
        for (int64_t i = 0; i < n * 2; i++)
            dst[i] = pipe_sample_of(samples[done * 2 + i]);
        record->block_bytes += int32_t(n * SOUND_FRAME_BYTES);
        done += n;
        if (record->block_bytes >= SOUND_BLOCK_BYTES)
            raw_stream_block_push(record);
        sound_busy_release();
    }
}

void sound_raw_flush(int32_t handle, int32_t handle_given)
{
    sound_handle_record *record = raw_stream_named(handle, handle_given != 0, false, nullptr);
    if (!record || !sound_busy_try_take())
        return;
    if (record->block_bytes > 0)
        raw_stream_block_push(record);
    sound_busy_release();
}

double sound_raw_queued_seconds(int32_t handle, int32_t handle_given)
{
    sound_handle_record *record = raw_stream_named(handle, handle_given != 0, false, nullptr);
    if (!record)
        return 0.0;
    int32_t blocks = ring_block_count(record);
    for (const auto &state : record->raw_buffer_states)
        if (state.load(std::memory_order_acquire) == STREAM_BUFFER_QUEUED)
            ++blocks;
    return double(blocks) * SOUND_BLOCK_FRAMES / SOUND_RATE_HZ;
}

void raw_stream_release(sound_handle_record *record)
{
    if (record->raw_source) {
        audio_source_delete(record->raw_source);
        record->raw_source = 0;
    }
    audio_buffers_delete(record->raw_buffers, SOUND_STREAM_BUFFERS);
    std::fill(std::begin(record->raw_buffers), std::end(record->raw_buffers), 0u);
    if (record->ring) {
        int32_t read = record->ring_read.load(std::memory_order_acquire);
        int32_t write = record->ring_write.load(std::memory_order_acquire);
        for (int32_t slot = read; read != 0 && slot != write; slot = raw_stream_next_slot(slot))
            delete[] record->ring[slot];
        delete[] record->ring;
        record->ring = nullptr;
    }
    delete[] record->block;
    record->block = nullptr;
    record->block_bytes = 0;
}

void raw_stream_reset()
{
    default_raw_stream.store(0, std::memory_order_relaxed);
}
