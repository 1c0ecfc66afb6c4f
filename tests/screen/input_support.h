// Shared helpers of the INPUT editor tests: a fresh screen and keyboard, a
// stepping fake clock, and keys typed through the keyboard's key handlers
// while the editor waits.
#pragma once

#include "support/test_support.h"

#include "text_support.h"

#include "screen/input_editor.h"

#include <cstdint>
#include <functional>
#include <string>

// One scripted step: a key code pressed and released, or a callback run in
// the editor's wait (code 0).
struct input_step {
    int32_t code;
    std::function<void()> action;
};

class input_test : public text_test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // Keys typed one per wait of the editor, in order.
    void keys(const std::string &text);
    void key(int32_t code);
    // Runs in the wait after the keys queued before it.
    void then(std::function<void()> action);

    // Sets the table's one target and runs INPUT; the script must end it.
    void input_one(void *variable, uint32_t type_word, int32_t newline = 1);
};

// A variable string holding the text (not a temporary).
string_descriptor *string_var(const std::string &text = "");
// The bytes of a page's cells or pixels.
std::string page_bytes_of(const image_slot *r);
