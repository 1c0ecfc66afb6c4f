// Plays a file of raw PCM as a loaded sound through the default audio device
// (in tests, OpenAL's wave-file writer), with the audio pump on its own
// thread as the runtime loop runs it, and ends when the sound has stopped,
// printing how long it saw the sound play.
//
//   loaded_sound_program PCM_FILE CHANNELS BITS RATE_HZ VOLUME LIMIT_SECONDS
#include "core/errors.h"
#include "platform/process_exit.h"
#include "sound/audio_pump.h"
#include "sound/sample_data.h"
#include "sound/sound_device.h"
#include "sound/sound_handles.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

int main(int argc, char **argv)
{
    if (argc != 7) {
        std::fprintf(stderr, "usage: %s PCM_FILE CHANNELS BITS RATE_HZ VOLUME LIMIT_SECONDS\n",
                     argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<uint8_t> pcm{std::istreambuf_iterator<char>(in), {}};
    sound_init();
    std::atomic<bool> running{true};
    std::thread loop([&] {
        while (running.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(16));
            sound_update();
        }
    });
    sound_sample_data *data =
        sound_sample_data_new(pcm.data(), int64_t(pcm.size()), std::atoi(argv[2]),
                              std::atoi(argv[3]), std::atoi(argv[4]));
    int32_t handle = sound_loaded_open(data, SOUND_CAN_VOLUME, false, 1.0f);
    sound_handle_volume_set(handle, float(std::atof(argv[5])));
    sound_handle_limit_set(handle, std::atof(argv[6]));
    const auto started = std::chrono::steady_clock::now();
    sound_handle_play(handle);
    while (sound_handle_is_playing(handle))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const std::chrono::duration<double> played = std::chrono::steady_clock::now() - started;
    uint32_t error = error_pending_take();
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // let the silence reach the file
    running.store(false);
    loop.join();
    sound_close();
    std::printf("played %.3f s\nerror %u\n", played.count(), error);
    std::fflush(stdout);
    process_exit(error == 0 ? 0 : 1);
}
