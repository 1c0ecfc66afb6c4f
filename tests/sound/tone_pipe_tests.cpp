#include "sound_support.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "platform/clock.h"
#include "sound/raw_stream.h"
#include "sound/sound_device.h"
#include "sound/tone_pipe.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <malloc.h>

namespace
{

class tone_pipe_test : public sound_test
{
};

double queued_seconds()
{
    return sound_raw_queued_seconds(tone_pipe.load(), 1);
}

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
    // Alone, 264 ms of sound or less does not wait.
    EXPECT_EQ(waited_ms([] { sound_tone_play(0.0, 11686.5 / 44100, true); }), 0);
    // Behind queued sound it waits for the queue's share; 265 ms adds 1 ms of
    // its own.
    const std::pair<double, int64_t> cases[] = {{11686.5, 0}, {11687.5, 1}};
    for (auto [frame_count, own_ms] : cases) {
        sound_tone_play(0.0, 2.0, false);
        int64_t queued_ms = int64_t(queued_seconds() * 1000.0);
        int64_t share = int64_t(std::trunc(queued_ms * 0.95)) - 250;
        double seconds = frame_count / 44100;
        EXPECT_EQ(waited_ms([=] { sound_tone_play(0.0, seconds, true); }), own_ms + share);
    }
}

TEST_F(tone_pipe_test, a_loop_of_short_foreground_notes_keeps_pace_with_its_sound)
{
    // 40 notes of 125 ms: 5 s of music. The first returns at once; the loop
    // runs in step with the sound (no silence between the notes stretches
    // it) and ends with little of it still queued.
    fake_clock_plays_audio();
    const std::pair<const char *, void (*)()> statements[] = {
        {"PLAY", [] { play("MFT120L16C"); }},
        {"SOUND", [] { rt_sound(440.0, 0.125 * 18.2); }},
    };
    for (auto [name, statement] : statements) {
        clock_sleep_ms(2000); // nothing left queued
        EXPECT_EQ(waited_ms(statement), 0) << name;
        int64_t loop_ms = waited_ms([&] {
            for (int i = 1; i < 40; ++i)
                statement();
        });
        EXPECT_GT(loop_ms, 4000) << name;
        EXPECT_LT(loop_ms, 5500) << name;
        EXPECT_LE(queued_seconds(), 0.5) << name;
        EXPECT_EQ(error_pending_take(), 0u) << name;
    }
}

TEST_F(tone_pipe_test, a_sound_longer_than_the_backlog_bound_goes_in_whole)
{
    // 12 s of sound into an empty pipe: no wait, nothing dropped. A sound
    // behind it waits for the 2 s beyond the bound to play; when nothing
    // plays (no pump), the wait still ends a second later.
    const int64_t long_frames = 12 * 44100;
    for (bool playing : {false, true}) {
        if (playing)
            fake_clock_plays_audio();
        auto stream = [](int64_t frame_count) {
            sound_samples_stream(std::vector<int16_t>(size_t(frame_count) * 2, 1000),
                                 frame_count * 4, false);
        };
        clock_sleep_ms(13000);
        EXPECT_EQ(waited_ms([&] { stream(long_frames); }), 0);
        EXPECT_NEAR(queued_seconds(), 12.0, 0.1);
        int64_t waited = waited_ms([&] { stream(100); });
        EXPECT_NEAR(double(waited), playing ? 2000 : 3000, 150) << playing;
        EXPECT_LE(queued_seconds(), playing ? TONE_PIPE_BACKLOG_MAX_SECONDS : 12.1) << playing;
    }
}

TEST_F(tone_pipe_test, a_background_loop_stays_within_the_backlog_bound_and_its_memory)
{
    // 20,000 notes of 15 ms (about 294 s of music) with the device playing.
    fake_clock_plays_audio();
    double most_queued = 0.0;
    size_t heap_at_bound = 0;
    for (int i = 0; i < 20000; ++i) {
        play("MBT255L64C");
        most_queued = std::max(most_queued, queued_seconds());
        if (i == 2000) // the bound is reached after about 700 notes
            heap_at_bound = mallinfo2().uordblks;
    }
    EXPECT_LE(most_queued, TONE_PIPE_BACKLOG_MAX_SECONDS + 0.2);
    EXPECT_GE(most_queued, TONE_PIPE_BACKLOG_MAX_SECONDS - 0.2);
    EXPECT_LT(double(mallinfo2().uordblks) - double(heap_at_bound), 1e6);
    EXPECT_EQ(error_pending_take(), 0u);
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
