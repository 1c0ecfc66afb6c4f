#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

// Boxes shown from several threads at once take every scripted answer exactly
// once.
TEST(MessageBoxThreaded, ScriptedAnswersAreEachUsedOnce) {
    constexpr int THREADS = 8;
    constexpr int BOXES_PER_THREAD = 16;
    unsetenv("DISPLAY");
    std::string list;
    int expected_yes = 0, expected_no = 0, expected_ok = 0;
    for (int i = 0; i < THREADS * BOXES_PER_THREAD; ++i) {
        static const char *words[] = {"yes", "no", "ok"};
        list += std::string(i ? "," : "") + words[i % 3];
        int &count = i % 3 == 0 ? expected_yes : i % 3 == 1 ? expected_no : expected_ok;
        ++count;
    }
    setenv("BOX_ANSWERS", list.c_str(), 1);
    platform_message_box_answers_reload();

    std::atomic<int> yes{0}, no{0}, ok{0}, other{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < THREADS; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < BOXES_PER_THREAD; ++i) {
                int r = platform_message_box("text", "caption", MESSAGE_BOX_YES_NO);
                std::atomic<int> &count = r == MESSAGE_BOX_RESULT_YES  ? yes
                                          : r == MESSAGE_BOX_RESULT_NO ? no
                                          : r == MESSAGE_BOX_RESULT_OK ? ok
                                                                       : other;
                count.fetch_add(1);
            }
        });
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(yes.load(), expected_yes);
    EXPECT_EQ(no.load(), expected_no);
    EXPECT_EQ(ok.load(), expected_ok);
    EXPECT_EQ(other.load(), 0);
    EXPECT_EQ(platform_message_box("text", "caption", MESSAGE_BOX_OK), MESSAGE_BOX_FAILED);

    unsetenv("BOX_ANSWERS");
    platform_message_box_answers_reload();
}
