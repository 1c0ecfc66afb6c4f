#include "display/scancode_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// The producer pushes rounds of ascending bytes 1..255 as fast as it can;
// between rounds it waits until the consumer has seen the round's last byte.
// Within a round every byte taken must be larger than the one before.
TEST(ScancodeQueueThreaded, TakesInProducerOrderWhileRacing) {
    scancode_queue_reset();
    constexpr int ROUNDS = 300;
    std::atomic<int> rounds_seen{0};
    std::thread producer([&] {
        for (int round = 0; round < ROUNDS; ++round) {
            for (int byte = 1; byte <= 255; ++byte)
                scancode_queue_push(uint8_t(byte));
            while (rounds_seen.load() == round)
                std::this_thread::yield();
        }
    });

    int last = 0;
    int out_of_order = 0;
    while (rounds_seen.load() < ROUNDS) {
        const int byte = scancode_queue_take();
        if (byte == 0x81 || byte == last) continue; // nothing new yet
        if (byte < last && byte != 1) ++out_of_order;
        last = byte;
        if (byte == 255) rounds_seen.fetch_add(1);
    }
    producer.join();
    EXPECT_EQ(out_of_order, 0);
}

// A consumer far slower than the producer: the ring overflows constantly and
// the producer drops old bytes while the consumer takes. Bytes still come out
// in order between drops, and the newest byte is the last one taken.
TEST(ScancodeQueueThreaded, OverflowWhileTakingKeepsTheNewestByte) {
    scancode_queue_reset();
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (int i = 0; i < 100'000; ++i)
            scancode_queue_push(uint8_t(1 + i % 255));
        done = true;
    });
    int last = 0;
    while (!done) {
        last = scancode_queue_take();
        std::this_thread::yield();
    }
    producer.join();
    for (uint32_t i = 0; i <= SCANCODE_QUEUE_CAPACITY; ++i)
        last = scancode_queue_take();
    EXPECT_EQ(last, 1 + 99'999 % 255);
}

} // namespace
