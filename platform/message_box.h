// Message boxes: a small modal dialog with a caption, a text and either an OK
// button or Yes and No buttons.
//
// Every box is also written to standard error. Answers can be scripted for
// tests: the environment variable BOX_ANSWERS holds a comma-separated list
// (yes, no, ok) consumed one per box, in order, by whichever thread shows the
// next box; once it is used up the real dialog shows again. An in-process seam
// replaces both the list and the dialog. With no display the box cannot open
// and the result is 0.
//
// The dialog opens its own connection to the X server for every box, so it may
// be shown from any thread. The focus starts on the first button (Yes or OK)
// and is drawn as a second frame with a dotted one inside. Keys:
// - Yes/No box: Tab, Shift+Tab and the arrow keys move the focus between Yes
//   and No; Enter and Space press the focused button; Y and N answer Yes and
//   No. Esc and the window manager's close request do nothing: only Yes or No
//   answers.
// - OK box: Enter and Esc answer OK, and so does the close request.
// A click on a button (pressed and released over it) answers with it. A box
// whose window another client destroys answers No (OK in an OK box).
#pragma once

#include <cstdint>

// Box types (bit flags, combinable).
constexpr uint32_t MESSAGE_BOX_OK = 0x0;
constexpr uint32_t MESSAGE_BOX_YES_NO = 0x4;
constexpr uint32_t MESSAGE_BOX_SYSTEM_MODAL = 0x1000;

// Results. 0 means the box could not be shown.
constexpr int MESSAGE_BOX_FAILED = 0;
constexpr int MESSAGE_BOX_RESULT_OK = 1;
constexpr int MESSAGE_BOX_RESULT_YES = 6;
constexpr int MESSAGE_BOX_RESULT_NO = 7;

// Shows the box and waits for an answer. Callable from any thread.
int platform_message_box(const char *text, const char *caption, uint32_t type);

// Test seam: when set, every box goes to this function instead of the screen
// (it is still written to standard error). Null restores the real dialog.
using message_box_fn = int (*)(const char *text, const char *caption, uint32_t type);
void platform_message_box_seam_set(message_box_fn fn);

// Reads BOX_ANSWERS again and starts from its first answer (tests). The list
// is otherwise read once, at the first box.
void platform_message_box_answers_reload();
