#include "sound_support.h"

#include "core/lists.h"
#include "sound/audio_device.h"
#include "sound/audio_pump.h"
#include "sound/raw_stream.h"
#include "sound/sound_device.h"
#include "sound/sound_handles.h"
#include "sound/tone_pipe.h"

namespace
{

class audio_pump_test : public sound_test
{
};

// A pattern sample that is never 0: k / 32768 in the stream arrives as k - 1
// (k + 1 below zero).
int32_t pattern_k(int64_t i, int channel)
{
    int32_t k = int32_t(2 + (i * 7919 + channel * 104729) % 30000);
    return (i + channel) % 3 == 0 ? -k : k;
}
int16_t pattern_arrives(int32_t k)
{
    return int16_t(k > 0 ? k - 1 : k + 1);
}

void pattern_write(int32_t handle, int64_t begin, int64_t end)
{
    for (int64_t i = begin; i < end; ++i)
        sound_raw_frame_add(float(pattern_k(i, 0) / 32768.0), float(pattern_k(i, 1) / 32768.0),
                            handle, RAW_FRAME_RIGHT_GIVEN | RAW_FRAME_HANDLE_GIVEN);
}

// Frames of `out` from `start` that match the pattern, counted until the first
// mismatch.
int64_t pattern_match_length(const frames &out, int64_t start, int64_t count)
{
    for (int64_t i = 0; i < count; ++i) {
        size_t at = size_t(start + i) * 2;
        if (at + 1 >= out.size() || out[at] != pattern_arrives(pattern_k(i, 0)) ||
            out[at + 1] != pattern_arrives(pattern_k(i, 1)))
            return i;
    }
    return count;
}

} // namespace

TEST_F(audio_pump_test, a_long_stream_arrives_bit_exact_without_gaps_at_block_edges)
{
    constexpr int64_t total = 44100 * 5 + 1234; // several seconds, a partial last block
    int32_t h = sound_raw_open();
    // Written in bursts between pump calls, as a program would.
    frames out;
    for (int64_t written = 0; written < total; written += 3000) {
        pattern_write(h, written, std::min(written + 3000, total));
        frames more = pump_render(1024);
        out.insert(out.end(), more.begin(), more.end());
    }
    sound_raw_flush(h, 1);
    frames rest = pump_render_until_quiet(8192);
    out.insert(out.end(), rest.begin(), rest.end());

    int64_t start = first_sound_frame(out);
    ASSERT_GE(start, 0);
    EXPECT_EQ(pattern_match_length(out, start, total), total);
    EXPECT_EQ(sound_end_frame(out), start + total);
}

TEST_F(audio_pump_test, a_dry_stream_reports_nothing_queued_and_restarts_by_itself)
{
    int32_t h = sound_raw_open();
    pattern_write(h, 0, 4096 * 2);
    EXPECT_DOUBLE_EQ(sound_raw_queued_seconds(h, 1), 2 * 4096.0 / 44100);
    frames first = pump_render(4096 * 4);
    EXPECT_EQ(sound_end_frame(first) - first_sound_frame(first), 4096 * 2);
    sound_update();
    EXPECT_EQ(sound_raw_queued_seconds(h, 1), 0.0);

    // New blocks after the source ran dry play again.
    pattern_write(h, 0, 4096);
    frames second = pump_render(4096 * 2);
    int64_t start = first_sound_frame(second);
    ASSERT_GE(start, 0);
    EXPECT_EQ(pattern_match_length(second, start, 4096), 4096);
}

TEST_F(audio_pump_test, at_most_four_blocks_are_queued_ahead)
{
    int32_t h = sound_raw_open();
    pattern_write(h, 0, 4096 * 10);
    sound_update();
    sound_handle_record *r = sound_handle_get(h);
    EXPECT_EQ(r->ring_read.load(), 5); // four blocks taken off the ring
    EXPECT_DOUBLE_EQ(sound_raw_queued_seconds(h, 1), 10 * 4096.0 / 44100);
    sound_update(); // nothing played yet: nothing more can be queued
    EXPECT_EQ(r->ring_read.load(), 5);
    pump_render(4096 * 2);
    sound_update(); // two buffers played out: two more blocks follow
    EXPECT_EQ(r->ring_read.load(), 7);
    EXPECT_DOUBLE_EQ(sound_raw_queued_seconds(h, 1), 8 * 4096.0 / 44100);
}

TEST_F(audio_pump_test, the_tone_pipe_partial_block_is_pushed_only_after_a_finished_sound)
{
    sound_samples_stream(std::vector<int16_t>(2 * 5000, 1000), 5000 * 4, false);
    int32_t pipe = tone_pipe.load();
    sound_handle_record *r = sound_handle_get(pipe);
    sound_update(); // takes the first block
    EXPECT_EQ(r->block_bytes, (5000 - 4096) * 4);

    fake_advance_ms(TONE_PIPE_FLUSH_DELAY_MS); // not more than 20 ms yet
    sound_update();
    EXPECT_EQ(r->block_bytes, (5000 - 4096) * 4);

    tone_pipe_streamed.store(false); // frames came, but no finished sound
    fake_advance_ms(1);
    sound_update();
    EXPECT_EQ(r->block_bytes, (5000 - 4096) * 4);
    ASSERT_TRUE(sound_busy_try_take()); // and the flag was left clear
    sound_busy_release();

    tone_pipe_streamed.store(true);
    tone_pipe_prepad.store(false);
    sound_update();
    EXPECT_EQ(r->block_bytes, 0);
    EXPECT_FALSE(tone_pipe_streamed.load());
    EXPECT_TRUE(tone_pipe_prepad.load());
    EXPECT_EQ(r->ring_read.load(), 3);
}

TEST_F(audio_pump_test, a_closed_stream_is_released_after_three_seconds_and_then_swept)
{
    int32_t h = sound_raw_open();
    pattern_write(h, 0, 4096);
    pump_render(4096 * 2);
    sound_handle_record *r = sound_handle_get(h);
    r->closed = 1;
    r->last_use_ms = fake_now_ms();
    r->close_state.store(SOUND_CLOSE_REQUESTED);

    fake_advance_ms(RAW_STREAM_RELEASE_DELAY_MS); // exactly 3000 ms: not yet
    sound_update();
    EXPECT_EQ(r->close_state.load(), SOUND_CLOSE_REQUESTED);
    fake_advance_ms(1);
    sound_update();
    EXPECT_EQ(r->close_state.load(), SOUND_CLOSE_FREEABLE);
    EXPECT_EQ(r->ring, nullptr);
    EXPECT_EQ(r->raw_source, 0u);
    EXPECT_NE(sound_handle_get(h), nullptr); // freed by the next sound statement
    sound_sweep();
    EXPECT_EQ(sound_handle_get(h), nullptr);
    EXPECT_EQ(list_add(sound_handle_list()), h); // the index is reused
    list_remove(sound_handle_list(), h);
}

TEST_F(audio_pump_test, a_never_started_stream_is_left_alone)
{
    int32_t h = sound_raw_open();
    pattern_write(h, 0, 100);
    sound_update();
    EXPECT_EQ(sound_handle_get(h)->ring_read.load(), 0);
    EXPECT_EQ(sound_handle_get(h)->block_bytes, 400);
    EXPECT_EQ(first_sound_frame(pump_render(2048)), -1);
}

// The device mixes a limited number of sources (256 by default). A stream that
// gets none plays nothing and keeps nothing, so neither memory nor the waits of
// SOUND and PLAY grow; it starts once a block finds a source free.
TEST_F(audio_pump_test, streams_without_a_source_drop_their_blocks_until_one_comes_free)
{
    std::vector<uint32_t> taken;
    while (uint32_t source = audio_sound_source_new(0, 1.0f, 1.0f, 1.0f))
        taken.push_back(source);
    int32_t h = sound_raw_open();
    pattern_write(h, 0, 4096 * 10);
    EXPECT_EQ(sound_handle_get(h)->ring_read.load(), 0);
    EXPECT_EQ(sound_raw_queued_seconds(h, 1), 0.0);
    auto sound_waited_ms = [] {
        int64_t start = fake_now_ms();
        rt_sound(440.0, 18.2); // 44,000 frames
        return fake_now_ms() - start;
    };
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(sound_waited_ms(), 697); // its own share, nothing queued
    EXPECT_EQ(sound_raw_queued_seconds(tone_pipe.load(), 1), 0.0);
    EXPECT_EQ(first_sound_frame(pump_render(44100)), -1);
    EXPECT_EQ(sound_handle_is_playing(h), 0);

    for (uint32_t source : taken)
        audio_source_delete(source);
    pattern_write(h, 0, 4096);
    frames out = pump_render(4096 * 3);
    EXPECT_EQ(pattern_match_length(out, first_sound_frame(out), 4096), 4096);
    // The next tone starts clean: no end of the tones that got no source.
    sound_waited_ms();
    out = pump_render_until_quiet();
    int64_t start = first_sound_frame(out) - 1, end = sound_end_frame(out);
    EXPECT_LE(end, start + 44000);
    EXPECT_GE(end, start + 43990);
}
