#include "sound_support.h"

#include "core/errors.h"
#include "core/lists.h"
#include "sound/sample_data.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace
{

class sample_data_test : public sound_test
{
};

// Frequency of a run of 16-bit samples (one channel of `channels`).
double samples_freq_hz(const int16_t *samples, int64_t count, int32_t channels)
{
    std::vector<double> signal;
    for (int64_t i = 0; i < count; i += channels)
        signal.push_back(samples[i]);
    return crossing_freq_hz(signal);
}

} // namespace

TEST_F(sample_data_test, formats_that_cannot_play_are_refused)
{
    struct format {
        int64_t bytes;
        int32_t channels, bits, rate_hz;
    };
    uint8_t pcm[64] = {};
    const int64_t too_big = int64_t(1) << 40; // checked before any byte is read
    for (format f : {format{64, 0, 16, 44100}, format{64, 3, 16, 44100}, format{64, 1, 0, 44100},
                     format{64, 1, 4, 44100}, format{64, 1, 24, 44100}, format{64, 2, 8, 0},
                     format{64, 2, 8, -44100}, format{64, 2, 8, 172}, format{64, 2, 8, 11289601},
                     format{-4, 2, 16, 44100}, format{too_big, 2, 16, 44100},
                     format{(int64_t(1) << 31) / 2, 1, 8, 22050}}) {
        EXPECT_EQ(sound_sample_data_new(pcm, f.bytes, f.channels, f.bits, f.rate_hz), nullptr)
            << f.bytes << " " << f.channels << " " << f.bits << " " << f.rate_hz;
        EXPECT_EQ(error_pending_take(), 5u);
    }
    for (int32_t i = 1; i <= list_highest_index(sound_sample_list()); ++i)
        EXPECT_EQ(list_get(sound_sample_list(), i), nullptr);
    // The extreme rates are accepted.
    for (int32_t rate : {173, 11289600})
        EXPECT_NE(sound_sample_data_new(pcm, 64, 1, 16, rate), nullptr) << rate;
}

TEST_F(sample_data_test, eight_bit_samples_are_unsigned_and_widened)
{
    const uint8_t pcm[] = {0, 128, 255, 129, 7}; // a partial frame at the end
    sound_sample_data *data = sound_sample_data_new(pcm, 5, 2, 8, 44100);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->bytes, 5);
    EXPECT_EQ(data->mono16, nullptr);
    ASSERT_EQ(data->stereo16_bytes, 8);
    const int16_t expected[] = {-32768, 0, 32512, 256};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(data->stereo16[i], expected[i]) << i;
    EXPECT_EQ(std::memcmp(data->samples, pcm, 5), 0);
}

TEST_F(sample_data_test, other_rates_are_converted_to_44100_hz)
{
    // 22,050 Hz mono: twice the frames at the same pitch.
    std::vector<int16_t> tone;
    for (int32_t i = 0; i < 22050; ++i)
        tone.push_back(int16_t(8000 * std::sin(2 * 3.14159265358979 * 1000 * i / 22050.0)));
    std::vector<uint8_t> pcm = pcm16_bytes(tone);
    sound_sample_data *data = sound_sample_data_new(pcm.data(), int64_t(pcm.size()), 1, 16, 22050);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->stereo16, nullptr);
    EXPECT_NEAR(double(data->mono16_bytes), 44100 * 2, 4);
    EXPECT_NEAR(samples_freq_hz(data->mono16, data->mono16_bytes / 2, 1), 1000, 0.5);
    EXPECT_EQ(data->rate, 22050);
    EXPECT_EQ(data->bits, 16);
}

TEST_F(sample_data_test, the_mono_form_is_the_mean_of_both_channels_toward_zero)
{
    std::vector<int16_t> stereo = {-3, 0, 3, 0, 32767, 32767, -32768, -32767, 100, -101};
    std::vector<uint8_t> pcm = pcm16_bytes(stereo);
    sound_sample_data *data = sound_sample_data_new(pcm.data(), int64_t(pcm.size()), 2, 16, 44100);
    ASSERT_NE(data, nullptr);
    sound_stereo_to_mono(data);
    ASSERT_EQ(data->mono16_bytes, 10);
    const int16_t expected[] = {-1, 1, 32767, -32767, 0};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(data->mono16[i], expected[i]) << i;
    const int16_t *made = data->mono16;
    sound_stereo_to_mono(data); // once only
    EXPECT_EQ(data->mono16, made);
}
