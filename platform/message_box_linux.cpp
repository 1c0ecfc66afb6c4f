// Minimal message box: writes the box to standard error; the dialog follows.
#include "platform/message_box.h"

#include <atomic>
#include <cstdio>

namespace {
std::atomic<message_box_fn> seam{nullptr};
}

int platform_message_box(const char *text, const char *caption, uint32_t type)
{
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    if (auto fn = seam.load())
        return fn(text, caption, type);
    return MESSAGE_BOX_FAILED;
}

void platform_message_box_seam_set(message_box_fn fn) { seam = fn; }
