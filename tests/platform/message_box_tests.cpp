#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// Without a display every real box fails to open (0), so a scripted answer is
// easy to tell from the dialog.
class MessageBox : public ::testing::Test {
  protected:
    void SetUp() override {
        unsetenv("DISPLAY");
        platform_message_box_seam_set(nullptr);
    }
    void TearDown() override {
        platform_message_box_seam_set(nullptr);
        unsetenv("BOX_ANSWERS");
        platform_message_box_answers_reload();
    }
    static void answers(const char *list) {
        setenv("BOX_ANSWERS", list, 1);
        platform_message_box_answers_reload();
    }
    static int box() { return platform_message_box("text", "caption", MESSAGE_BOX_YES_NO); }
};

int answer_no(const char *, const char *, uint32_t) {
    return MESSAGE_BOX_RESULT_NO;
}

} // namespace

TEST_F(MessageBox, ScriptedAnswersInOrderThenTheDialog) {
    answers(" Yes,no,OK ,maybe,,yes");
    EXPECT_EQ(box(), MESSAGE_BOX_RESULT_YES);
    EXPECT_EQ(box(), MESSAGE_BOX_RESULT_NO);
    EXPECT_EQ(box(), MESSAGE_BOX_RESULT_OK);
    EXPECT_EQ(box(), MESSAGE_BOX_FAILED) << "\"maybe\" is not an answer: the box shows";
    EXPECT_EQ(box(), MESSAGE_BOX_FAILED) << "an empty entry is not an answer either";
    EXPECT_EQ(box(), MESSAGE_BOX_RESULT_YES);
    EXPECT_EQ(box(), MESSAGE_BOX_FAILED) << "used up: the box shows";
}

TEST_F(MessageBox, NoDisplayAndNoScriptGiveAFailedBox) {
    answers("");
    EXPECT_EQ(box(), MESSAGE_BOX_FAILED);
}

TEST_F(MessageBox, SeamOverridesTheScriptWithoutConsumingIt) {
    answers("yes");
    platform_message_box_seam_set(answer_no);
    EXPECT_EQ(box(), MESSAGE_BOX_RESULT_NO);
    platform_message_box_seam_set(nullptr);
    EXPECT_EQ(box(), MESSAGE_BOX_RESULT_YES);
}

TEST_F(MessageBox, EveryBoxIsWrittenToStandardError) {
    answers("ok");
    testing::internal::CaptureStderr();
    platform_message_box("Line:3\nOverflow", "Unhandled Error #6", MESSAGE_BOX_OK);
    platform_message_box_seam_set(answer_no);
    platform_message_box("second", "Alert", MESSAGE_BOX_OK);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("[Unhandled Error #6]\nLine:3\nOverflow\n"), std::string::npos) << err;
    EXPECT_NE(err.find("[Alert]\nsecond\n"), std::string::npos) << err;
}
