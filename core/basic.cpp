#include "core/basic.h"

#include "core/control_words.h"
#include "core/gosub_stack.h"
#include "core/program_thread.h"
#include "core/strings.h"

#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> precision_set{false};

// The x87 unit computes with a 64-bit mantissa, as the number conversions
// expect: clear the precision-control field of the control word.
void x87_extended_precision_set()
{
#if defined(__x86_64__) || defined(__i386__)
    uint16_t cw;
    __asm__ volatile("fnstcw %0" : "=m"(cw));
    cw |= 0x0300;
    __asm__ volatile("fldcw %0" : : "m"(cw));
#endif
}

} // namespace

basic_procedure::basic_procedure()
{
    if (!precision_set.exchange(true))
        x87_extended_precision_set();
    std::signal(SIGFPE, division_by_zero_signal_handler);
    temp_mark_ = string_temp_count;
}

bool basic_procedure::statement_end(uint32_t line)
{
    temp_strings_release(temp_mark_);
    if (event_pending.load(std::memory_order_relaxed) == 0)
        return false;
    statement_event_check(line);
    return statement_retry.load() != 0;
}

bool basic_procedure::gosub_enter(uint32_t return_point)
{
    gosub_push(return_point);
    return true;
}

void basic_procedure::ret()
{
    uint32_t point;
    gosub_pop(UINT32_MAX, &point);
}

void basic_procedure::end() { rt_end(); }
