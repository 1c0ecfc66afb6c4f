// The audio output backend: the only place that talks to the audio library.
//
// The sound modules own every rule (formats, rings, timing); this layer only
// opens the device, makes and deletes sources and buffers, queues sample data
// and reports what a source is doing. All sample data is 16-bit stereo at
// 44,100 frames per second.
//
// Order of calls: open (the real device at start-up, or the loopback device in
// tests and benchmarks), any number of source and buffer calls from any thread,
// close once at the end. A loopback device produces sound only when asked with
// audio_device_loopback_render, so tests can analyse exact samples without a
// sound card.
#pragma once

#include <cstdint>

enum class audio_open_result { ok, no_device, no_context };

// Opens the system's default output device and makes a context current, with
// the listener at rest at the origin and linear clamped distance attenuation.
// Its stream may move between the desktop's outputs (audio_config.h). Runs
// before any other thread starts: it sets ALSOFT_CONF for a moment.
audio_open_result audio_device_open();

// Opens a device that renders on demand into memory instead (44,100 Hz stereo,
// no output limiter), with the same context set-up as audio_device_open.
audio_open_result audio_device_open_loopback();

// Closes the device that is open, if any.
void audio_device_close();

// Mixes the next frame_count stereo frames of a loopback device into frames
// (2 x frame_count samples). Returns false when no loopback device is open.
bool audio_device_loopback_render(int16_t *frames, int32_t frame_count);

enum class audio_source_state { initial, playing, paused, stopped };

// A source for a raw stream: its channels go straight to the output channels
// (no panning or spatial filtering), so what is queued is what is heard. 0 when
// every source of the device is taken (see audio_sound_source_new).
uint32_t audio_stream_source_new();
void audio_source_delete(uint32_t source);

void audio_buffers_new(uint32_t *names, int32_t count);
void audio_buffers_delete(const uint32_t *names, int32_t count);

// Copies bytes of 16-bit stereo frames into a buffer; the caller keeps (and may
// free) its memory afterwards.
void audio_buffer_fill_stereo16(uint32_t buffer, const void *frames, int32_t bytes);

void audio_source_queue(uint32_t source, uint32_t buffer);

// Takes every processed buffer off the source's queue; writes at most max
// names and returns how many were taken.
int32_t audio_source_unqueue_processed(uint32_t source, uint32_t *names, int32_t max);

audio_source_state audio_source_state_get(uint32_t source);
void audio_source_play(uint32_t source);

// Sources and buffers of loaded sounds. A sound source is positioned in 3-D
// (a mono buffer is panned by its position; a stereo buffer keeps its
// channels) and attenuates linearly between the two distances. The device
// mixes a limited number of sources (256 by default): beyond that
// audio_sound_source_new returns 0.
enum class audio_format : int32_t { mono16 = 1, stereo16 = 2 };

uint32_t audio_sound_source_new(uint32_t buffer, float reference_distance, float max_distance,
                                float rolloff);
void audio_buffer_fill(uint32_t buffer, audio_format format, const void *samples, int32_t bytes,
                       int32_t rate_hz);
void audio_source_gain_set(uint32_t source, float gain);
void audio_source_position_set(uint32_t source, float x, float y, float z);
void audio_source_looping_set(uint32_t source, bool looping);
void audio_source_pause(uint32_t source);
void audio_source_stop(uint32_t source);
// The playing position in seconds from the start of the buffer; setting it on
// a stopped source takes effect at the next play.
float audio_source_offset_get(uint32_t source);
void audio_source_offset_set(uint32_t source, float seconds);
