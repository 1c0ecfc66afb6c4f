#include "sound/sample_data.h"

#include "core/errors.h"
#include "core/lists.h"

#include <samplerate.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace
{

constexpr int32_t min_rate_hz = (SOUND_RATE_HZ + 255) / 256;
constexpr int32_t max_rate_hz = SOUND_RATE_HZ * 256;
constexpr int64_t max_buffer_bytes = std::numeric_limits<int32_t>::max();

// One input sample as a signed 16-bit value: 8-bit PCM is unsigned with its
// zero at 128, 16-bit PCM is signed little-endian.
int16_t pcm_sample(const uint8_t *pcm, int32_t bits, int64_t index)
{
    if (bits == 8)
        return int16_t((int32_t(pcm[index]) - 128) * 256);
    return int16_t(uint16_t(pcm[index * 2]) | uint16_t(pcm[index * 2 + 1]) << 8);
}

// Converts whole frames to 16 bits, then to 44,100 Hz when the rate differs.
std::vector<int16_t> pcm_convert(const uint8_t *pcm, int64_t frames, int32_t channels, int32_t bits,
                                 int32_t rate_hz)
{
    std::vector<int16_t> same_rate(size_t(frames * channels));
    for (size_t i = 0; i < same_rate.size(); ++i)
        same_rate[i] = pcm_sample(pcm, bits, int64_t(i));
    if (rate_hz == SOUND_RATE_HZ || frames == 0)
        return same_rate;

    double ratio = double(SOUND_RATE_HZ) / rate_hz;
    std::vector<float> in(same_rate.size());
    src_short_to_float_array(same_rate.data(), in.data(), int(in.size()));
    int64_t out_frames = int64_t(std::ceil(double(frames) * ratio)) + 1;
    std::vector<float> out(size_t(out_frames * channels));
    SRC_DATA job{};
    job.data_in = in.data();
    job.data_out = out.data();
    job.input_frames = long(frames);
    job.output_frames = long(out_frames);
    job.src_ratio = ratio;
    std::vector<int16_t> result;
    if (src_simple(&job, SRC_SINC_MEDIUM_QUALITY, channels) != 0)
        return result;
    result.resize(size_t(job.output_frames_gen * channels));
    src_float_to_short_array(out.data(), result.data(), int(result.size()));
    return result;
}

int16_t *samples_copy(const std::vector<int16_t> &samples)
{
    auto *copy = new int16_t[samples.size()];
    std::copy(samples.begin(), samples.end(), copy);
    return copy;
}

// True when the format can be converted and its 44,100 Hz form fits one
// audio buffer.
bool pcm_format_accepted(int64_t bytes, int32_t channels, int32_t bits, int32_t rate_hz)
{
    if (bytes < 0 || (channels != 1 && channels != 2) || (bits != 8 && bits != 16))
        return false;
    if (rate_hz < min_rate_hz || rate_hz > max_rate_hz)
        return false;
    int64_t whole_frames = bytes / (channels * (bits / 8));
    if (whole_frames * channels > max_buffer_bytes)
        return false; // beyond what the converter counts
    double frames = double(whole_frames);
    double out_bytes = std::ceil(frames * SOUND_RATE_HZ / rate_hz) * channels * 2;
    return out_bytes <= double(max_buffer_bytes);
}

} // namespace

sound_sample_data *sound_sample_data_new(const void *pcm, int64_t bytes, int32_t channels,
                                         int32_t bits, int32_t rate_hz)
{
    if (!pcm_format_accepted(bytes, channels, bits, rate_hz) || (!pcm && bytes > 0)) {
        error_raise(5);
        return nullptr;
    }
    const auto *in = static_cast<const uint8_t *>(pcm);
    int64_t frames = bytes / (channels * (bits / 8));
    std::vector<int16_t> converted = pcm_convert(in, frames, channels, bits, rate_hz);

    int32_t index = list_add(sound_sample_list());
    auto *data = static_cast<sound_sample_data *>(list_get(sound_sample_list(), index));
    data->samples = new uint8_t[size_t(bytes)];
    if (bytes > 0)
        std::memcpy(data->samples, in, size_t(bytes));
    data->bytes = bytes;
    data->channels = uint8_t(channels);
    data->rate = rate_hz;
    data->bits = bits;
    int64_t converted_bytes = int64_t(converted.size()) * 2;
    if (channels == 2) {
        data->stereo16 = samples_copy(converted);
        data->stereo16_bytes = converted_bytes;
    } else {
        data->mono16 = samples_copy(converted);
        data->mono16_bytes = converted_bytes;
    }
    return data;
}

void sound_stereo_to_mono(sound_sample_data *data)
{
    if (data->mono16 || !data->stereo16)
        return;
    int64_t frames = data->stereo16_bytes / 4;
    const int16_t *stereo = data->stereo16;
    auto *mono = new int16_t[size_t(frames)];
    for (int64_t i = 0; i < frames; ++i)
        mono[i] = int16_t((int32_t(stereo[2 * i]) + int32_t(stereo[2 * i + 1])) / 2);
    data->mono16 = mono;
    data->mono16_bytes = frames * 2;
}

void sound_sample_data_release(sound_sample_data *data)
{
    if (data->ref_count >= 2) {
        data->ref_count--;
        return;
    }
    delete[] data->samples;
    delete[] data->stereo16;
    delete[] data->mono16;
    list_remove(sound_sample_list(), list_index_of(sound_sample_list(), data));
}
