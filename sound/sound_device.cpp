#include "sound/sound_device.h"

#include "core/lists.h"
#include "platform/process_exit.h"
#include "sound/audio_device.h"
#include "sound/busy_flag.h"
#include "sound/raw_stream.h"
#include "sound/sample_data.h"
#include "sound/sound_apply.h"
#include "sound/sound_handles.h"

#include <cstdio>

namespace
{

bool sound_initialised = false;
busy_flag handles_busy;

// Reports a failed start on standard error and ends the process with the
// designed exit code: 111 without a device (with the way to run without a
// sound card), 222 without a context.
void sound_start_check(audio_open_result result)
{
    if (result == audio_open_result::ok)
        return;
    if (result == audio_open_result::no_device) {
        std::fprintf(stderr,
                     "No audio output device could be opened; the program cannot start "
                     "without one.\n"
                     "To run without a sound card, point OpenAL at a wave-file writer: in the "
                     "source folder, ALSOFT_CONF=tests/programs/openal_discard.conf ./play\n");
        process_exit(111);
    }
    std::fprintf(stderr, "The audio output device could not be set up (no context); the program "
                         "cannot start.\n");
    process_exit(222);
}

} // namespace

indexed_list *sound_handle_list()
{
    static indexed_list *const list = list_new(sizeof(sound_handle_record));
    return list;
}

sound_handle_record *sound_handle_get(int32_t handle)
{
    return static_cast<sound_handle_record *>(list_get(sound_handle_list(), handle));
}

indexed_list *sound_sample_list()
{
    static indexed_list *const list = list_new(sizeof(sound_sample_data));
    return list;
}

bool sound_handles_busy_try_take()
{
    return handles_busy.try_take();
}

void sound_handles_busy_take()
{
    handles_busy.take();
}

void sound_handles_busy_release()
{
    handles_busy.release();
}

void sound_init()
{
    if (sound_initialised)
        return;
    sound_initialised = true;
    sound_start_check(audio_device_open());
}

void sound_init_loopback()
{
    if (sound_initialised)
        return;
    sound_initialised = true;
    sound_start_check(audio_device_open_loopback());
}

void sound_close()
{
    audio_device_close();
}

int32_t sound_rate_get()
{
    return SOUND_RATE_HZ;
}

void sound_sweep()
{
    int32_t highest = list_highest_index(sound_handle_list());
    for (int32_t handle = 1; handle <= highest; ++handle) {
        sound_handle_record *record = sound_handle_get(handle);
        if (record && record->close_state.load(std::memory_order_acquire) == SOUND_CLOSE_FREEABLE)
            sound_free(handle);
    }
}

void sound_free(int32_t handle)
{
    sound_handle_record *record = sound_handle_get(handle);
    if (!record)
        return;
    sound_sample_data *data = nullptr;
    sound_handles_busy_take();
    if (record->kind.load(std::memory_order_relaxed) == SOUND_KIND_LOADED) {
        loaded_sound_objects_delete(record);
        data = record->sample_data;
    }
    list_remove(sound_handle_list(), handle);
    sound_handles_busy_release();
    if (data)
        sound_sample_data_release(data);
}

void sound_handles_reset()
{
    int32_t highest = list_highest_index(sound_handle_list());
    for (int32_t handle = 1; handle <= highest; ++handle) {
        sound_handle_record *record = sound_handle_get(handle);
        if (!record)
            continue;
        if (record->kind.load() == SOUND_KIND_RAW_STREAM &&
            record->close_state.load() != SOUND_CLOSE_FREEABLE)
            raw_stream_release(record);
        sound_free(handle);
    }
    // Sample data that no handle took.
    int32_t highest_data = list_highest_index(sound_sample_list());
    for (int32_t index = 1; index <= highest_data; ++index) {
        auto *data = static_cast<sound_sample_data *>(list_get(sound_sample_list(), index));
        if (data) {
            data->ref_count = 0;
            sound_sample_data_release(data);
        }
    }
    sound_handles_flags_reset();
}
