#include "core/gosub_stack.h"

#include "core/critical_support.h"
#include "core/errors.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t HIGHEST_RETURN_POINT = 180;

struct GosubStackTest : testing::Test {
    void SetUp() override
    {
        gosub_stack_init();
        error_pending_take();
    }
    void TearDown() override { error_pending_take(); }
};

TEST_F(GosubStackTest, ReturnsComeBackInReverseOrder)
{
    gosub_push(7);
    gosub_push(180);
    gosub_push(1);
    uint32_t point = 0;
    for (uint32_t expected : {1u, 180u, 7u}) {
        ASSERT_TRUE(gosub_pop(HIGHEST_RETURN_POINT, &point));
        EXPECT_EQ(point, expected);
    }
    EXPECT_EQ(gosub_count, 0u);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(GosubStackTest, ReturnWithoutGosubIsError3)
{
    uint32_t point = 99;
    EXPECT_FALSE(gosub_pop(HIGHEST_RETURN_POINT, &point));
    EXPECT_EQ(error_pending_take(), 3u);
    EXPECT_EQ(point, 99u);
    EXPECT_EQ(gosub_count, 0u);
}

TEST_F(GosubStackTest, ReturnPointAboveTheHighestIsError3)
{
    gosub_push(5);
    gosub_push(181);
    uint32_t point = 0;
    EXPECT_FALSE(gosub_pop(HIGHEST_RETURN_POINT, &point));
    EXPECT_EQ(error_pending_take(), 3u);
    // The bad number is gone; the one below it is intact.
    ASSERT_TRUE(gosub_pop(HIGHEST_RETURN_POINT, &point));
    EXPECT_EQ(point, 5u);
}

TEST_F(GosubStackTest, DeepNestingDoublesTheStackAndKeepsEveryEntry)
{
    EXPECT_EQ(gosub_capacity, 16384u);
    for (uint32_t i = 0; i < 16384; i++)
        gosub_push(i % 180 + 1);
    EXPECT_EQ(gosub_capacity, 32768u);
    for (uint32_t i = 0; i < 16384; i++)
        gosub_push(i % 180 + 1);
    EXPECT_EQ(gosub_capacity, 65536u);
    uint32_t point = 0;
    for (uint32_t i = 32768; i-- > 0;) {
        ASSERT_TRUE(gosub_pop(HIGHEST_RETURN_POINT, &point));
        ASSERT_EQ(point, i % 16384 % 180 + 1) << i;
    }
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(GosubStackTest, InitEmptiesTheStack)
{
    gosub_push(3);
    gosub_stack_init();
    EXPECT_EQ(gosub_count, 0u);
    EXPECT_EQ(gosub_capacity, GOSUB_STACK_START_CAPACITY);
}

TEST_F(GosubStackTest, StackThatCannotGrowIsCritical)
{
    EXPECT_CRITICAL_ERROR(
        {
            gosub_capacity = 0x80000000u;
            gosub_stack_grow();
            // A refused growth leaves the stack as it was.
            if (gosub_capacity != 0x80000000u)
                critical_error_report(0);
        },
        256, "Critical Error\\][[:space:]]+Out of stack space");
    // After a growth that failed, the next GOSUB must not write past the end.
    EXPECT_CRITICAL_ERROR(
        {
            gosub_count = gosub_capacity;
            gosub_push(1);
        },
        256, "Critical Error\\][[:space:]]+Out of stack space");
}

} // namespace
