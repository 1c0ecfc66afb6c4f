#include "display/scancode_queue.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> take_all(int n) {
    std::vector<int> taken;
    for (int i = 0; i < n; ++i)
        taken.push_back(scancode_queue_take());
    return taken;
}

class ScancodeQueue : public ::testing::Test {
  protected:
    void SetUp() override { scancode_queue_reset(); }
};

TEST_F(ScancodeQueue, TakesInOrderAndRepeatsTheLastWhenEmpty) {
    EXPECT_EQ(scancode_queue_take(), 0x81);
    scancode_queue_push(0x1E);
    scancode_queue_push(0x9E);
    scancode_queue_push(0x30);
    EXPECT_EQ(take_all(5), (std::vector<int>{0x1E, 0x9E, 0x30, 0x30, 0x30}));
}

TEST_F(ScancodeQueue, RepeatedPushOfTheSameByteQueuesItOnce) {
    for (int i = 0; i < 10; ++i)
        scancode_queue_push(0x11); // auto-repeat of a held key
    scancode_queue_push(0x91);
    scancode_queue_push(0x11);
    EXPECT_EQ(take_all(4), (std::vector<int>{0x11, 0x91, 0x11, 0x11}));
}

TEST_F(ScancodeQueue, FullQueueDropsTheOldest) {
    const int pushed = int(SCANCODE_QUEUE_CAPACITY) + 3;
    for (int i = 0; i < pushed; ++i)
        scancode_queue_push(uint8_t(i % 250)); // consecutive bytes always differ
    const auto taken = take_all(int(SCANCODE_QUEUE_CAPACITY) + 1);
    EXPECT_EQ(taken.front(), 3);
    EXPECT_EQ(taken[SCANCODE_QUEUE_CAPACITY - 1], (pushed - 1) % 250);
    EXPECT_EQ(taken.back(), taken[SCANCODE_QUEUE_CAPACITY - 1]);
}

TEST_F(ScancodeQueue, ClearDropsQueuedBytesButKeepsTheLastTaken) {
    scancode_queue_push(0x1E);
    scancode_queue_push(0x9E);
    EXPECT_EQ(scancode_queue_take(), 0x1E);
    scancode_queue_clear();
    EXPECT_EQ(scancode_queue_take(), 0x1E);
    scancode_queue_push(0x2C);
    EXPECT_EQ(scancode_queue_take(), 0x2C);
}

} // namespace
