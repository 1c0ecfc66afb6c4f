#include "sound/audio_pump.h"

#include "core/lists.h"
#include "core/timing.h"
#include "sound/audio_device.h"
#include "sound/raw_stream.h"
#include "sound/sound_apply.h"
#include "sound/sound_device.h"
#include "sound/tone_pipe.h"

namespace
{

// "Now" for one pump call: read from the clock at most once, when first needed.
struct pump_clock {
    int64_t now_ms = 0;
    bool read = false;
    int64_t now()
    {
        if (!read) {
            now_ms = ticks_ms();
            read = true;
        }
        return now_ms;
    }
};

// Pushes the tone pipe's partly filled block once the program has finished a
// sound (tone_pipe_streamed) and written nothing for more than 20 ms, so the
// end of a sound does not wait for a block that never fills. The block is
// padded with silence, and the next sound gets silence before it
// (tone_pipe_prepad) so that it fills out its first block.
void tone_pipe_auto_flush(sound_handle_record *record)
{
    if (!raw_stream_ring_empty(record) || !tone_pipe_streamed.load(std::memory_order_relaxed))
        return;
    int64_t last_frame_ms = tone_pipe_last_frame_ms.load(std::memory_order_relaxed);
    if (ticks_ms() <= last_frame_ms + TONE_PIPE_FLUSH_DELAY_MS)
        return;
    if (!sound_busy_try_take())
        return;
    if (record->block_bytes > 0 && tone_pipe_streamed.exchange(false, std::memory_order_relaxed)) {
        raw_stream_block_push(record);
        tone_pipe_prepad.store(true, std::memory_order_relaxed);
    }
    sound_busy_release();
}

// Takes every buffer OpenAL has finished playing back off the source.
void stream_buffers_reclaim(sound_handle_record *record)
{
    uint32_t names[SOUND_STREAM_BUFFERS];
    int32_t count = audio_source_unqueue_processed(record->raw_source, names, SOUND_STREAM_BUFFERS);
    for (int32_t i = 0; i < count; ++i)
        for (int32_t b = 0; b < SOUND_STREAM_BUFFERS; ++b)
            if (record->raw_buffers[b] == names[i])
                record->raw_buffer_states[b].store(STREAM_BUFFER_FREE, std::memory_order_release);
}

// The first buffer never used, else the first played out, else -1.
int32_t stream_buffer_choose(const sound_handle_record *record)
{
    for (uint8_t wanted : {STREAM_BUFFER_UNUSED, STREAM_BUFFER_FREE})
        for (int32_t b = 0; b < SOUND_STREAM_BUFFERS; ++b)
            if (record->raw_buffer_states[b].load(std::memory_order_relaxed) == wanted)
                return b;
    return -1;
}

// One pass over a stream: reclaims played buffers, then queues the oldest ring
// block if a buffer is free. Returns true when it queued one.
bool stream_pass(sound_handle_record *record, bool is_tone_pipe)
{
    if (is_tone_pipe)
        tone_pipe_auto_flush(record);
    stream_buffers_reclaim(record);
    if (raw_stream_ring_empty(record))
        return false;
    int32_t b = stream_buffer_choose(record);
    if (b < 0)
        return false;

    int32_t read = record->ring_read.load(std::memory_order_relaxed);
    int16_t *block = record->ring[read];
    record->ring[read] = nullptr;
    audio_buffer_fill_stereo16(record->raw_buffers[b], block, SOUND_BLOCK_BYTES);
    delete[] block; // OpenAL holds its own copy now
    audio_source_queue(record->raw_source, record->raw_buffers[b]);
    if (audio_source_state_get(record->raw_source) != audio_source_state::playing)
        audio_source_play(record->raw_source);
    record->raw_buffer_states[b].store(STREAM_BUFFER_QUEUED, std::memory_order_release);
    record->ring_read.store(raw_stream_next_slot(read), std::memory_order_release);
    return true;
}

// A stream closed by the program keeps playing what it has queued; 3 s after
// the close, once its source no longer plays, its OpenAL objects and memory
// are released and the next sweep frees the handle.
void closed_stream_release(sound_handle_record *record, pump_clock &clock)
{
    if (clock.now() <= record->last_use_ms + RAW_STREAM_RELEASE_DELAY_MS)
        return;
    uint8_t state = play_state_of(audio_source_state_get(record->raw_source));
    record->play_state.store(state, std::memory_order_relaxed);
    if (state == SOUND_PLAYING)
        return;
    raw_stream_release(record);
    record->close_state.store(SOUND_CLOSE_FREEABLE, std::memory_order_release);
}

void raw_stream_pump(int32_t handle, sound_handle_record *record, pump_clock &clock)
{
    uint8_t close_state = record->close_state.load(std::memory_order_acquire);
    if (close_state == SOUND_CLOSE_FREEABLE)
        return;
    if (record->ring_read.load(std::memory_order_acquire) != 0) {
        bool is_tone_pipe = handle == tone_pipe.load(std::memory_order_relaxed);
        while (stream_pass(record, is_tone_pipe)) {
        }
    }
    if (close_state == SOUND_CLOSE_REQUESTED)
        closed_stream_release(record, clock);
}

// A loaded sound's play-time limit that has run out stops its source; a
// sound closed while it played becomes freeable (for the next sweep) once it
// has stopped. The pump frees nothing and raises no error here.
void loaded_sound_limit_pump(sound_handle_record *record, pump_clock &clock)
{
    if (record->limit_state.load(std::memory_order_acquire) != SOUND_LIMIT_RUNNING ||
        record->limit_deadline_ms.load(std::memory_order_relaxed) > clock.now())
        return;
    uint8_t running = SOUND_LIMIT_RUNNING;
    if (record->limit_state.compare_exchange_strong(running, SOUND_LIMIT_NONE) && record->al_source)
        audio_source_stop(record->al_source);
}

void loaded_sound_close_pump(sound_handle_record *record)
{
    if (record->close_state.load(std::memory_order_acquire) != SOUND_CLOSE_REQUESTED)
        return;
    uint8_t state = SOUND_STOPPED;
    if (record->al_source)
        state = play_state_of(audio_source_state_get(record->al_source));
    record->play_state.store(state, std::memory_order_relaxed);
    if (state != SOUND_PLAYING)
        record->close_state.store(SOUND_CLOSE_FREEABLE, std::memory_order_release);
}

} // namespace

// The whole pass holds sound_handles_busy, so no record is added, removed or
// loses its OpenAL objects under it; while the program thread holds the flag,
// the pass is skipped (the next comes about 16 ms later).
void sound_update()
{
    if (!sound_handles_busy_try_take())
        return;
    pump_clock clock;
    int32_t highest = list_highest_index(sound_handle_list());
    for (int32_t handle = 1; handle <= highest; ++handle) {
        sound_handle_record *record = sound_handle_get(handle);
        if (!record)
            continue;
        uint8_t kind = record->kind.load(std::memory_order_acquire);
        if (kind == SOUND_KIND_RAW_STREAM) {
            raw_stream_pump(handle, record, clock);
        } else if (kind == SOUND_KIND_LOADED) {
            loaded_sound_limit_pump(record, clock);
            loaded_sound_close_pump(record);
        }
    }
    sound_handles_busy_release();
}
