// A flag that one thread holds while it changes what another thread reads:
// the program thread takes it (waiting, yielding the processor), the audio
// pump only tries and skips its work when the flag is held.
#pragma once

#include "platform/clock.h"

#include <atomic>

class busy_flag
{
  public:
    bool try_take() { return !flag.test_and_set(std::memory_order_acquire); }
    void take()
    {
        while (flag.test_and_set(std::memory_order_acquire))
            clock_sleep_ms(0);
    }
    void release() { flag.clear(std::memory_order_release); }

  private:
    std::atomic_flag flag = ATOMIC_FLAG_INIT;
};
