#include "sound/play_synth.h"

#include "sound/samples.h"
#include "sound/tone.h"
#include "sound/tone_pipe.h"

#include <algorithm>
#include <cmath>

namespace
{

// Chord sums keep the range symmetric: the most negative 16-bit value is never
// produced by mixing.
constexpr double MIX_FLOOR = -32767.0;

// Puts an item of `count` samples into the buffer at the write position. The
// first item becomes the buffer. Later ones grow it as needed; where the item
// lands on earlier sound (a chord) the samples are added and saturate through
// sample_to_i16 within -32767..32767, otherwise copied.
void item_mix(play_pending_buffer &buffer, std::vector<int16_t> item, bool is_rest, bool chord)
{
    int64_t count = int64_t(item.size());
    if (!buffer.exists) {
        buffer.samples = std::move(item);
        buffer.exists = true;
        buffer.write_offset = 0;
    } else {
        int64_t length = int64_t(buffer.samples.size());
        bool add = buffer.write_offset != length;
        if (buffer.write_offset + count > length)
            buffer.samples.resize(size_t(buffer.write_offset + count), 0);
        if (!is_rest) {
            int16_t *target = buffer.samples.data() + buffer.write_offset;
            if (add)
                for (int64_t i = 0; i < count; ++i)
                    target[i] =
                        sample_to_i16(std::max(double(target[i]) + item[size_t(i)], MIX_FLOOR));
            else
                std::copy(item.begin(), item.end(), target);
        }
    }
    if (!chord)
        buffer.write_offset += count;
    buffer.pending = true;
}

} // namespace

double play_note_freq_hz(int64_t k)
{
    return 440.0 * std::exp2(double(k) / 12.0);
}

void play_note_mix(play_pending_buffer &buffer, int64_t k, double seconds, double volume_percent,
                   double articulation, bool chord)
{
    tone_block tone =
        tone_render(play_note_freq_hz(k), seconds * (1.0 - articulation), volume_percent / 100.0);
    // The tone ends at its cut; what follows is the articulation's silence.
    tone.samples.resize(size_t(tone.bytes / 2));
    if (articulation > 0.0)
        tone.samples.resize(
            tone.samples.size() + size_t(silence_length(seconds * articulation) / 2), 0);
    item_mix(buffer, std::move(tone.samples), false, chord);
}

void play_rest_mix(play_pending_buffer &buffer, double seconds, bool chord)
{
    item_mix(buffer, std::vector<int16_t>(size_t(silence_length(seconds) / 2), 0), true, chord);
}

void play_buffer_hand_over(play_pending_buffer &buffer, bool wait)
{
    if (buffer.pending) {
        int64_t bytes = int64_t(buffer.samples.size()) * 2;
        sound_samples_stream(std::move(buffer.samples), bytes, wait);
    }
    play_buffer_clear(buffer);
}

void play_buffer_clear(play_pending_buffer &buffer)
{
    buffer = play_pending_buffer{};
}
