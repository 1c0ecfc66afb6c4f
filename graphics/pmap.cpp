#include "graphics/pmap.h"

#include "core/errors.h"
#include "core/small_ops.h"
#include "screen/drawing_internal.h"
#include "screen/image_slots.h"

// The WINDOW mapping lives in the page's scale_x/y and offset_x/y (the
// window scale and offset); without a WINDOW they are 1 and 0.
float rt_pmap(float value, int32_t function)
{
    if (error_pending.load(std::memory_order_relaxed))
        return 0;
    const image_slot *r = write_page.record;
    if (!r || r->text_mode || function < 0 || function > 3) {
        error_raise(5);
        return 0;
    }
    bool is_x = function == 0 || function == 2;
    float scale = is_x ? r->scale_x : r->scale_y;
    float offset = is_x ? r->offset_x : r->offset_y;
    if (function < 2) {
        long double pixel = (long double)value * scale + offset;
        return float(round_float_to_int32(float(pixel)));
    }
    long double pixel = round_float_to_int32(value);
    return float(window_unmap(pixel, offset, scale, is_x ? r->window_x1 : r->window_y1));
}
