#include "platform/process_exit.h"

#include <cstdio>
#include <unistd.h>

void process_exit(int code)
{
    std::fflush(nullptr);
    _exit(code);
}
