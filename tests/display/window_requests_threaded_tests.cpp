// The program thread's window requests reach the main thread whole and in
// order, however the two threads interleave.
#include "display/window_requests.h"

#include "core/control_words.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace
{

class WindowRequestsThreaded : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        control_words_reset();
        window_requests_reset();
    }
    void TearDown() override { window_requests_reset(); }
};

} // namespace

TEST_F(WindowRequestsThreaded, EveryRequestArrivesOnceAndInOrder)
{
    constexpr int32_t count = 5000;
    std::thread program([] {
        for (int32_t i = 0; i < count; ++i)
            ASSERT_TRUE(window_request_post({window_request_kind::move, i, -i}));
    });
    int32_t next = 0;
    while (next < count) {
        window_request r;
        if (!window_request_take(r)) {
            std::this_thread::yield();
            continue;
        }
        ASSERT_EQ(r.kind, window_request_kind::move);
        ASSERT_EQ(r.x, next);
        ASSERT_EQ(r.y, -next);
        ++next;
    }
    program.join();
    window_request r;
    EXPECT_FALSE(window_request_take(r));
}

TEST_F(WindowRequestsThreaded, AFullQueueGivesUpWhenTheProcessEnds)
{
    for (uint32_t i = 0; i < WINDOW_REQUEST_SLOTS; ++i)
        ASSERT_TRUE(window_request_post({window_request_kind::show, 0, 0}));
    std::thread program([] {
        EXPECT_FALSE(window_request_post({window_request_kind::hide, 0, 0}));
    });
    exit_acknowledged = 1;
    program.join();
    control_words_reset();
}

TEST_F(WindowRequestsThreaded, TheMainThreadSeesWholeTitlesAndEndsWithTheLast)
{
    std::thread program([] {
        for (int i = 0; i < 2000; ++i)
            window_title_store("title " + std::to_string(i));
    });
    std::string title;
    for (int i = 0; i < 2000; ++i) {
        if (window_title_take(title)) {
            ASSERT_EQ(title.rfind("title ", 0), 0u);
        }
    }
    program.join();
    window_title_take(title);
    EXPECT_EQ(title, "title 1999");
}
