#include "core/control_words.h"

#include <gtest/gtest.h>

TEST(ControlWords, ResetClearsEveryWord)
{
    event_pending = 1;
    exit_acknowledged = 1;
    threads_ended = 3;
    control_words_reset();
    EXPECT_EQ(event_pending.load(), 0u);
    EXPECT_EQ(exit_acknowledged.load(), 0);
    EXPECT_EQ(threads_ended.load(), 0u);
}
