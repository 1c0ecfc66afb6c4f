#include "sound_support.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "sound/raw_stream.h"
#include "sound/sound_device.h"
#include "sound/tone_pipe.h"

#include <cmath>
#include <limits>

namespace
{

class tone_pipe_test : public sound_test
{
};

// Milliseconds of fake time that `statement` waits.
template <typename F> int64_t waited_ms(F statement)
{
    int64_t start = fake_now_ms();
    statement();
    return fake_now_ms() - start;
}

} // namespace

TEST_F(tone_pipe_test, sound_440_for_18_2_ticks_renders_44000_frames_and_waits_700_ms)
{
    // 1 s asked, 44,000 frames after the cut: 997 ms, of which 95 % less 250.
    EXPECT_EQ(waited_ms([] { rt_sound(440.0, 18.2); }), 697);
    frames out = pump_render_until_quiet();
    int64_t start = first_sound_frame(out) - 1; // the tone's frame 0 is 0
    ASSERT_GE(start, 0);
    int64_t end = sound_end_frame(out);
    EXPECT_LE(end, start + 44000);
    EXPECT_GE(end, start + 43990);
    std::vector<double> tone = left_channel(out, start, start + 44000);
    EXPECT_NEAR(crossing_freq_hz(tone), 440.0, 0.2);
    // Full scale (less one on the way into the pipe), as far as the frames
    // come near the peak of the wave.
    EXPECT_LE(peak(tone), 32766);
    EXPECT_GE(peak(tone), 32700);
}

TEST_F(tone_pipe_test, a_wait_covers_this_sound_and_what_was_queued_before_it)
{
    // 264 ms of sound or less never waits, however much is queued.
    sound_tone_play(0.0, 2.0, false);
    EXPECT_EQ(waited_ms([] { sound_tone_play(0.0, 11686.5 / 44100, true); }), 0);
    // 265 ms waits 1 ms for itself plus its share of the queue.
    int64_t queued_ms = int64_t(sound_raw_queued_seconds(tone_pipe.load(), 1) * 1000.0);
    int64_t share = int64_t(std::trunc(queued_ms * 0.95)) - 250;
    EXPECT_EQ(waited_ms([] { sound_tone_play(0.0, 11687.5 / 44100, true); }), 1 + share);
}

TEST_F(tone_pipe_test, the_wait_serves_pending_events)
{
    event_pending = 1;
    rt_sound(440.0, 18.2);
    EXPECT_EQ(event_pending.load(), 0u);
}

TEST_F(tone_pipe_test, sound_arguments_out_of_range_are_error_5)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::pair<double, double> refused[] = {{36.0, 1.0},   {-1.0, 1.0},      {32768.0, 1.0},
                                                 {440.0, -1.0}, {440.0, 65536.0}, {nan, 1.0},
                                                 {440.0, nan}};
    for (auto [freq, ticks] : refused)
        EXPECT_EQ(error_of([&] { rt_sound(freq, ticks); }), 5u) << freq << " " << ticks;
    rt_sound(440.0, 0.0); // nothing at all
    error_raise(6);       // while an error is pending: nothing, BEEP included
    EXPECT_EQ(error_of([&] { rt_sound(440.0, 18.2); }), 6u);
    error_raise(6);
    EXPECT_EQ(waited_ms([] { rt_beep(); }), 0);
    EXPECT_EQ(error_pending_take(), 6u);
    EXPECT_EQ(tone_pipe.load(), 0);
}

TEST_F(tone_pipe_test, sound_0_is_a_silent_wait)
{
    EXPECT_EQ(waited_ms([] { rt_sound(0.0, 18.2); }), 700); // silence is never cut
    EXPECT_NE(tone_pipe.load(), 0);
    EXPECT_EQ(first_sound_frame(pump_render(44100 * 2)), -1);
}

TEST_F(tone_pipe_test, beep_plays_a_fifth_of_a_second_of_g_and_takes_a_quarter)
{
    EXPECT_EQ(waited_ms([] { rt_beep(); }), 250);
    frames out = pump_render_until_quiet();
    // More than one block: no silence before it.
    EXPECT_EQ(first_sound_frame(out), 1);
    int64_t end = sound_end_frame(out);
    EXPECT_LE(end, 8820);
    EXPECT_GE(end, 8820 - 60);
    EXPECT_NEAR(crossing_freq_hz(left_channel(out, 0, end)), 783.99, 0.5);
}

TEST_F(tone_pipe_test, a_short_first_sound_is_preceded_by_silence_that_fills_its_block)
{
    sound_samples_stream(std::vector<int16_t>(2 * 1000, 1000), 1000 * 4, false);
    frames out = pump_render(8192);
    EXPECT_EQ(first_sound_frame(out), 3096);
    EXPECT_EQ(sound_end_frame(out), 4096);
    EXPECT_EQ(out[3096 * 2], 999);

    // After a pause the pump flushed the pipe; the next short sound again
    // fills out its first block.
    sound_samples_stream(std::vector<int16_t>(2 * 100, 1000), 100 * 4, false);
    frames again = pump_render(8192);
    EXPECT_EQ(sound_end_frame(again) - first_sound_frame(again), 100);
}
