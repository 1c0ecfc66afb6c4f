// Keeping a loaded sound's OpenAL objects in step with its record: making and
// releasing the source and buffer, sending volume, position and seeks, and
// playing.
#include "sound/sound_apply.h"

#include "core/small_ops.h"
#include "core/timing.h"
#include "sound/audio_device.h"
#include "sound/sample_data.h"
#include "sound/sound_handles.h"

#include <cmath>

bool sound_in_play = false;
bool sound_loop_request = false;

namespace
{

constexpr float reference_distance = 0.01f;
constexpr float max_distance = 10.0f;
constexpr float rolloff = 1.0f;
constexpr double balance_range = 1000.0;

// Gain of stereo data under a balance: full at the centre, falling linearly
// to silence at a distance of 1,000 (below 1 counts as the centre).
float balance_gain(float volume, double x, double y, double z)
{
    double d = std::sqrt(x * x + y * y + z * z);
    if (d < 1.0)
        d = 0.0;
    if (d > balance_range)
        d = balance_range;
    return float(volume * (balance_range - d) / balance_range);
}

// True when the sound is placed by its position: mono data, or 3-D stereo
// data whose mono form exists.
bool positioned(const sound_handle_record *record)
{
    const sound_sample_data *data = record->sample_data;
    return (record->three_d && data->mono16) || !data->stereo16;
}

void position_send(sound_handle_record *record)
{
    record->moved = 0;
    if (record->y != 0.0f || record->z != 0.0f)
        record->three_d = 1;
    if (positioned(record)) {
        record->px = record->x / 100.0f;
        record->py = record->y / 100.0f;
        record->pz = -(record->z / 100.0f);
        audio_source_position_set(record->al_source, record->px, record->py, record->pz);
        return;
    }
    float gain = balance_gain(record->volume, record->x, record->y, record->z);
    audio_source_gain_set(record->al_source, gain);
    record->changed = 0;
}

// The balance of stereo data is taken from (x, y, z) here too, so a volume
// change keeps the attenuation the balance gave.
void volume_send(sound_handle_record *record)
{
    record->changed = 0;
    record->applied_volume = record->volume;
    float gain = record->volume;
    if (record->x != 0.0f && !positioned(record))
        gain = balance_gain(record->volume, record->x, record->y, record->z);
    audio_source_gain_set(record->al_source, gain);
}

void seek_send(sound_handle_record *record, uint8_t state)
{
    if (record->seek_active && state != SOUND_STOPPED)
        record->seek_active = 0;
    if (record->seek_request) {
        record->seek_request = 0;
        audio_source_offset_set(record->al_source, record->seek_seconds);
        record->seek_active = 1;
    }
}

void loaded_sound_apply(sound_handle_record *record)
{
    uint8_t state = play_state_of(audio_source_state_get(record->al_source));
    record->play_state.store(state, std::memory_order_relaxed);
    if (state == SOUND_STOPPED && !sound_in_play && !record->seek_active)
        loaded_sound_objects_release(record);
    if (state != SOUND_PLAYING) {
        uint8_t running = SOUND_LIMIT_RUNNING;
        record->limit_state.compare_exchange_strong(running, SOUND_LIMIT_NONE);
    }
    if (!record->al_source)
        return;
    if (record->moved)
        position_send(record);
    if (record->changed)
        volume_send(record);
    seek_send(record, state);
}

// Makes the buffer (from the mono form when there is no stereo form or the
// mono form exists) and the source, where they are missing.
void loaded_sound_objects_make(sound_handle_record *record)
{
    if (record->al_buffer && record->al_source)
        return;
    sound_handles_busy_take();
    if (!record->al_buffer) {
        const sound_sample_data *data = record->sample_data;
        bool mono = !data->stereo16 || data->mono16;
        audio_buffers_new(&record->al_buffer, 1);
        record->buffer_format = int32_t(mono ? audio_format::mono16 : audio_format::stereo16);
        record->buffer_data = mono ? data->mono16 : data->stereo16;
        record->buffer_bytes = int32_t(mono ? data->mono16_bytes : data->stereo16_bytes);
        record->buffer_rate = SOUND_RATE_HZ;
        audio_buffer_fill(record->al_buffer, audio_format(record->buffer_format),
                          record->buffer_data, record->buffer_bytes, record->buffer_rate);
    }
    if (!record->al_source)
        record->al_source =
            audio_sound_source_new(record->al_buffer, reference_distance, max_distance, rolloff);
    sound_handles_busy_release();
}

// Gets the source ready to play from the start: made, volume, position and a
// requested seek sent, a playing or paused sound stopped. A 3-D stereo sound
// is rebuilt once from its mono form.
void loaded_sound_ready(sound_handle_record *record)
{
    for (;;) {
        loaded_sound_objects_make(record);
        sound_in_play = true;
        sound_apply(record);
        if (record->play_state.load(std::memory_order_relaxed) != SOUND_STOPPED) {
            loaded_sound_stop(record);
            sound_apply(record);
        }
        sound_in_play = false;
        if (!record->three_d || record->sample_data->mono16)
            return;
        sound_stereo_to_mono(record->sample_data);
        if (record->seek_active) {
            record->seek_active = 0; // the new source needs the seek again
            record->seek_request = 1;
        }
        loaded_sound_objects_release(record);
    }
}

} // namespace

uint8_t play_state_of(audio_source_state state)
{
    switch (state) {
    case audio_source_state::playing:
        return SOUND_PLAYING;
    case audio_source_state::paused:
        return SOUND_PAUSED;
    default:
        return SOUND_STOPPED;
    }
}

void loaded_sound_objects_delete(sound_handle_record *record)
{
    if (record->al_source) {
        audio_source_delete(record->al_source);
        record->al_source = 0;
    }
    if (record->al_buffer) {
        audio_buffers_delete(&record->al_buffer, 1);
        record->al_buffer = 0;
    }
}

void loaded_sound_objects_release(sound_handle_record *record)
{
    sound_handles_busy_take();
    loaded_sound_objects_delete(record);
    sound_handles_busy_release();
    record->changed = 1;
    record->moved = 1;
}

void sound_apply(sound_handle_record *record)
{
    if (record->kind.load(std::memory_order_relaxed) == SOUND_KIND_RAW_STREAM) {
        if (record->raw_source)
            record->play_state.store(play_state_of(audio_source_state_get(record->raw_source)),
                                     std::memory_order_relaxed);
        return;
    }
    if (record->al_source)
        loaded_sound_apply(record);
}

void loaded_sound_stop(sound_handle_record *record)
{
    if (record->al_source && record->play_state.load(std::memory_order_relaxed) != SOUND_STOPPED)
        audio_source_stop(record->al_source);
    record->play_state.store(SOUND_STOPPED, std::memory_order_relaxed);
    uint8_t running = SOUND_LIMIT_RUNNING;
    record->limit_state.compare_exchange_strong(running, SOUND_LIMIT_NONE);
}

void loaded_sound_play(sound_handle_record *record)
{
    loaded_sound_ready(record);
    if (!record->al_source) {
        // The device has no source left: nothing plays and the sound stays
        // stopped (an armed limit waits for a play that sounds). It keeps no
        // buffer while it has no source.
        loaded_sound_objects_release(record);
        record->play_state.store(SOUND_STOPPED, std::memory_order_relaxed);
        return;
    }
    audio_source_looping_set(record->al_source, sound_loop_request);
    audio_source_play(record->al_source);
    record->play_state.store(SOUND_PLAYING, std::memory_order_relaxed);
    uint8_t limit = record->limit_state.load(std::memory_order_relaxed);
    if (limit == SOUND_LIMIT_RUNNING) {
        record->limit_state.store(SOUND_LIMIT_NONE, std::memory_order_relaxed);
    } else if (limit == SOUND_LIMIT_ARMED) {
        limit_start(record, record->limit_seconds);
    }
}

void limit_start(sound_handle_record *record, double seconds)
{
    double deadline = double(ticks_ms()) + seconds * 1000.0;
    record->limit_deadline_ms.store(double_to_int64_saturating(deadline),
                                    std::memory_order_relaxed);
    record->limit_state.store(SOUND_LIMIT_RUNNING, std::memory_order_release);
}
