#include "sound/tone.h"

#include "core/small_ops.h"
#include "sound/samples.h"
#include "sound/sound_device.h"

#include <algorithm>
#include <limits>

namespace
{

constexpr int64_t max_frames = std::numeric_limits<int32_t>::max() / SOUND_FRAME_BYTES;

// The phase runs from -1 to +1 and back once per period, moving by `step` per
// frame. A step above 2 (a frequency above half the output rate) cannot be
// represented; it is rendered as silence, as is anything not a number.
double phase_step(double freq_hz, double seconds, double total)
{
    if (total == 0.0)
        return 0.0;
    double step = freq_hz * 4.0 * seconds / total;
    if (!(step >= 0.0) || freq_hz > TONE_MAX_FREQ_HZ)
        return 0.0;
    return step;
}

} // namespace

int64_t tone_frame_count(double seconds)
{
    int64_t frames =
        std::clamp<int64_t>(double_to_int64_saturating(SOUND_RATE_HZ * seconds), 0, max_frames);
    return frames == 0 ? 1 : frames;
}

int64_t silence_length(double seconds)
{
    return tone_frame_count(seconds) * SOUND_FRAME_BYTES;
}

tone_block tone_render(double freq_hz, double seconds, double volume)
{
    sound_sweep();
    double total = double(SOUND_RATE_HZ) * seconds;
    int64_t frames = tone_frame_count(seconds);
    double step = phase_step(freq_hz, seconds, total);
    double amplitude = volume * 32767.0;

    tone_block tone;
    tone.samples.resize(size_t(frames) * 2);
    double phase = 0.0;
    bool rising = true;
    int16_t previous = 1;
    int64_t last_crossing = 0;
    for (int64_t i = 0; i < frames; ++i) {
        int16_t s = sample_to_i16(phase * amplitude);
        tone.samples[size_t(i) * 2] = s;
        tone.samples[size_t(i) * 2 + 1] = s;
        if (s > 0 && previous <= 0)
            last_crossing = i;
        previous = s;
        if (rising) {
            phase += step;
            if (phase >= 1.0) {
                rising = false;
                phase = 2.0 - phase;
            }
        } else {
            phase -= step;
            if (phase <= -1.0) {
                rising = true;
                phase = -2.0 - phase;
            }
        }
    }
    tone.bytes = (last_crossing != 0 ? last_crossing : frames) * SOUND_FRAME_BYTES;
    return tone;
}
