// The X11 dialog behind platform_message_box (platform layer only).
#pragma once

#include <cstdint>

// Shows the box on its own connection to the X server named by DISPLAY and
// waits for an answer. Returns MESSAGE_BOX_FAILED when no display opens.
int message_box_x11_show(const char *text, const char *caption, uint32_t type);
