#include "sound_support.h"

#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "platform/clock.h"
#include "sound/audio_device.h"
#include "sound/audio_pump.h"
#include "sound/play_parser.h"
#include "sound/raw_stream.h"
#include "sound/sample_data.h"
#include "sound/sound_device.h"
#include "sound/sound_handles.h"
#include "sound/tone_pipe.h"
#include "support/openal_drivers.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>

namespace
{

constexpr int64_t clock_start_ms = 1000000;
constexpr int64_t render_step_frames = 1024;

std::atomic<int64_t> fake_ms{clock_start_ms};
int64_t fake_clock_now()
{
    return fake_ms.load();
}
void fake_clock_sleep(uint32_t ms)
{
    fake_ms.fetch_add(ms);
}
const clock_seam fake_seam{fake_clock_now, fake_clock_sleep};

// The clock whose sleeps play audio: the device renders (and discards) as
// many frames as the fake time that has passed since the seam was set, the
// pump running before every 1,024 frames as the runtime loop would.
int64_t playing_since_ms = 0;
int64_t played_frames = 0;
void playing_clock_sleep(uint32_t ms)
{
    int64_t now = fake_ms.fetch_add(ms) + ms;
    int64_t due = (now - playing_since_ms) * SOUND_RATE_HZ / 1000 - played_frames;
    frames chunk(size_t(render_step_frames) * 2);
    for (; due > 0; due -= render_step_frames) {
        int64_t n = std::min(due, render_step_frames);
        sound_update();
        audio_device_loopback_render(chunk.data(), int32_t(n));
        played_frames += n;
    }
}
const clock_seam playing_seam{fake_clock_now, playing_clock_sleep};

void sound_state_reset()
{
    sound_handles_reset();
    raw_stream_reset();
    tone_pipe_reset();
    play_settings_reset();
}

} // namespace

void sound_test::SetUp()
{
    fake_ms.store(clock_start_ms);
    clock_seam_set(&fake_seam);
    control_words_reset();
    error_pending_take();
    dos_memory_reset();
    sound_init_loopback();
    sound_state_reset();
    frames drain(size_t(SOUND_BLOCK_FRAMES) * 2);
    audio_device_loopback_render(drain.data(), SOUND_BLOCK_FRAMES);
}

void sound_test::TearDown()
{
    sound_state_reset();
    error_pending_take();
    clock_seam_set(nullptr);
}

int64_t fake_now_ms()
{
    return fake_ms.load();
}
void fake_advance_ms(int64_t ms)
{
    fake_ms.fetch_add(ms);
}

void fake_clock_plays_audio()
{
    playing_since_ms = fake_ms.load();
    played_frames = 0;
    clock_seam_set(&playing_seam);
}

void play(const std::string &text)
{
    string_descriptor s = text_string(text);
    rt_play(&s);
}

string_descriptor text_string(const std::string &text)
{
    string_descriptor s{};
    s.chr = reinterpret_cast<uint8_t *>(const_cast<char *>(text.data()));
    s.len = int32_t(text.size());
    return s;
}

frames pump_render(int64_t frame_count)
{
    frames out;
    out.reserve(size_t(frame_count) * 2);
    frames chunk(size_t(render_step_frames) * 2);
    for (int64_t done = 0; done < frame_count; done += render_step_frames) {
        sound_update();
        audio_device_loopback_render(chunk.data(), int32_t(render_step_frames));
        fake_advance_ms(render_step_frames * 1000 / SOUND_RATE_HZ);
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    out.resize(size_t(frame_count) * 2);
    return out;
}

frames pump_render_until_quiet(int64_t quiet_frames, int64_t max_frames)
{
    frames out;
    while (int64_t(out.size() / 2) < max_frames) {
        frames more = pump_render(render_step_frames);
        out.insert(out.end(), more.begin(), more.end());
        int64_t end = sound_end_frame(out);
        if (end > 0 && int64_t(out.size() / 2) - end >= quiet_frames)
            break;
    }
    return out;
}

int64_t first_sound_frame(const frames &f)
{
    for (size_t i = 0; i < f.size(); ++i)
        if (f[i] != 0)
            return int64_t(i / 2);
    return -1;
}

int64_t sound_end_frame(const frames &f)
{
    for (size_t i = f.size(); i > 0; --i)
        if (f[i - 1] != 0)
            return int64_t((i - 1) / 2) + 1;
    return 0;
}

std::vector<double> left_channel(const frames &f, int64_t begin, int64_t end)
{
    std::vector<double> out;
    for (int64_t i = begin; i < end && size_t(i) * 2 < f.size(); ++i)
        out.push_back(f[size_t(i) * 2]);
    return out;
}

double tone_strength(const std::vector<double> &signal, double freq_hz)
{
    double re = 0, im = 0, full_scale = 32768.0;
    for (size_t i = 0; i < signal.size(); ++i) {
        double angle = 2.0 * std::numbers::pi * freq_hz * double(i) / SOUND_RATE_HZ;
        re += signal[i] * std::cos(angle);
        im += signal[i] * std::sin(angle);
    }
    return std::hypot(re, im) / double(signal.size()) / full_scale;
}

double peak(const std::vector<double> &signal)
{
    double p = 0;
    for (double s : signal)
        p = std::max(p, std::fabs(s));
    return p;
}

double crossing_freq_hz(const std::vector<double> &signal)
{
    int64_t first = -1, last = -1, count = 0;
    for (size_t i = 1; i < signal.size(); ++i)
        if (signal[i - 1] <= 0 && signal[i] > 0) {
            if (first < 0)
                first = int64_t(i);
            last = int64_t(i);
            ++count;
        }
    if (count < 2)
        return 0;
    return double(count - 1) * SOUND_RATE_HZ / double(last - first);
}

std::vector<uint8_t> pcm16_bytes(const std::vector<int16_t> &samples)
{
    std::vector<uint8_t> bytes;
    for (int16_t s : samples) {
        bytes.push_back(uint8_t(uint16_t(s) & 0xFF));
        bytes.push_back(uint8_t(uint16_t(s) >> 8));
    }
    return bytes;
}

std::vector<int16_t> sine_samples(double freq_hz, double seconds, int32_t channels, double peak)
{
    std::vector<int16_t> out;
    int64_t count = int64_t(seconds * SOUND_RATE_HZ);
    for (int64_t i = 0; i < count; ++i) {
        double angle = 2.0 * std::numbers::pi * freq_hz * double(i) / SOUND_RATE_HZ;
        for (int32_t c = 0; c < channels; ++c)
            out.push_back(int16_t(std::lround(peak * std::sin(angle))));
    }
    return out;
}

int32_t loaded_sound_make(const std::vector<int16_t> &samples, int32_t channels, bool no_copy)
{
    std::vector<uint8_t> pcm = pcm16_bytes(samples);
    sound_sample_data *data =
        sound_sample_data_new(pcm.data(), int64_t(pcm.size()), channels, 16, SOUND_RATE_HZ);
    uint8_t all = SOUND_CAN_VOLUME | SOUND_CAN_PAUSE | SOUND_CAN_LENGTH | SOUND_CAN_SEEK;
    return sound_loaded_open(data, all, no_copy, 1.0f);
}

double channel_rms(const frames &f, int32_t channel, int64_t begin, int64_t end)
{
    double sum = 0;
    int64_t count = 0;
    for (int64_t i = begin; i < end && size_t(i) * 2 < f.size(); ++i, ++count)
        sum += double(f[size_t(i) * 2 + size_t(channel)]) * f[size_t(i) * 2 + size_t(channel)];
    return count ? std::sqrt(sum / double(count)) : 0.0;
}

namespace
{

// Pins OpenAL's back-end before the first test opens the loopback device (no
// test thread runs yet), and closes the device once every test has run.
class loopback_environment : public ::testing::Environment
{
  public:
    void SetUp() override { openal_drivers_pin(); }
    void TearDown() override { sound_close(); }
};

[[maybe_unused]] ::testing::Environment *const loopback_closer =
    ::testing::AddGlobalTestEnvironment(new loopback_environment);

} // namespace
