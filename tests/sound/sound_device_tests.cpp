#include "sound_support.h"

#include "core/strings.h"
#include "platform/process_exit.h"
#include "sound/audio_pump.h"
#include "sound/play_parser.h"
#include "sound/sound_device.h"
#include "sound/tone_pipe.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <link.h>
#include <thread>

namespace
{

class sound_device_test : public sound_test
{
};

// A configuration that sends the default device to a wave file, 16-bit stereo
// at 44,100 Hz, with dither and the output limiter off so samples are exact.
std::string wave_config_write(const std::string &wave_path)
{
    std::string config_path = wave_path + ".conf";
    std::ofstream config(config_path);
    config << "drivers = wave\nfrequency = 44100\nchannels = stereo\nsample-type = int16\n"
              "dither = false\noutput-limiter = false\n[wave]\nfile = "
           << wave_path << "\n";
    return config_path;
}

// The samples of a 16-bit PCM wave file (everything after the "data" chunk's
// header).
frames wave_samples_read(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    for (size_t i = 12; i + 8 <= bytes.size();) {
        uint32_t size;
        std::memcpy(&size, &bytes[i + 4], 4);
        if (std::string(&bytes[i], 4) == "data") {
            size_t count = std::min<size_t>(size, bytes.size() - i - 8) / 2;
            frames samples(count);
            std::memcpy(samples.data(), &bytes[i + 8], count * 2);
            return samples;
        }
        i += 8 + size;
    }
    return {};
}

} // namespace

TEST_F(sound_device_test, a_second_start_does_nothing)
{
    sound_init(); // the loopback device is already open: no exit, no new device
    EXPECT_EQ(sound_rate_get(), 44100);
    EXPECT_EQ(first_sound_frame(pump_render(4096)), -1);
}

// OpenAL loads its system back-ends when it first starts, which the fixture's
// loopback device did: none of the libraries only they bring in may be loaded,
// whatever the machine has installed (those are not built for the sanitizers).
TEST_F(sound_device_test, the_loopback_device_loads_no_system_audio_back_end)
{
    std::string loaded;
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *names) {
            *static_cast<std::string *>(names) += std::string(info->dlpi_name) + "\n";
            return 0;
        },
        &loaded);
    ASSERT_NE(loaded.find("libopenal"), std::string::npos) << loaded;
    for (const char *back_end : {"libpulse", "libjack", "libportaudio"})
        EXPECT_EQ(loaded.find(back_end), std::string::npos) << back_end;
}

TEST(sound_device_process, without_an_audio_device_the_process_says_so_and_ends_with_111)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("ALSOFT_DRIVERS", "wave", 1); // no file configured: no device
            unsetenv("ALSOFT_CONF");
            sound_init();
        },
        ::testing::ExitedWithCode(111),
        "No audio output device(.|\n)*ALSOFT_CONF=tests/programs/openal_discard.conf ./play");
}

TEST(sound_device_process, the_default_device_plays_a_tune_to_the_end)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The same name in the test and in its child process.
    std::string wave_path = ::testing::TempDir() + "sound_device_play.wav";
    std::string config_path = wave_config_write(wave_path);
    // Start-up, a pump thread as the runtime loop runs it, a foreground PLAY,
    // and the close at the end.
    EXPECT_EXIT(
        {
            setenv("ALSOFT_CONF", config_path.c_str(), 1);
            unsetenv("ALSOFT_DRIVERS");
            sound_init();
            std::atomic<bool> running{true};
            std::thread loop([&] {
                while (running.load()) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(16));
                    sound_update();
                }
            });
            std::string text = "T120 O2 L4 A";
            string_descriptor tune = text_string(text);
            rt_play(&tune);
            std::this_thread::sleep_for(std::chrono::milliseconds(600));
            running.store(false);
            loop.join();
            sound_close();
            process_exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    frames out = wave_samples_read(wave_path);
    std::remove(wave_path.c_str());
    std::remove(config_path.c_str());
    int64_t start = first_sound_frame(out);
    ASSERT_GE(start, 0);
    // The same note the loopback tests see: 440 Hz at half scale, cut to the
    // last rising crossing before 7/8 of 0.5 s.
    int64_t length = sound_end_frame(out) - start + 1;
    EXPECT_LE(length, 19293);
    EXPECT_GT(length, 19293 - 101);
    std::vector<double> wave = left_channel(out, start - 1, start + length);
    EXPECT_NEAR(crossing_freq_hz(wave), 440.0, 0.2);
    EXPECT_LE(peak(wave), 16382);
    EXPECT_GE(peak(wave), 16300);
}
