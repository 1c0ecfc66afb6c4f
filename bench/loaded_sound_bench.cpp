// Loaded sounds: the mono form of 60 s of stereo against a plain loop that
// does the same arithmetic, and a pump call over 1,000 idle loaded sounds
// against a plain walk over the same list. Compare each pair's times in one
// run (the goals: at most 1.2x and 2x).
#include "core/lists.h"
#include "sound/audio_pump.h"
#include "sound/sample_data.h"
#include "sound/sound_device.h"
#include "sound/sound_handles.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace
{

constexpr int64_t minute_frames = 60 * 44100;

sound_sample_data *minute_of_stereo()
{
    std::vector<uint8_t> pcm(size_t(minute_frames) * 4);
    for (size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = uint8_t(i * 37 + (i >> 9));
    return sound_sample_data_new(pcm.data(), int64_t(pcm.size()), 2, 16, 44100);
}

void stereo_to_mono(benchmark::State &state)
{
    sound_sample_data *data = minute_of_stereo();
    for (auto _ : state) {
        delete[] data->mono16;
        data->mono16 = nullptr;
        sound_stereo_to_mono(data);
        benchmark::DoNotOptimize(data->mono16);
    }
    sound_sample_data_release(data);
}
BENCHMARK(stereo_to_mono)->Unit(benchmark::kMillisecond);

void plain_mono_loop(benchmark::State &state)
{
    sound_sample_data *data = minute_of_stereo();
    const int16_t *stereo = data->stereo16;
    for (auto _ : state) {
        std::unique_ptr<int16_t[]> mono(new int16_t[size_t(minute_frames)]);
        for (int64_t i = 0; i < minute_frames; ++i)
            mono[i] = int16_t((stereo[2 * i] + stereo[2 * i + 1]) / 2);
        benchmark::DoNotOptimize(mono.get());
    }
    sound_sample_data_release(data);
}
BENCHMARK(plain_mono_loop)->Unit(benchmark::kMillisecond);

// 1,000 loaded sounds sharing one sample data, none of them playing.
void idle_handles_make()
{
    sound_handles_reset();
    int16_t silence[64] = {};
    sound_sample_data *data = sound_sample_data_new(silence, sizeof silence, 2, 16, 44100);
    for (int i = 0; i < 1000; ++i)
        sound_loaded_open(data, SOUND_CAN_VOLUME, false, 1.0f);
}

void pump_over_idle_handles(benchmark::State &state)
{
    idle_handles_make();
    for (auto _ : state)
        sound_update();
    sound_handles_reset();
}
BENCHMARK(pump_over_idle_handles);

void plain_list_walk(benchmark::State &state)
{
    idle_handles_make();
    for (auto _ : state) {
        int32_t loaded = 0;
        int32_t highest = list_highest_index(sound_handle_list());
        for (int32_t h = 1; h <= highest; ++h) {
            sound_handle_record *record = sound_handle_get(h);
            loaded += record && record->kind.load(std::memory_order_acquire) == SOUND_KIND_LOADED;
        }
        benchmark::DoNotOptimize(loaded);
    }
    sound_handles_reset();
}
BENCHMARK(plain_list_walk);

} // namespace
