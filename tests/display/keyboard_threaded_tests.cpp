#include "display/keyboard.h"

#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "core/traps.h"
#include "display/key_table.h"
#include "platform/system_keys.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace
{

class KeyboardThreaded : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        dos_memory_reset();
        control_words_reset();
        errors_reset();
        strings_static_init();
        traps_static_init();
        keyboard_reset();
    }
    void TearDown() override
    {
        keyboard_reset();
        control_words_reset();
    }
};

// The main thread presses and releases ascending codes as fast as it can while
// the program thread takes ring entries: every entry taken is the release of
// the key pressed last or a later key's press or release, in order, even when
// the ring overflows and the producer drops entries under the consumer.
TEST_F(KeyboardThreaded, RingEntriesArriveInOrderWhileTheProducerOverflows)
{
    constexpr int32_t KEYS = 100000;
    constexpr int32_t FIRST = 300000; // codes that reach only the ring
    std::atomic<bool> done{false};
    std::thread main_thread([&] {
        for (int32_t i = 0; i < KEYS; i++) {
            keyboard_key_down_event(FIRST + i);
            keyboard_key_up_event(FIRST + i);
        }
        done = true;
    });
    int64_t last_rank = -1; // press of key i: 2i, its release: 2i + 1
    int32_t out_of_order = 0, taken = 0;
    for (;;) {
        const bool finished = done.load();
        const int32_t code = key_hit_next();
        if (code == 0) {
            if (finished)
                break;
            continue;
        }
        const int64_t rank = code > 0 ? 2 * int64_t(code - FIRST) : 2 * int64_t(-code - FIRST) + 1;
        if (rank <= last_rank)
            out_of_order++;
        last_rank = rank;
        taken++;
    }
    main_thread.join();
    EXPECT_EQ(out_of_order, 0);
    EXPECT_EQ(last_rank, 2 * int64_t(KEYS) - 1);
    EXPECT_GE(taken, int32_t(KEY_HIT_RING_SLOTS) - 1);
}

// A producer that stays at most a few keys ahead never fills the BIOS buffer,
// so INKEY$ on the program thread sees every key exactly once, in order.
TEST_F(KeyboardThreaded, InkeyTakesEveryKeyTypedWhileItReads)
{
    constexpr int32_t KEYS = 20000;
    std::atomic<int32_t> read_count{0};
    std::thread main_thread([&] {
        for (int32_t i = 0; i < KEYS; i++) {
            while (i - read_count.load() > 8)
                std::this_thread::yield();
            const int32_t c = 'a' + i % 26;
            keyboard_key_down_event(c);
            keyboard_key_up_event(c);
        }
    });
    int32_t mismatches = 0;
    while (read_count.load() < KEYS) {
        const uint32_t mark = string_temp_count;
        const string_descriptor *s = rt_inkey_str();
        if (s->len == 1) {
            if (s->chr[0] != 'a' + read_count.load() % 26)
                mismatches++;
            read_count.fetch_add(1);
        }
        temp_strings_release(mark);
    }
    main_thread.join();
    EXPECT_EQ(mismatches, 0);
}

// The runtime loop posts lock states while the main thread polls and the
// program thread asks whether Caps Lock is down; after the last post and poll
// the held keys follow the newest state.
TEST_F(KeyboardThreaded, LockStatesPostedByTheLoopEndInTheNewestState)
{
    constexpr int32_t POSTS = 20000;
    std::atomic<bool> loop_done{false};
    std::thread loop_thread([&] {
        for (int32_t i = 0; i < POSTS; i++) {
            system_lock_states s;
            s.caps_lock_on = i % 2 == 0;
            s.num_lock_on = i % 3 == 0;
            s.scroll_lock_on = i % 5 == 0;
            lock_keys_post(s);
        }
        system_lock_states last;
        last.caps_lock_on = true;
        lock_keys_post(last);
        loop_done = true;
    });
    std::thread main_thread([&] {
        while (!loop_done.load())
            key_main_thread_poll();
        key_main_thread_poll();
    });
    while (!loop_done.load())
        key_down_query(KEY_CAPS_LOCK);
    loop_thread.join();
    main_thread.join();
    EXPECT_TRUE(key_is_down(KEY_CAPS_LOCK));
    EXPECT_FALSE(key_is_down(KEY_NUM_LOCK));
    EXPECT_FALSE(key_is_down(KEY_SCROLL_LOCK_ON));
}

} // namespace
