// The audio backend over OpenAL Soft.
#define AL_ALEXT_PROTOTYPES
#include "sound/audio_device.h"

#include "sound/audio_config.h"
#include "sound/samples.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <vector>

namespace
{

constexpr int32_t output_rate_hz = 44100;

ALCdevice *device = nullptr;
ALCcontext *context = nullptr;
bool device_is_loopback = false;

// The listener stands at the origin at rest, facing -z with +y up (the
// library's default orientation), and distances attenuate linearly, clamped.
void listener_set_up()
{
    alListener3f(AL_POSITION, 0.0f, 0.0f, 0.0f);
    alListener3f(AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    alDistanceModel(AL_LINEAR_DISTANCE_CLAMPED);
}

audio_open_result context_make(const ALCint *attributes)
{
    context = alcCreateContext(device, attributes);
    if (!context)
        return audio_open_result::no_context;
    alcMakeContextCurrent(context);
    listener_set_up();
    return audio_open_result::ok;
}

// Makes the library read its configuration: its first device opened does,
// and a loopback device starts no thread, so the environment the
// configuration is named in may still change afterwards.
void library_config_read()
{
    if (ALCdevice *probe = alcLoopbackOpenDeviceSOFT(nullptr))
        alcCloseDevice(probe);
}

} // namespace

audio_open_result audio_device_open()
{
    // The stream may move between the desktop's outputs unless the player's
    // configuration says otherwise.
    audio_config_read_with_moves(library_config_read);
    device = alcOpenDevice(nullptr);
    if (!device)
        return audio_open_result::no_device;
    device_is_loopback = false;
    return context_make(nullptr);
}

audio_open_result audio_device_open_loopback()
{
    device = alcLoopbackOpenDeviceSOFT(nullptr);
    if (!device)
        return audio_open_result::no_device;
    device_is_loopback = true;
    // Float output is never dithered, so 16-bit input comes back exactly.
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT,
                                 ALC_FLOAT_SOFT,           ALC_FREQUENCY,   output_rate_hz,
                                 ALC_OUTPUT_LIMITER_SOFT,  ALC_FALSE,       0};
    return context_make(attributes);
}

void audio_device_close()
{
    if (context) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(context);
        context = nullptr;
    }
    if (device) {
        alcCloseDevice(device);
        device = nullptr;
    }
    device_is_loopback = false;
}

bool audio_device_loopback_render(int16_t *frames, int32_t frame_count)
{
    if (!device || !device_is_loopback || frame_count <= 0)
        return false;
    thread_local std::vector<float> mixed; // kept: no allocation per call
    mixed.resize(size_t(frame_count) * 2);
    alcRenderSamplesSOFT(device, mixed.data(), frame_count);
    for (size_t i = 0; i < mixed.size(); ++i)
        frames[i] = sample_to_i16(double(mixed[i]) * 32768.0);
    return true;
}

uint32_t audio_stream_source_new()
{
    ALuint source = 0;
    alGenSources(1, &source);
    if (!alIsSource(source))
        return 0; // every source of the device is taken
    if (alIsExtensionPresent("AL_SOFT_direct_channels"))
        alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    return source;
}

void audio_source_delete(uint32_t source)
{
    ALuint name = source;
    alDeleteSources(1, &name);
}

void audio_buffers_new(uint32_t *names, int32_t count)
{
    alGenBuffers(count, names);
}

void audio_buffers_delete(const uint32_t *names, int32_t count)
{
    alDeleteBuffers(count, names);
}

void audio_buffer_fill_stereo16(uint32_t buffer, const void *frames, int32_t bytes)
{
    alBufferData(buffer, AL_FORMAT_STEREO16, frames, bytes, output_rate_hz);
}

void audio_source_queue(uint32_t source, uint32_t buffer)
{
    ALuint name = buffer;
    alSourceQueueBuffers(source, 1, &name);
}

int32_t audio_source_unqueue_processed(uint32_t source, uint32_t *names, int32_t max)
{
    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    if (processed <= 0)
        return 0;
    if (processed > max)
        processed = max;
    alSourceUnqueueBuffers(source, processed, names);
    return processed;
}

audio_source_state audio_source_state_get(uint32_t source)
{
    ALint state = AL_INITIAL;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    switch (state) {
    case AL_PLAYING:
        return audio_source_state::playing;
    case AL_PAUSED:
        return audio_source_state::paused;
    case AL_STOPPED:
        return audio_source_state::stopped;
    default:
        return audio_source_state::initial;
    }
}

void audio_source_play(uint32_t source)
{
    alSourcePlay(source);
}

uint32_t audio_sound_source_new(uint32_t buffer, float reference_distance, float max_distance,
                                float rolloff)
{
    ALuint source = 0;
    alGenSources(1, &source);
    if (!alIsSource(source))
        return 0; // every source of the device is taken
    alSourcef(source, AL_REFERENCE_DISTANCE, reference_distance);
    alSourcef(source, AL_MAX_DISTANCE, max_distance);
    alSourcef(source, AL_ROLLOFF_FACTOR, rolloff);
    alSourcei(source, AL_BUFFER, ALint(buffer));
    return source;
}

void audio_buffer_fill(uint32_t buffer, audio_format format, const void *samples, int32_t bytes,
                       int32_t rate_hz)
{
    ALenum al_format = format == audio_format::mono16 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    alBufferData(buffer, al_format, samples, bytes, rate_hz);
}

void audio_source_gain_set(uint32_t source, float gain)
{
    alSourcef(source, AL_GAIN, gain);
}

void audio_source_position_set(uint32_t source, float x, float y, float z)
{
    alSource3f(source, AL_POSITION, x, y, z);
}

void audio_source_looping_set(uint32_t source, bool looping)
{
    alSourcei(source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
}

void audio_source_pause(uint32_t source)
{
    alSourcePause(source);
}

void audio_source_stop(uint32_t source)
{
    alSourceStop(source);
}

float audio_source_offset_get(uint32_t source)
{
    ALfloat seconds = 0.0f;
    alGetSourcef(source, AL_SEC_OFFSET, &seconds);
    return seconds;
}

void audio_source_offset_set(uint32_t source, float seconds)
{
    alSourcef(source, AL_SEC_OFFSET, seconds);
}
