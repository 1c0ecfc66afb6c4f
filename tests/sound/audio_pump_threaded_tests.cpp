#include "sound_support.h"

#include "platform/clock.h"
#include "sound/audio_device.h"
#include "sound/audio_pump.h"
#include "sound/tone_pipe.h"

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

namespace
{

// The program thread streams sounds into the tone pipe while the runtime loop
// thread pumps; here the pump thread also renders what would be heard.
class audio_pump_threaded_test : public sound_test
{
  protected:
    void SetUp() override
    {
        sound_test::SetUp();
        clock_seam_set(nullptr); // real time: the pump's 20 ms rule applies
    }
};

// A sample that survives the pipe's scaling as a non-zero value.
int16_t pattern_sample(int64_t i)
{
    int16_t v = int16_t(2 + (i * 7919) % 30000);
    return i % 5 == 0 ? int16_t(-v) : v;
}
int16_t pattern_arrives(int16_t s)
{
    return int16_t(s > 0 ? s - 1 : s + 1);
}

} // namespace

TEST_F(audio_pump_threaded_test, sounds_streamed_while_the_pump_runs_arrive_whole_and_in_order)
{
    std::atomic<bool> producing{true};
    frames out;
    std::thread pump([&] {
        frames chunk(441 * 2);
        int64_t quiet_rounds = 0;
        while (producing.load() || quiet_rounds < 100) {
            sound_update();
            audio_device_loopback_render(chunk.data(), 441);
            out.insert(out.end(), chunk.begin(), chunk.end());
            bool quiet = first_sound_frame(chunk) < 0;
            quiet_rounds = quiet ? quiet_rounds + 1 : 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });

    std::mt19937 random(12345);
    std::vector<int16_t> expected;
    int64_t next = 0;
    for (int sound = 0; sound < 30; ++sound) {
        int64_t count = 300 + random() % 6000;
        std::vector<int16_t> samples;
        for (int64_t i = 0; i < count * 2; ++i, ++next) {
            samples.push_back(pattern_sample(next));
            expected.push_back(pattern_arrives(pattern_sample(next)));
        }
        sound_samples_stream(std::move(samples), count * 4, sound % 3 == 0); // some wait
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 40));
    }
    producing.store(false);
    pump.join();

    // Silence may come between sounds (padding, or the pump outrunning the
    // program); every sample sent must arrive once, in order.
    std::vector<int16_t> heard;
    for (int16_t s : out)
        if (s != 0)
            heard.push_back(s);
    ASSERT_EQ(heard.size(), expected.size());
    EXPECT_TRUE(heard == expected);
}
