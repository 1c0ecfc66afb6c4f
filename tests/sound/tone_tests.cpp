#include "sound_support.h"

#include "sound/samples.h"
#include "sound/tone.h"

#include <cmath>
#include <limits>

namespace
{

class tone_test : public sound_test
{
};

int64_t frames_of(const tone_block &t)
{
    return int64_t(t.samples.size() / 2);
}

} // namespace

TEST(samples, conversion_saturates_instead_of_wrapping)
{
    EXPECT_EQ(sample_to_i16(32766.9), 32766);
    EXPECT_EQ(sample_to_i16(-32767.9), -32767);
    EXPECT_EQ(sample_to_i16(40000.0), 32767);
    EXPECT_EQ(sample_to_i16(-40000.0), -32768);
    EXPECT_EQ(sample_to_i16(1e300), 32767);
    EXPECT_EQ(sample_to_i16(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST_F(tone_test, half_volume_440_hz_is_a_triangle_cut_at_its_last_rising_crossing)
{
    tone_block t = tone_render(440.0, 0.5, 0.5);
    ASSERT_EQ(frames_of(t), 22050);
    int64_t cut = t.bytes / 4;
    int16_t max_abs = 0;
    int64_t last_rise = 0;
    for (int64_t i = 0; i < frames_of(t); ++i) {
        int16_t s = t.samples[size_t(i) * 2];
        EXPECT_EQ(s, t.samples[size_t(i) * 2 + 1]);
        max_abs = std::max<int16_t>(max_abs, int16_t(std::abs(s)));
        if (i > 0 && s > 0 && t.samples[size_t(i - 1) * 2] <= 0)
            last_rise = i;
    }
    EXPECT_LE(max_abs, 16383);
    EXPECT_GE(max_abs, 16300);
    EXPECT_EQ(cut, last_rise);
    EXPECT_GT(cut, 22050 - 101); // within one period of the end
    // The first samples climb by about 4 * 440 / 44100 of the peak per frame.
    EXPECT_EQ(t.samples[0], 0);
    EXPECT_NEAR(t.samples[2], 0.5 * 32767 * 4 * 440 / 44100.0, 1.0);
    EXPECT_NEAR(crossing_freq_hz(left_channel(t.samples, 0, cut)), 440.0, 0.5);
}

TEST_F(tone_test, silence_keeps_its_full_length)
{
    for (auto [freq, volume] : {std::pair{0.0, 1.0}, {440.0, 0.0}}) {
        tone_block t = tone_render(freq, 0.1, volume);
        EXPECT_EQ(t.bytes, 4410 * 4);
        EXPECT_EQ(first_sound_frame(t.samples), -1);
    }
}

TEST_F(tone_test, shortest_tones_are_one_frame)
{
    // Shorter than a period: the only rising crossing is at frame 1.
    tone_block short_tone = tone_render(100.0, 0.005, 1.0);
    EXPECT_EQ(frames_of(short_tone), 220);
    EXPECT_EQ(short_tone.bytes, 4);
    // Less than one frame long.
    tone_block tiny = tone_render(440.0, 1e-6, 1.0);
    EXPECT_EQ(frames_of(tiny), 1);
    EXPECT_EQ(tiny.bytes, 4);
    EXPECT_EQ(silence_length(1e-6), 4);
    EXPECT_EQ(silence_length(0.0625), 2756 * 4);
}

TEST_F(tone_test, tones_above_half_the_rate_are_silent_not_full_scale)
{
    for (double freq : {22051.0, 30000.0, 32767.0}) {
        tone_block t = tone_render(freq, 0.1, 1.0);
        EXPECT_EQ(t.bytes, 4410 * 4) << freq;
        EXPECT_EQ(first_sound_frame(t.samples), -1) << freq;
    }
    // Just below the limit the wave stays within full scale.
    tone_block high = tone_render(20000.0, 0.1, 1.0);
    int64_t non_zero = 0;
    for (int16_t s : high.samples)
        non_zero += s != 0;
    EXPECT_GT(non_zero, 0);
}
