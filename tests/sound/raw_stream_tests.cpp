#include "sound_support.h"

#include "core/errors.h"
#include "sound/raw_stream.h"
#include "sound/sound_device.h"

#include <cstring>
#include <vector>

namespace
{

class raw_stream_test : public sound_test
{
};

constexpr double block_seconds = 4096.0 / 44100.0;

void frames_write(int32_t handle, int64_t count, float left = 0.5f)
{
    for (int64_t i = 0; i < count; ++i)
        sound_raw_frame_add(left, 0.0f, handle, RAW_FRAME_HANDLE_GIVEN);
}

} // namespace

TEST_F(raw_stream_test, a_full_block_starts_the_stream)
{
    int32_t h = sound_raw_open();
    EXPECT_EQ(sound_raw_queued_seconds(h, 1), 0.0);
    frames_write(h, 4095);
    EXPECT_EQ(sound_handle_get(h)->ring_read.load(), 0); // not started yet
    EXPECT_EQ(sound_raw_queued_seconds(h, 1), 0.0);
    frames_write(h, 1);
    EXPECT_EQ(sound_handle_get(h)->ring_read.load(), 1);
    EXPECT_DOUBLE_EQ(sound_raw_queued_seconds(h, 1), block_seconds);
    frames_write(h, 4096 * 2);
    EXPECT_DOUBLE_EQ(sound_raw_queued_seconds(h, 1), 3 * block_seconds);
}

TEST_F(raw_stream_test, samples_are_scaled_by_32767_and_the_right_repeats_the_left)
{
    // k / 32768 arrives as k - 1 (k + 1 when negative): the scale is 32767.
    sound_raw_frame_add(float(1000 / 32768.0), 0.0f, 0, 0);
    sound_raw_frame_add(float(-1000 / 32768.0), float(2000 / 32768.0), 0, RAW_FRAME_RIGHT_GIVEN);
    sound_raw_frame_add(4.0f, -4.0f, 0, RAW_FRAME_RIGHT_GIVEN); // beyond full scale
    int32_t h = default_raw_stream.load();
    ASSERT_NE(h, 0);
    const int16_t *block = sound_handle_get(h)->block;
    EXPECT_EQ(std::vector<int16_t>(block, block + 6),
              (std::vector<int16_t>{999, 999, -999, 1999, 32767, -32768}));
}

TEST_F(raw_stream_test, frames_added_in_bulk_equal_frames_added_one_by_one)
{
    // Every 16-bit value, through both ways, across several blocks.
    std::vector<int16_t> samples(65536 * 2);
    for (int32_t v = 0; v < 65536; ++v) {
        samples[size_t(v) * 2] = int16_t(v - 32768);
        samples[size_t(v) * 2 + 1] = int16_t(32767 - v);
    }
    int32_t one = sound_raw_open(), bulk = sound_raw_open();
    for (size_t i = 0; i < samples.size(); i += 2)
        sound_raw_frame_add(float(samples[i] / 32768.0), float(samples[i + 1] / 32768.0), one,
                            RAW_FRAME_HANDLE_GIVEN | RAW_FRAME_RIGHT_GIVEN);
    sound_raw_frames_add(samples.data(), 65536, bulk);
    const sound_handle_record *a = sound_handle_get(one), *b = sound_handle_get(bulk);
    ASSERT_EQ(a->ring_write.load(), b->ring_write.load());
    ASSERT_EQ(a->block_bytes, b->block_bytes);
    for (int32_t slot = 1; slot < a->ring_write.load(); ++slot)
        ASSERT_EQ(std::memcmp(a->ring[slot], b->ring[slot], 4096 * 4), 0) << slot;
    EXPECT_EQ(std::memcmp(a->block, b->block, size_t(a->block_bytes)), 0);
}

TEST_F(raw_stream_test, handles_that_are_no_open_raw_stream_are_refused)
{
    // Handle 0 given: nothing at all.
    sound_raw_frame_add(0.5f, 0.5f, 0, RAW_FRAME_HANDLE_GIVEN);
    sound_raw_flush(0, 1);
    EXPECT_EQ(sound_raw_queued_seconds(0, 1), 0.0);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(default_raw_stream.load(), 0);
    // Without a handle and no default stream, flush and the query do nothing.
    sound_raw_flush(0, 0);
    EXPECT_EQ(sound_raw_queued_seconds(0, 0), 0.0);
    EXPECT_EQ(error_pending_take(), 0u);

    EXPECT_EQ(error_of([&] { sound_raw_frame_add(0.5f, 0.5f, 77, RAW_FRAME_HANDLE_GIVEN); }), 5u);
    int32_t h = sound_raw_open();
    sound_handle_get(h)->closed = 1;
    EXPECT_EQ(error_of([&] { sound_raw_frame_add(0.5f, 0.5f, h, RAW_FRAME_HANDLE_GIVEN); }), 5u);
    EXPECT_EQ(error_of([&] { sound_raw_flush(h, 1); }), 5u);
    EXPECT_EQ(sound_raw_queued_seconds(h, 1), 0.0);
    EXPECT_EQ(error_pending_take(), 5u);
}

TEST_F(raw_stream_test, flush_pads_a_partial_block_with_silence)
{
    int32_t h = sound_raw_open();
    sound_raw_flush(h, 1); // empty block: nothing
    EXPECT_EQ(sound_handle_get(h)->ring_read.load(), 0);

    frames_write(h, 1);
    ASSERT_TRUE(sound_busy_try_take()); // another thread holds the flag: no flush
    sound_raw_flush(h, 1);
    sound_busy_release();
    EXPECT_EQ(sound_handle_get(h)->ring_read.load(), 0);

    sound_raw_flush(h, 1);
    EXPECT_DOUBLE_EQ(sound_raw_queued_seconds(h, 1), block_seconds);
    frames out = pump_render(8192);
    int64_t start = first_sound_frame(out);
    ASSERT_GE(start, 0);
    EXPECT_EQ(sound_end_frame(out), start + 1);
    EXPECT_EQ(out[size_t(start) * 2], 16383);
}
