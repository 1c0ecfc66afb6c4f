#include "sound_support.h"

#include "core/errors.h"
#include "core/lists.h"
#include "platform/clock.h"
#include "sound/audio_device.h"
#include "sound/audio_pump.h"
#include "sound/sound_handles.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace
{

// The program thread works on loaded sounds while a second thread runs the
// pump (and renders, as the device would) on the real clock.
class loaded_sound_threaded_test : public sound_test
{
  protected:
    void SetUp() override
    {
        sound_test::SetUp();
        clock_seam_set(nullptr); // real time: limits run out on their own
    }
};

bool any_handle_left()
{
    for (int32_t h = 1; h <= list_highest_index(sound_handle_list()); ++h)
        if (sound_handle_get(h))
            return true;
    return false;
}

// One round of what a program does with its sounds: plays, copies, limits,
// pauses, stops and closes, leaving copies to play out and free themselves.
void program_round(int32_t round)
{
    int32_t h = loaded_sound_make(sine_samples(1000, 0.03, 2, 4000), 2);
    if (round % 3 == 0)
        sound_handle_balance_set(h, 200, 0, 0, BALANCE_Y_GIVEN);
    sound_handle_limit_set(h, 0.005 * (round % 4));
    sound_handle_play(h);
    sound_handle_play_copy(h, 0.5f, PLAY_COPY_VOLUME_GIVEN);
    int32_t copy = sound_handle_copy(h);
    sound_handle_loop(copy);
    sound_handle_limit_set(copy, 0.01);
    std::this_thread::sleep_for(std::chrono::milliseconds(round % 7));
    sound_handle_pause(h);
    sound_handle_is_playing(copy);
    sound_handle_play(h);
    if (round % 2)
        sound_handle_stop(h);
    sound_handle_close(h);
    sound_handle_close(copy);
}

} // namespace

TEST_F(loaded_sound_threaded_test, the_pump_runs_while_the_program_plays_copies_and_closes)
{
    std::atomic<bool> running{true};
    std::thread pump([&] {
        frames chunk(441 * 2);
        while (running.load()) {
            sound_update();
            audio_device_loopback_render(chunk.data(), 441);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    for (int32_t round = 0; round < 200; ++round)
        program_round(round);
    EXPECT_EQ(error_pending_take(), 0u);

    // Everything closed plays out (or reaches its limit) and is swept.
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (any_handle_left() && std::chrono::steady_clock::now() < give_up) {
        sound_sweep();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    running.store(false);
    pump.join();
    EXPECT_FALSE(any_handle_left());
    for (int32_t i = 1; i <= list_highest_index(sound_sample_list()); ++i)
        EXPECT_EQ(list_get(sound_sample_list(), i), nullptr) << i;
}
