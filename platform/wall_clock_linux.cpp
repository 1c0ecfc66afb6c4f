#include "platform/clock.h"

#include <ctime>

namespace
{

bool real_local_time(tm *out)
{
    const time_t now = time(nullptr);
    return now != time_t(-1) && localtime_r(&now, out) != nullptr;
}

wall_clock_fn wall_clock = real_local_time;

} // namespace

bool wall_clock_local_time(tm *out)
{
    return wall_clock(out);
}

void wall_clock_seam_set(wall_clock_fn fn)
{
    wall_clock = fn ? fn : real_local_time;
}
