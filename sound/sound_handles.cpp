#include "sound/sound_handles.h"

#include "core/errors.h"
#include "core/lists.h"
#include "core/timing.h"
#include "sound/raw_stream.h"
#include "sound/sample_data.h"
#include "sound/sound_apply.h"
#include "sound/tone_pipe.h"

#include <algorithm>
#include <initializer_list>
#include <limits>

namespace
{

bool sound_volume_failed = false;

// A double as a float; values beyond the float range become its largest
// value of that sign (a plain conversion of those is undefined).
float float_saturating(double value)
{
    constexpr double largest = std::numeric_limits<float>::max();
    return float(std::clamp(value, -largest, largest));
}

// What an operation asks of its handle, checked in the order given.
enum class need { exists, open, loaded, can_volume, can_pause, can_length, can_seek, may_copy };

bool need_met(const sound_handle_record *record, need n)
{
    if (n == need::exists)
        return record != nullptr;
    switch (n) {
    case need::open:
        return !record->closed;
    case need::loaded:
        return record->kind.load(std::memory_order_relaxed) == SOUND_KIND_LOADED;
    case need::can_volume:
        return record->sound_capabilities & SOUND_CAN_VOLUME;
    case need::can_pause:
        return record->sound_capabilities & SOUND_CAN_PAUSE;
    case need::can_length:
        return record->sound_capabilities & SOUND_CAN_LENGTH;
    case need::can_seek:
        return record->sound_capabilities & SOUND_CAN_SEEK;
    case need::may_copy:
        return !record->no_copy;
    default:
        return true;
    }
}

// The common entry of every handle operation: nothing while an error is
// pending, the sweep, nothing for handle 0, then the argument check and the
// handle's checks in order (error 5 on the first that fails). Returns the
// record, or null when the operation is to do nothing more.
sound_handle_record *handle_enter(int32_t handle, std::initializer_list<need> needs,
                                  bool argument_ok = true)
{
    if (error_pending.load() != 0)
        return nullptr;
    sound_sweep();
    if (handle == 0)
        return nullptr;
    sound_handle_record *record = sound_handle_get(handle);
    if (record && record->kind.load(std::memory_order_acquire) == 0)
        record = nullptr;
    bool ok = argument_ok;
    for (need n : needs)
        ok = ok && need_met(record, n);
    if (!ok) {
        error_raise(5);
        return nullptr;
    }
    return record;
}

constexpr std::initializer_list<need> loaded_open = {need::exists, need::open, need::loaded};
constexpr std::initializer_list<need> copyable = {need::exists, need::open, need::loaded,
                                                  need::may_copy};

// A new record that copies the sound field by field (the record holds
// atomics), with no OpenAL objects of its own; its kind is published last.
int32_t record_copy(const sound_handle_record *from)
{
    sound_handles_busy_take();
    int32_t handle = list_add(sound_handle_list());
    sound_handle_record *to = sound_handle_get(handle);
    to->sound_capabilities = from->sound_capabilities;
    to->no_copy = from->no_copy;
    to->sample_data = from->sample_data;
    to->volume = from->volume;
    to->applied_volume = from->applied_volume;
    to->three_d = from->three_d;
    to->limit_state.store(from->limit_state.load(std::memory_order_relaxed));
    to->limit_seconds = from->limit_seconds;
    to->limit_deadline_ms.store(from->limit_deadline_ms.load(std::memory_order_relaxed));
    to->seek_active = from->seek_active;
    to->seek_request = from->seek_request;
    to->seek_seconds = from->seek_seconds;
    to->x = from->x, to->y = from->y, to->z = from->z;
    to->px = from->px, to->py = from->py, to->pz = from->pz;
    // The copy's own source needs volume and position sent.
    to->changed = 1;
    to->moved = 1;
    to->kind.store(SOUND_KIND_LOADED, std::memory_order_release);
    sound_handles_busy_release();
    return handle;
}

// Closes without the entry checks (the caller has made them).
void handle_close(int32_t handle, sound_handle_record *record)
{
    sound_apply(record);
    record->closed = 1;
    if (record->kind.load(std::memory_order_relaxed) == SOUND_KIND_RAW_STREAM) {
        if (handle == default_raw_stream.load(std::memory_order_relaxed))
            raw_stream_reset(); // the next raw frame opens a new default stream
        record->last_use_ms = ticks_ms();
        record->close_state.store(SOUND_CLOSE_REQUESTED, std::memory_order_release);
    } else if (record->play_state.load(std::memory_order_relaxed) != SOUND_PLAYING) {
        sound_free(handle);
    } else {
        record->close_state.store(SOUND_CLOSE_REQUESTED, std::memory_order_release);
    }
}

// The play-state queries (raw streams answer them too): -1 when the handle's
// state, freshly read, is `state`.
int32_t play_state_is(int32_t handle, uint8_t state)
{
    sound_handle_record *record = handle_enter(handle, {need::exists, need::open});
    if (!record)
        return 0;
    sound_apply(record);
    return record->play_state.load(std::memory_order_relaxed) == state ? -1 : 0;
}

} // namespace

int32_t sound_loaded_open(sound_sample_data *data, uint8_t capabilities, bool no_copy, float volume)
{
    if (!data)
        return 0;
    data->ref_count++;
    sound_handles_busy_take();
    int32_t handle = list_add(sound_handle_list());
    sound_handle_record *record = sound_handle_get(handle);
    record->sound_capabilities = capabilities;
    record->no_copy = no_copy ? 1 : 0;
    record->sample_data = data;
    record->volume = volume;
    record->changed = 1;
    record->moved = 1;
    record->kind.store(SOUND_KIND_LOADED, std::memory_order_release);
    sound_handles_busy_release();
    return handle;
}

int32_t sound_handle_copy(int32_t handle)
{
    sound_handle_record *record = handle_enter(handle, copyable);
    if (!record)
        return 0;
    sound_apply(record);
    record->sample_data->ref_count++;
    return record_copy(record);
}

void sound_handle_volume_set(int32_t handle, float volume)
{
    sound_volume_failed = true;
    sound_handle_record *record =
        handle_enter(handle, {need::exists, need::open, need::can_volume});
    if (!record)
        return;
    record->volume = volume;
    record->changed = 1;
    sound_apply(record);
    sound_volume_failed = false;
}

void sound_handle_pause(int32_t handle)
{
    sound_handle_record *record =
        handle_enter(handle, {need::exists, need::can_pause, need::open, need::loaded});
    if (!record)
        return;
    sound_apply(record);
    if (!record->al_source || record->play_state.load(std::memory_order_relaxed) != SOUND_PLAYING)
        return;
    audio_source_pause(record->al_source);
    record->play_state.store(SOUND_PAUSED, std::memory_order_relaxed);
    uint8_t running = SOUND_LIMIT_RUNNING;
    record->limit_state.compare_exchange_strong(running, SOUND_LIMIT_NONE);
}

void sound_handle_stop(int32_t handle)
{
    sound_handle_record *record = handle_enter(handle, loaded_open);
    if (!record)
        return;
    sound_apply(record);
    loaded_sound_stop(record);
}

void sound_handle_play(int32_t handle)
{
    sound_handle_record *record = handle_enter(handle, loaded_open);
    if (record)
        loaded_sound_play(record);
}

void sound_handle_loop(int32_t handle)
{
    sound_loop_request = true;
    sound_handle_play(handle);
    sound_loop_request = false;
}

int32_t sound_handle_is_paused(int32_t handle)
{
    return play_state_is(handle, SOUND_PAUSED);
}

int32_t sound_handle_is_playing(int32_t handle)
{
    return play_state_is(handle, SOUND_PLAYING);
}

double sound_handle_length(int32_t handle)
{
    sound_handle_record *record =
        handle_enter(handle, {need::exists, need::can_length, need::open, need::loaded});
    if (!record)
        return 0.0;
    const sound_sample_data *data = record->sample_data;
    int64_t frames = data->bytes / data->channels / (data->bits / 8);
    return double(frames) / data->rate;
}

void sound_handle_balance_set(int32_t handle, double x, double y, double z, int32_t given)
{
    sound_handle_record *record =
        handle_enter(handle, {need::exists, need::can_volume, need::open, need::loaded});
    if (!record)
        return;
    if ((given & (BALANCE_Y_GIVEN | BALANCE_Z_GIVEN)) && y == 0.0 && z == 0.0)
        z = 0.001; // a 3-D place at the listener still counts as 3-D
    record->x = float_saturating(x);
    record->y = float_saturating(y);
    record->z = float_saturating(z);
    record->moved = 1;
    sound_apply(record);
}

float sound_handle_position_get(int32_t handle)
{
    sound_handle_record *record = handle_enter(handle, loaded_open);
    if (!record || !record->al_source)
        return 0.0f;
    return audio_source_offset_get(record->al_source);
}

void sound_handle_position_set(int32_t handle, double seconds)
{
    sound_handle_record *record = handle_enter(
        handle, {need::exists, need::can_seek, need::open, need::loaded}, seconds >= 0.0);
    if (!record)
        return;
    record->seek_seconds = float_saturating(seconds);
    record->seek_request = 1;
    sound_apply(record);
}

void sound_handle_limit_set(int32_t handle, double seconds)
{
    // NaN fails the comparison and is refused like a negative time.
    sound_handle_record *record = handle_enter(handle, loaded_open, seconds >= 0.0);
    if (!record)
        return;
    if (seconds == 0.0) {
        record->limit_state.store(SOUND_LIMIT_NONE, std::memory_order_relaxed);
        return;
    }
    sound_apply(record);
    if (record->play_state.load(std::memory_order_relaxed) == SOUND_PLAYING) {
        limit_start(record, seconds);
        return;
    }
    record->limit_seconds = seconds;
    record->limit_state.store(SOUND_LIMIT_ARMED, std::memory_order_relaxed);
}

void sound_handle_close(int32_t handle)
{
    sound_handle_record *record = handle_enter(handle, {need::exists, need::open});
    if (!record)
        return;
    if (handle == tone_pipe.load(std::memory_order_relaxed)) {
        error_raise(5); // every later PLAY, SOUND and BEEP needs the pipe
        return;
    }
    handle_close(handle, record);
}

void sound_handle_play_copy(int32_t handle, float volume, int32_t given)
{
    int32_t copy = sound_handle_copy(handle);
    if (copy == 0)
        return;
    sound_handle_record *record = sound_handle_get(copy);
    if (given & PLAY_COPY_VOLUME_GIVEN) {
        sound_handle_volume_set(copy, volume);
        if (sound_volume_failed) {
            // Closed even though an error is now pending, so the copy is not
            // left behind.
            handle_close(copy, record);
            return;
        }
    }
    sound_handle_play(copy);
    handle_close(copy, record);
}

int32_t sound_stub_zero()
{
    return 0;
}

void sound_handles_flags_reset()
{
    sound_in_play = false;
    sound_loop_request = false;
    sound_volume_failed = false;
}
