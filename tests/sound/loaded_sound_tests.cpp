#include "sound_support.h"

#include "core/errors.h"
#include "core/lists.h"
#include "sound/audio_device.h"
#include "sound/audio_pump.h"
#include "sound/raw_stream.h"
#include "sound/sample_data.h"
#include "sound/sound_handles.h"
#include "sound/tone_pipe.h"

#include <cmath>
#include <limits>

namespace
{

class loaded_sound_test : public sound_test
{
};

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

// Renders in steps of 10 ms (441 frames), the fake clock moving with them, the
// pump running before each step.
frames render_10ms_steps(int32_t steps)
{
    frames out, chunk(441 * 2);
    for (int32_t i = 0; i < steps; ++i) {
        sound_update();
        audio_device_loopback_render(chunk.data(), 441);
        fake_advance_ms(10);
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

// One second of stereo whose left sample is half its frame index and whose
// right is silent: where a play starts shows in its first value.
int32_t ramp_sound()
{
    std::vector<int16_t> ramp;
    for (int32_t i = 0; i < SOUND_RATE_HZ; ++i) {
        ramp.push_back(int16_t(i / 2));
        ramp.push_back(0);
    }
    return loaded_sound_make(ramp, 2);
}

// Frame of the ramp heard first in `out`, taken from frame 2,000 (a start
// inside the data fades in over the first 1,024 frames rendered).
int64_t ramp_start_frame(const frames &out)
{
    return int64_t(out[4000]) * 2 - 2000;
}

int32_t sine_sound(int32_t channels, double seconds = 1.0, double peak = 8000)
{
    return loaded_sound_make(sine_samples(1000, seconds, channels, peak), channels);
}

// The one handle that is closed (a played copy), or 0.
int32_t closed_handle()
{
    for (int32_t h = 1; h <= list_highest_index(sound_handle_list()); ++h)
        if (sound_handle_get(h) && sound_handle_get(h)->closed)
            return h;
    return 0;
}

double rms_of_play(int32_t handle, int32_t channel)
{
    sound_handle_play(handle);
    frames out = pump_render(8192);
    sound_handle_stop(handle);
    return channel_rms(out, channel, 0, 8192);
}

} // namespace

TEST_F(loaded_sound_test, volume_and_balance_set_the_levels_of_stereo_data)
{
    int32_t h = sine_sound(2);
    double full = rms_of_play(h, 0);
    ASSERT_GT(full, 5000);
    EXPECT_NEAR(rms_of_play(h, 1), full, 1.0); // stereo data keeps its channels
    struct level {
        float volume;
        double x;
        double ratio;
    };
    // Volume scales the gain; a balance x attenuates both channels linearly
    // with the distance up to 1,000 (below 1 counts as the centre).
    for (level l : {level{0.5f, 0, 0.5}, level{1.0f, 500, 0.5}, level{1.0f, 0.5, 1.0},
                    level{1.0f, 2000, 0.0}, level{0.5f, 500, 0.25}}) {
        sound_handle_volume_set(h, l.volume);
        sound_handle_balance_set(h, l.x, 0, 0, 0);
        EXPECT_NEAR(rms_of_play(h, 0) / full, l.ratio, 0.005) << l.volume << " " << l.x;
        EXPECT_NEAR(rms_of_play(h, 1) / full, l.ratio, 0.005) << l.volume << " " << l.x;
    }
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(loaded_sound_test, a_3d_position_right_of_the_listener_sounds_right)
{
    // Stereo data placed in 3-D plays from its mono form, made at the play.
    int32_t h = sine_sound(2);
    sound_handle_balance_set(h, 300, 0, 0, BALANCE_Y_GIVEN);
    EXPECT_EQ(sound_handle_get(h)->z, 0.001f); // y and z both 0: still 3-D
    EXPECT_EQ(sound_handle_get(h)->sample_data->mono16, nullptr);
    double left = rms_of_play(h, 0), right = rms_of_play(h, 1);
    EXPECT_NE(sound_handle_get(h)->sample_data->mono16, nullptr);
    EXPECT_GT(right, 1000);
    EXPECT_GT(right * right, 0.9 * (left * left + right * right));

    // Mono data is always placed by its position: left of the listener now.
    int32_t m = sine_sound(1);
    sound_handle_balance_set(m, -300, 0, 0, 0);
    left = rms_of_play(m, 0), right = rms_of_play(m, 1);
    EXPECT_GT(left * left, 0.9 * (left * left + right * right));
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(loaded_sound_test, seek_pause_and_replay_start_where_they_should)
{
    int32_t h = ramp_sound();
    sound_handle_position_set(h, 0.5);
    sound_handle_play(h);
    frames out = pump_render(4096);
    EXPECT_NEAR(ramp_start_frame(out), 22050, 2);
    EXPECT_NEAR(sound_handle_position_get(h), 0.5 + 4096.0 / 44100, 1100.0 / 44100);

    sound_handle_pause(h);
    EXPECT_EQ(sound_handle_is_paused(h), -1);
    EXPECT_EQ(sound_handle_is_playing(h), 0);
    EXPECT_EQ(first_sound_frame(pump_render(2048)), -1);
    sound_handle_play(h); // a paused sound played again starts from the start
    out = pump_render(2048);
    EXPECT_EQ(ramp_start_frame(out), 0);
    EXPECT_EQ(sound_handle_is_playing(h), -1);

    sound_handle_position_set(h, 0.25); // while it plays: at once
    out = pump_render(2048);
    EXPECT_NEAR(ramp_start_frame(out), 11025, 2);
    EXPECT_EQ(error_of([&] { sound_handle_position_set(h, -1); }), 5u);
    EXPECT_EQ(error_of([&] { sound_handle_position_set(h, not_a_number); }), 5u);
}

TEST_F(loaded_sound_test, a_sound_played_out_stops_and_a_looped_one_goes_on)
{
    int32_t h = sine_sound(2, 0.1);
    sound_handle_play(h);
    frames out = pump_render(8192);
    EXPECT_NEAR(double(sound_end_frame(out)), 4410, 1);
    EXPECT_EQ(sound_handle_is_playing(h), 0);
    EXPECT_EQ(sound_handle_get(h)->al_source, 0u); // released while stopped
    sound_handle_loop(h);
    out = pump_render(44100);
    EXPECT_EQ(sound_end_frame(out), 44100);
    EXPECT_EQ(sound_handle_is_playing(h), -1);
    sound_handle_play(h); // play without looping ends the loop
    out = pump_render(8192);
    EXPECT_NEAR(double(sound_end_frame(out)), 4410, 1);
}

TEST_F(loaded_sound_test, a_limit_stops_the_sound_on_time)
{
    int32_t h = sine_sound(2, 2.0);
    sound_handle_limit_set(h, 0.2); // armed: starts with the play
    EXPECT_EQ(sound_handle_get(h)->limit_state.load(), SOUND_LIMIT_ARMED);
    render_10ms_steps(5);
    sound_handle_play(h);
    frames out = render_10ms_steps(40);
    EXPECT_EQ(sound_end_frame(out), 8820);
    EXPECT_EQ(sound_handle_is_playing(h), 0);

    // Set while it plays, the limit starts at once; 0 cancels it.
    sound_handle_play(h);
    render_10ms_steps(10);
    sound_handle_limit_set(h, 0.1);
    out = render_10ms_steps(20);
    EXPECT_EQ(sound_end_frame(out), 4410);
    sound_handle_limit_set(h, 0.1);
    sound_handle_limit_set(h, 0);
    sound_handle_play(h);
    out = render_10ms_steps(40);
    EXPECT_EQ(sound_end_frame(out), 40 * 441);
    EXPECT_EQ(error_of([&] { sound_handle_stop(h); }), 0u);
}

TEST_F(loaded_sound_test, an_infinite_limit_never_fires_and_nan_or_negative_are_refused)
{
    int32_t h = sine_sound(2, 0.1);
    sound_handle_limit_set(h, infinity);
    sound_handle_loop(h);
    EXPECT_EQ(sound_handle_get(h)->limit_deadline_ms.load(), std::numeric_limits<int64_t>::max());
    frames out = render_10ms_steps(200);
    EXPECT_EQ(sound_end_frame(out), 200 * 441);
    for (double bad : {not_a_number, -1.0}) {
        EXPECT_EQ(error_of([&] { sound_handle_limit_set(h, bad); }), 5u) << bad;
    }
    EXPECT_EQ(sound_handle_get(h)->limit_state.load(), SOUND_LIMIT_RUNNING);
}

TEST_F(loaded_sound_test, a_played_copy_adds_to_the_original_and_frees_itself)
{
    int32_t h = sine_sound(2, 0.2, 6000);
    sound_handle_play(h);
    sound_handle_play_copy(h, 0, 0);
    int32_t copy = closed_handle();
    ASSERT_NE(copy, 0);
    EXPECT_EQ(sound_handle_get(h)->sample_data->ref_count, 2);
    frames out = pump_render_until_quiet();
    EXPECT_NEAR(peak(left_channel(out, 0, 8820)), 12000, 2);
    EXPECT_EQ(sound_handle_is_playing(copy), 0); // closed: refused
    EXPECT_EQ(error_pending_take(), 5u);
    sound_handle_is_playing(h); // the sweep frees the played-out copy
    EXPECT_EQ(sound_handle_get(copy), nullptr);
    EXPECT_EQ(sound_handle_get(h)->sample_data->ref_count, 1);

    sound_handle_play_copy(h, 0.5f, PLAY_COPY_VOLUME_GIVEN);
    out = pump_render_until_quiet();
    EXPECT_NEAR(peak(left_channel(out, 0, 8820)), 3000, 2);
}

TEST_F(loaded_sound_test, the_last_handle_frees_the_samples)
{
    int32_t h = sine_sound(2);
    int32_t copy = sound_handle_copy(h);
    sound_sample_data *data = sound_handle_get(h)->sample_data;
    int32_t data_index = list_index_of(sound_sample_list(), data);
    ASSERT_NE(data_index, 0);
    EXPECT_EQ(sound_handle_get(copy)->sample_data, data);
    sound_handle_play(copy);
    sound_handle_close(h); // stopped: freed at once
    EXPECT_EQ(sound_handle_get(h), nullptr);
    EXPECT_EQ(data->ref_count, 1);
    sound_handle_close(copy); // playing: freed once it has stopped
    EXPECT_NE(sound_handle_get(copy), nullptr);
    EXPECT_NE(first_sound_frame(pump_render(4096)), -1);
    EXPECT_EQ(error_of([&] { sound_handle_stop(copy); }), 5u); // a closed handle is refused
    pump_render_until_quiet();
    sound_sweep();
    EXPECT_EQ(sound_handle_get(copy), nullptr);
    EXPECT_EQ(list_get(sound_sample_list(), data_index), nullptr);
}

TEST_F(loaded_sound_test, copies_of_no_copy_sounds_and_refused_volumes_leave_nothing_behind)
{
    int32_t h = loaded_sound_make(sine_samples(1000, 0.1, 2, 8000), 2, true);
    int32_t highest = list_highest_index(sound_handle_list());
    EXPECT_EQ(sound_handle_copy(h), 0);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(error_of([&] { sound_handle_play_copy(h, 0, 0); }), 5u);
    EXPECT_EQ(list_highest_index(sound_handle_list()), highest);

    // A copy whose volume is refused is closed again.
    std::vector<uint8_t> pcm = pcm16_bytes(sine_samples(1000, 0.1, 2, 8000));
    sound_sample_data *data = sound_sample_data_new(pcm.data(), int64_t(pcm.size()), 2, 16, 44100);
    int32_t fixed = sound_loaded_open(data, SOUND_CAN_PAUSE, false, 1.0f);
    EXPECT_EQ(error_of([&] { sound_handle_play_copy(fixed, 0.5f, PLAY_COPY_VOLUME_GIVEN); }), 5u);
    EXPECT_EQ(data->ref_count, 1);
    EXPECT_EQ(first_sound_frame(pump_render(4096)), -1);
}

TEST_F(loaded_sound_test, each_operation_makes_its_checks)
{
    int32_t h = sine_sound(2, 0.1);
    sound_handle_get(h)->sound_capabilities = 0; // no capability
    int32_t raw = sound_raw_open();
    struct call {
        const char *name;
        void (*run)(int32_t);
        bool needs_capability; // refused without one
        bool raw_allowed;
    };
    const call calls[] = {
        {"volume", [](int32_t x) { sound_handle_volume_set(x, 1); }, true, false},
        {"pause", [](int32_t x) { sound_handle_pause(x); }, true, false},
        {"length", [](int32_t x) { sound_handle_length(x); }, true, false},
        {"balance", [](int32_t x) { sound_handle_balance_set(x, 1, 0, 0, 0); }, true, false},
        {"seek", [](int32_t x) { sound_handle_position_set(x, 0.5); }, true, false},
        {"stop", [](int32_t x) { sound_handle_stop(x); }, false, false},
        {"play", [](int32_t x) { sound_handle_play(x); }, false, false},
        {"loop", [](int32_t x) { sound_handle_loop(x); }, false, false},
        {"position", [](int32_t x) { sound_handle_position_get(x); }, false, false},
        {"limit", [](int32_t x) { sound_handle_limit_set(x, 1); }, false, false},
        {"copy", [](int32_t x) { sound_handle_copy(x); }, false, false},
        {"playing", [](int32_t x) { sound_handle_is_playing(x); }, false, true},
        {"paused", [](int32_t x) { sound_handle_is_paused(x); }, false, true},
    };
    for (const call &c : calls) {
        c.run(0); // handle 0: nothing
        EXPECT_EQ(error_pending_take(), 0u) << c.name;
        c.run(99);
        EXPECT_EQ(error_pending_take(), 5u) << c.name;
        c.run(h);
        EXPECT_EQ(error_pending_take(), c.needs_capability ? 5u : 0u) << c.name;
        c.run(raw);
        EXPECT_EQ(error_pending_take(), c.raw_allowed ? 0u : 5u) << c.name;
        error_raise(7); // a pending error: nothing happens
        c.run(99);
        EXPECT_EQ(error_pending_take(), 7u) << c.name;
    }
    sound_handle_stop(h);
    EXPECT_EQ(sound_stub_zero(), 0);
}

TEST_F(loaded_sound_test, length_counts_the_pcm_as_given)
{
    std::vector<uint8_t> pcm(22050 + 1, 128); // 0.5 s of 8-bit stereo, one odd byte
    sound_sample_data *data = sound_sample_data_new(pcm.data(), int64_t(pcm.size()), 2, 8, 22050);
    int32_t h = sound_loaded_open(data, SOUND_CAN_LENGTH, false, 1.0f);
    EXPECT_DOUBLE_EQ(sound_handle_length(h), 0.5);
}

// What a program does with a loaded sound file of each PCM kind: ask its
// length, play it to the end, play and stop it, and free it.
TEST_F(loaded_sound_test, each_pcm_format_plays_for_its_length_and_is_freed)
{
    struct format {
        int32_t channels, bits, rate_hz;
    };
    for (format f :
         {format{1, 8, 8000}, format{2, 8, 11025}, format{1, 16, 22050}, format{2, 16, 48000}}) {
        std::vector<uint8_t> pcm; // 0.2 s of 440 Hz
        for (int32_t i = 0; i < f.rate_hz / 5 * f.channels; ++i) {
            auto v = int16_t(8000 * std::sin(2 * M_PI * 440 * (i / f.channels) / f.rate_hz));
            if (f.bits == 8)
                pcm.push_back(uint8_t(128 + v / 256));
            else
                pcm.insert(pcm.end(), {uint8_t(v), uint8_t(uint16_t(v) >> 8)});
        }
        sound_sample_data *data =
            sound_sample_data_new(pcm.data(), int64_t(pcm.size()), f.channels, f.bits, f.rate_hz);
        int32_t h = sound_loaded_open(data, SOUND_CAN_LENGTH, false, 1.0f);
        int32_t data_index = list_index_of(sound_sample_list(), data);
        EXPECT_DOUBLE_EQ(sound_handle_length(h), 0.2) << f.rate_hz;
        sound_handle_play(h);
        EXPECT_EQ(sound_handle_is_playing(h), -1);
        EXPECT_NEAR(double(sound_end_frame(pump_render_until_quiet())), 8820, 2) << f.rate_hz;
        EXPECT_EQ(sound_handle_is_playing(h), 0);
        sound_handle_play(h);
        pump_render(1024);
        sound_handle_stop(h);
        EXPECT_EQ(sound_handle_is_playing(h), 0);
        sound_handle_close(h);
        EXPECT_EQ(sound_handle_get(h), nullptr);
        EXPECT_EQ(list_get(sound_sample_list(), data_index), nullptr);
    }
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(loaded_sound_test, closing_streams_the_tone_pipe_stays_and_the_default_is_renewed)
{
    sound_tone_play(440, 0.05, false);
    EXPECT_EQ(error_of([&] { sound_handle_close(tone_pipe.load()); }), 5u);
    EXPECT_EQ(error_of([&] { sound_tone_play(440, 0.05, false); }), 0u);

    sound_raw_frame_add(0.5f, 0.5f, 0, 0);
    int32_t first = default_raw_stream.load();
    sound_handle_close(first);
    EXPECT_EQ(default_raw_stream.load(), 0);
    sound_raw_frame_add(0.5f, 0.5f, 0, 0); // a new default stream
    EXPECT_NE(default_raw_stream.load(), 0);
    EXPECT_NE(default_raw_stream.load(), first);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(loaded_sound_test, places_and_seeks_beyond_the_float_range_are_kept_in_it)
{
    int32_t h = sine_sound(2, 0.1);
    sound_handle_balance_set(h, 1e300, -1e300, infinity, BALANCE_Y_GIVEN | BALANCE_Z_GIVEN);
    EXPECT_EQ(sound_handle_get(h)->x, std::numeric_limits<float>::max());
    EXPECT_EQ(sound_handle_get(h)->y, -std::numeric_limits<float>::max());
    sound_handle_position_set(h, 1e300);
    EXPECT_EQ(sound_handle_get(h)->seek_seconds, std::numeric_limits<float>::max());
    sound_handle_play(h); // far away and past the end: nothing to hear
    EXPECT_EQ(first_sound_frame(pump_render(4096)), -1);
    EXPECT_EQ(error_pending_take(), 0u);
}

// The device mixes a limited number of voices (256 by default); a sound that
// gets none plays nothing and must not report playing, or a program waiting
// for it to end waits for ever.
TEST_F(loaded_sound_test, sounds_beyond_the_voices_of_the_device_do_not_report_playing)
{
    int32_t tone = sine_sound(2, 0.01);
    std::vector<int32_t> copies;
    for (int32_t i = 0; i < 300; ++i)
        copies.push_back(sound_handle_copy(tone));
    auto playing_count = [&] {
        int32_t count = 0;
        for (int32_t copy : copies)
            count += sound_handle_is_playing(copy) ? 1 : 0;
        return count;
    };
    auto play_all = [&] {
        for (int32_t copy : copies)
            sound_handle_play(copy);
    };
    auto stop_all = [&] {
        for (int32_t copy : copies)
            sound_handle_stop(copy);
    };

    play_all();
    int32_t voiced = playing_count();
    EXPECT_GT(voiced, 0);
    EXPECT_LT(voiced, 300) << "the device gave every copy a voice; nothing was shown";
    stop_all();
    EXPECT_EQ(playing_count(), 0);

    play_all();
    frames out = pump_render(3 * SOUND_RATE_HZ);
    EXPECT_NE(first_sound_frame(out), -1); // those with a voice were heard
    EXPECT_EQ(playing_count(), 0);
    stop_all();
    EXPECT_EQ(playing_count(), 0);
    EXPECT_EQ(error_pending_take(), 0u);
}
