// Rendering the game's longest tune (2 s at the start tempo): PLAY into the
// tone pipe, and the whole way to mixed output through the pump and the
// loopback device. The "x_real_time" counter is how many times faster than
// the tune lasts.
#include "core/strings.h"
#include "sound/audio_device.h"
#include "sound/audio_pump.h"
#include "sound/play_parser.h"
#include "sound/raw_stream.h"
#include "sound/sound_device.h"
#include "sound/tone_pipe.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace
{

constexpr char longest_tune[] = "MB<<L8EDC<BL2A>>>";
constexpr double tune_seconds = 2.0;

void sound_fresh_state()
{
    sound_init_loopback();
    sound_handles_reset();
    raw_stream_reset();
    tone_pipe_reset();
    play_settings_reset();
}

void tune_play()
{
    string_descriptor s{};
    s.chr = reinterpret_cast<uint8_t *>(const_cast<char *>(longest_tune));
    s.len = int32_t(std::strlen(longest_tune));
    rt_play(&s);
}

void real_time_counter(benchmark::State &state)
{
    state.counters["x_real_time"] =
        benchmark::Counter(tune_seconds * double(state.iterations()), benchmark::Counter::kIsRate);
}

void play_into_tone_pipe(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        sound_fresh_state();
        state.ResumeTiming();
        tune_play();
    }
    real_time_counter(state);
}
BENCHMARK(play_into_tone_pipe)->Unit(benchmark::kMillisecond);

void play_through_pump_and_mixer(benchmark::State &state)
{
    constexpr int32_t step_frames = 1024;
    std::vector<int16_t> out(step_frames * 2);
    for (auto _ : state) {
        state.PauseTiming();
        sound_fresh_state();
        state.ResumeTiming();
        tune_play();
        sound_raw_flush(tone_pipe.load(), 1);
        int64_t frames = int64_t(sound_raw_queued_seconds(tone_pipe.load(), 1) * SOUND_RATE_HZ);
        for (int64_t done = 0; done < frames + step_frames; done += step_frames) {
            sound_update();
            audio_device_loopback_render(out.data(), step_frames);
        }
        benchmark::DoNotOptimize(out.data());
    }
    real_time_counter(state);
}
BENCHMARK(play_through_pump_and_mixer)->Unit(benchmark::kMillisecond);

} // namespace
