// Minimal error core; the full dialog and message table follow.
#include "core/errors.h"

#include "core/control_words.h"
#include "platform/message_box.h"
#include "platform/process_exit.h"

#include <cstdio>

std::atomic<uint32_t> error_pending{0};
std::atomic<uint32_t> on_error_armed{0};
std::atomic<uint32_t> on_error_inside_handler{0};
std::atomic<uint32_t> on_error_handler_jump{0};
double last_line_label = 0;

uint32_t error_raise(int32_t n)
{
    if (n <= 0)
        n = 5;
    uint32_t expected = 0;
    if (error_pending.compare_exchange_strong(expected, uint32_t(n))) {
        event_pending = 1;
        return uint32_t(n);
    }
    return expected;
}

void error_handle() { error_pending = 0; }

const char *error_message(uint32_t) { return "Unprintable error"; }
uint32_t rt_err() { return 0; }
double rt_erl() { return 0; }
uint32_t error_line_get() { return error_line; }

int message_box(const char *text, const char *caption, uint32_t type)
{
    return platform_message_box(text, caption, type);
}
void alert(const char *text) { message_box(text, "Alert", MESSAGE_BOX_OK); }
void alert_number(int32_t n)
{
    char buf[100] = {};
    std::snprintf(buf, sizeof buf, "%d", n);
    alert(buf);
}

uint32_t error_pending_take() { return error_pending.exchange(0); }
