#include "sound/tone_pipe.h"

#include "core/errors.h"
#include "core/small_ops.h"
#include "core/timing.h"
#include "sound/raw_stream.h"
#include "sound/sound_device.h"
#include "sound/tone.h"

#include <algorithm>
#include <cmath>
#include <limits>

std::atomic<int32_t> tone_pipe{0};
std::atomic<int64_t> tone_pipe_last_frame_ms{0};
std::atomic<bool> tone_pipe_prepad{false};
std::atomic<bool> tone_pipe_streamed{false};

namespace
{

constexpr double ticks_per_second = 18.2;
constexpr int64_t wake_early_ms = 250;
// How much longer than the excess itself a backlog wait may last, should the
// pump fall behind (or not run): the wait always ends.
constexpr double backlog_wait_slack_seconds = 1.0;

// Milliseconds of a wait: 95 % of the time less the quarter second of early
// waking, not below 0 (whole milliseconds, truncated).
int64_t wait_share_ms(int64_t sound_ms)
{
    return double_to_int64_saturating(double(sound_ms) * 0.95) - wake_early_ms;
}

// Writes silent frames so that a sound following a pause in the pipe ends its
// first block exactly: the block goes onto the ring at once.
void tone_pipe_prepad_write(int64_t frames)
{
    if (!tone_pipe_prepad.exchange(false, std::memory_order_relaxed))
        return;
    int32_t handle = tone_pipe.load(std::memory_order_relaxed);
    for (int64_t pad = SOUND_BLOCK_FRAMES - frames; pad > 0; --pad)
        sound_raw_frame_add(0.0f, 0.0f, handle, RAW_FRAME_HANDLE_GIVEN);
}

bool tone_pipe_over_backlog()
{
    return sound_raw_queued_seconds(tone_pipe.load(std::memory_order_relaxed), 1) >
           TONE_PIPE_BACKLOG_MAX_SECONDS;
}

// Before a sound is written: while the pipe already holds more than the
// backlog bound, waits (serving events) for the excess to play. A sound
// longer than the bound still goes in whole; it only waits for what is ahead.
void tone_pipe_backlog_wait(int32_t handle)
{
    double over = sound_raw_queued_seconds(handle, 1) - TONE_PIPE_BACKLOG_MAX_SECONDS;
    if (over > 0.0)
        delay_seconds_while(over + backlog_wait_slack_seconds, tone_pipe_over_backlog);
}

// Waits for most of a sound. The pipe's partial block counts as written at
// the end of the wait, so the pump keeps it until 20 ms after: a next sound
// written at the early wake continues it instead of following a block padded
// with silence, and with no sound following it goes out in time all the same.
void tone_pipe_foreground_wait(int64_t ms)
{
    tone_pipe_last_frame_ms.store(ticks_ms() + ms, std::memory_order_relaxed);
    delay_seconds(double(ms) / 1000.0);
}

} // namespace

void sound_samples_stream(std::vector<int16_t> samples, int64_t bytes, bool wait)
{
    sound_sweep();
    if (tone_pipe.load(std::memory_order_relaxed) == 0) {
        tone_pipe.store(sound_raw_open(), std::memory_order_relaxed);
        tone_pipe_prepad.store(true, std::memory_order_relaxed);
    }
    int32_t handle = tone_pipe.load(std::memory_order_relaxed);
    tone_pipe_backlog_wait(handle);
    int64_t queued_ms = 0;
    if (wait) {
        int64_t queued = double_to_int64_saturating(sound_raw_queued_seconds(handle, 1) * 1000.0);
        queued_ms = std::max<int64_t>(wait_share_ms(queued), 0);
    }
    int64_t frames = std::min<int64_t>(bytes / SOUND_FRAME_BYTES, int64_t(samples.size() / 2));
    tone_pipe_prepad_write(frames);
    sound_raw_frames_add(samples.data(), frames, handle);
    tone_pipe_streamed.store(true, std::memory_order_relaxed);
    if (!sound_handle_get(handle)->raw_source) {
        // The pipe (which cannot be closed) got no source and has not started,
        // so the pump does not push its partial block: it goes now (dropped,
        // unless a source has come free), and the next sound fills out a
        // fresh block.
        sound_raw_flush(handle, 1);
        tone_pipe_prepad.store(true, std::memory_order_relaxed);
    }
    samples = {};
    if (!wait)
        return;
    // A short sound has no share of its own but still waits for the share of
    // what was queued ahead of it, so a loop of short sounds keeps pace.
    int64_t own_ms = std::max<int64_t>(wait_share_ms(frames * 1000 / SOUND_RATE_HZ), 0);
    if (own_ms + queued_ms > 0)
        tone_pipe_foreground_wait(own_ms + queued_ms);
}

void sound_tone_play(double freq_hz, double seconds, bool wait)
{
    sound_sweep();
    tone_block tone = tone_render(freq_hz, seconds, 1.0);
    sound_samples_stream(std::move(tone.samples), tone.bytes, wait);
}

void rt_sound(double freq_hz, double duration_ticks)
{
    sound_sweep();
    if (error_pending.load() != 0)
        return;
    bool freq_ok = freq_hz == 0.0 || (freq_hz >= 37.0 && freq_hz <= 32767.0);
    bool duration_ok = duration_ticks >= 0.0 && duration_ticks <= 65535.0;
    if (!freq_ok || !duration_ok) {
        error_raise(5);
        return;
    }
    if (duration_ticks == 0.0)
        return;
    sound_tone_play(freq_hz, duration_ticks / ticks_per_second, true);
}

void rt_beep()
{
    sound_sweep();
    if (error_pending.load() != 0)
        return;
    sound_tone_play(783.99, 0.2, false);
    delay_seconds(0.25);
}

void tone_pipe_reset()
{
    tone_pipe.store(0, std::memory_order_relaxed);
    tone_pipe_last_frame_ms.store(0, std::memory_order_relaxed);
    tone_pipe_prepad.store(false, std::memory_order_relaxed);
    tone_pipe_streamed.store(false, std::memory_order_relaxed);
}
