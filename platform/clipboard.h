// The system clipboard's text.
//
// Text is bytes; on the desktop each byte is the Latin-1 character of its
// value. The clipboard holds a text up to its first zero byte, the program's
// and other programs' alike. On X11 the clipboard is the CLIPBOARD
// selection, offered and read through connections of the clipboard's own
// (never the window's), so any thread may call these. Setting the text keeps
// a copy in the process and takes the selection; a helper thread answers
// other programs' requests for it, large texts incrementally, until another
// program takes the selection over. With no display the process's copy is
// the clipboard.
#pragma once

#include <string>

void platform_clipboard_set(const std::string &text);

// The clipboard's text; "" when the clipboard holds no text or cannot be
// read.
std::string platform_clipboard_get();

// Tests: forgets the process's copy and gives up the selection.
void platform_clipboard_reset();
