#include "core/errors.h"

#include "core/control_words.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

// Threads raising different errors at the same moment must agree on one
// winner: exactly one number is stored, and every call reports that number.
TEST(ErrorsThreaded, FirstErrorWinsAcrossThreads) {
    constexpr int THREADS = 8;
    constexpr int ROUNDS = 200;
    for (int round = 0; round < ROUNDS; ++round) {
        errors_reset();
        control_words_reset();
        std::atomic<int> ready{0};
        std::vector<uint32_t> results(THREADS);
        std::vector<std::thread> threads;
        for (int i = 0; i < THREADS; ++i)
            threads.emplace_back([&, i] {
                ready.fetch_add(1);
                while (ready.load() < THREADS) {
                }
                results[i] = error_raise(100 + i);
            });
        for (std::thread &t : threads)
            t.join();
        uint32_t winner = error_pending.load();
        ASSERT_GE(winner, 100u);
        ASSERT_LT(winner, 100u + THREADS);
        for (int i = 0; i < THREADS; ++i)
            ASSERT_EQ(results[i], winner) << "round " << round << ", thread " << i;
        EXPECT_EQ(event_pending.load(), 1u);
    }
    errors_reset();
    control_words_reset();
}
