// Shared helpers of the sound tests: a fixture over the loopback device with a
// fake clock, rendering through the audio pump, and signal analysis.
#pragma once

#include "core/errors.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

struct string_descriptor;

// Stereo frames as rendered: interleaved left/right samples.
using frames = std::vector<int16_t>;

// Every sound test starts from a fresh handle list, PLAY settings and tone
// pipe, no pending error, and a fake clock that starts at 1,000,000 ms and
// moves only when slept on or advanced.
class sound_test : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;
};

// The fake clock.
int64_t fake_now_ms();
void fake_advance_ms(int64_t ms);
// From now on the fake clock's sleeps also play the audio of the time they
// pass, with the pump, as a real device would.
void fake_clock_plays_audio();

// A string descriptor over a text (valid while the text lives).
string_descriptor text_string(const std::string &text);
// PLAY of a text.
void play(const std::string &text);

// Runs the pump and renders `frame_count` frames through the loopback device
// in steps of 1,024 frames, advancing the fake clock with the rendered time.
frames pump_render(int64_t frame_count);

// Renders until the output has been silent for `quiet_frames` after some
// sound (or until max_frames), and returns everything rendered.
frames pump_render_until_quiet(int64_t quiet_frames = 20000, int64_t max_frames = 44100 * 30);

// Index of the first frame whose left or right sample is not 0, or -1.
int64_t first_sound_frame(const frames &f);
// Index one past the last frame that is not silent, or 0.
int64_t sound_end_frame(const frames &f);
// Left samples of frames [begin, end).
std::vector<double> left_channel(const frames &f, int64_t begin, int64_t end);
// Magnitude of one frequency in a signal, normalised to the signal's length
// (a full-scale sine gives about 0.5).
double tone_strength(const std::vector<double> &signal, double freq_hz);
// Largest absolute sample of a signal.
double peak(const std::vector<double> &signal);
// Frequency estimated from rising zero crossings.
double crossing_freq_hz(const std::vector<double> &signal);

// 16-bit PCM bytes of interleaved samples.
std::vector<uint8_t> pcm16_bytes(const std::vector<int16_t> &samples);
// A sine of `seconds` at 44,100 Hz, `channels` channels, the given peak.
std::vector<int16_t> sine_samples(double freq_hz, double seconds, int32_t channels, double peak);
// A loaded sound with every capability at volume 1 made from 16-bit samples
// at 44,100 Hz.
int32_t loaded_sound_make(const std::vector<int16_t> &samples, int32_t channels,
                          bool no_copy = false);
// Root mean square of one channel (0 left, 1 right) of frames [begin, end).
double channel_rms(const frames &f, int32_t channel, int64_t begin, int64_t end);

// Runs a statement and takes the error it left pending (0 for none).
template <typename F> uint32_t error_of(F &&statement)
{
    statement();
    return error_pending_take();
}
