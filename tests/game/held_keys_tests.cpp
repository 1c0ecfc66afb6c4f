#include "game/held_keys.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "display/scancode_queue.h"
#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

std::string box_caption; // of the last box
std::string box_text;
std::vector<std::string> box_captions; // every box

// The error dialog answers "Yes" (go on) and keeps what it showed.
int box_answer_yes(const char *text, const char *caption, uint32_t)
{
    box_text = text;
    box_caption = caption;
    box_captions.push_back(caption);
    return MESSAGE_BOX_RESULT_YES;
}

class held_keys_test : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        control_words_reset();
        error_pending_take();
        held_keys_reset();
        scancode_queue_reset();
        box_caption.clear();
        box_text.clear();
        box_captions.clear();
        platform_message_box_seam_set(box_answer_yes);
    }
    void TearDown() override
    {
        platform_message_box_seam_set(nullptr);
        held_keys_reset();
        error_pending_take();
    }
};

int16_t held(int16_t code)
{
    return game_key_held(code);
}

constexpr int16_t key_w = 17, key_a = 30, key_s = 31, key_d = 32;

} // namespace

TEST_F(held_keys_test, make_and_break_codes_mark_keys_held_and_released_one_code_per_call)
{
    EXPECT_EQ(held(key_w), 0); // first call: fresh table, and the queue's 0x81
    EXPECT_EQ(held_keys_ready, -1);
    EXPECT_TRUE(held_keys.flags & ARRAY_ALLOCATED);
    EXPECT_EQ(held_keys.dimension_count, 1);
    EXPECT_EQ(held_keys.dimensions[0].lower_bound, 0);
    EXPECT_EQ(held_keys.dimensions[0].element_count, 128);

    scancode_queue_push(key_w);
    scancode_queue_push(key_d);
    EXPECT_EQ(held(key_d), 0);  // takes W's make code only
    EXPECT_EQ(held(key_w), -1); // takes D's
    EXPECT_EQ(held(key_d), -1); // queue empty: D again, no change
    EXPECT_EQ(held(key_w), -1);

    scancode_queue_push(key_w + 128);
    scancode_queue_push(key_a);
    scancode_queue_push(key_a + 128);
    EXPECT_EQ(held(key_w), 0);
    EXPECT_EQ(held(key_a), -1);
    EXPECT_EQ(held(key_s), 0);
    EXPECT_EQ(held(key_a), 0);
    EXPECT_EQ(held(key_d), -1);
}

TEST_F(held_keys_test, the_first_call_sees_its_own_make_code)
{
    scancode_queue_push(key_s);
    EXPECT_EQ(held(key_s), -1);
}

TEST_F(held_keys_test, code_0_only_takes_in_a_code)
{
    scancode_queue_push(key_a);
    EXPECT_EQ(held(0), 0);
    EXPECT_EQ(held(key_a), -1);
    scancode_queue_push(0);
    EXPECT_EQ(held(0), -1); // only a code of 0 or 128 changes entry 0
    scancode_queue_push(128);
    EXPECT_EQ(held(0), 0);
}

TEST_F(held_keys_test, a_code_outside_the_table_is_error_9_on_the_functions_last_line)
{
    scancode_queue_push(0);
    EXPECT_EQ(held(128), -1); // element 0's value
    EXPECT_EQ(box_caption, "Unhandled Error #9");
    EXPECT_NE(box_text.find("Line:1760"), std::string::npos);
    EXPECT_NE(box_text.find("Subscript out of range"), std::string::npos);
    EXPECT_EQ(held(-1), -1); // the last code (0) again; element 0
    EXPECT_EQ(box_caption, "Unhandled Error #9");
}

TEST_F(held_keys_test, nothing_happens_while_an_error_is_pending)
{
    EXPECT_EQ(held(key_w), 0);
    scancode_queue_push(key_w);
    error_raise(5);
    EXPECT_EQ(held(key_w), 0);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(held(key_d), 0); // the W make code is still queued
    EXPECT_EQ(held(key_w), -1);
}

TEST_F(held_keys_test, a_static_array_cannot_be_redimensioned)
{
    held_keys.flags = ARRAY_STATIC;
    EXPECT_EQ(held(key_w), 0);
    // Going on after the error, the table has no elements to store into.
    ASSERT_FALSE(box_captions.empty());
    EXPECT_EQ(box_captions[0], "Unhandled Error #10");
    EXPECT_FALSE(held_keys.flags & ARRAY_ALLOCATED);
    EXPECT_EQ(held_keys_ready, 0);
}
