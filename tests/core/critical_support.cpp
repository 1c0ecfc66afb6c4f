#include "core/critical_support.h"

#include "core/errors.h"
#include "platform/process_exit.h"

#include <cstdio>

void critical_error_report(uint32_t expected)
{
    uint32_t n = error_pending_take();
    std::fprintf(stderr, "pending error %u\n", n);
    process_exit(n == expected ? 0 : 1);
}
