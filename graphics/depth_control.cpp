#include "graphics/depth_control.h"

#include "core/errors.h"
#include "display/hardware_images.h"
#include "display/hgc_queue.h"

uint32_t screen_depth_mode = DEPTH_READ_WRITE;
uint32_t second_layer_depth_mode = DEPTH_READ_WRITE;

namespace
{

// The mode each option sets; option 4 (the clear) sets none.
constexpr uint32_t OPTION_MODES[] = {DEPTH_READ_WRITE, DEPTH_OFF, DEPTH_READ_ONLY};
constexpr int32_t OPTION_CLEAR = 4;

} // namespace

bool hardware_destination_resolve(int32_t handle, int32_t *target)
{
    if (handle < 0) {
        if (!hardware_img_lookup(handle)) {
            error_raise(258);
            return false;
        }
        *target = hardware_img_index(handle);
        return true;
    }
    if (handle > 1) {
        error_raise(5);
        return false;
    }
    *target = handle == 0 ? HGC_HARDWARE_LAYER : HGC_SECOND_HARDWARE_LAYER;
    return true;
}

void depth_buffer_control(int32_t option, int32_t handle, uint32_t flags)
{
    if (error_pending.load(std::memory_order_relaxed))
        return;
    int32_t target;
    if (!hardware_destination_resolve((flags & 1) ? handle : 0, &target))
        return;
    if (option < 1 || option > OPTION_CLEAR) {
        error_raise(5);
        return;
    }
    if (option == OPTION_CLEAR) {
        hgc_record clear{};
        clear.type = HGC_DEPTH_CLEAR;
        clear.destination = target;
        hgc_queue_command(clear);
        return;
    }
    uint32_t mode = OPTION_MODES[option - 1];
    if (target == HGC_HARDWARE_LAYER)
        screen_depth_mode = mode;
    else if (target == HGC_SECOND_HARDWARE_LAYER)
        second_layer_depth_mode = mode;
    else
        hardware_img_record(target)->depth_mode = mode;
}

uint32_t depth_mode_of(int32_t destination)
{
    if (destination == HGC_HARDWARE_LAYER)
        return screen_depth_mode;
    if (destination == HGC_SECOND_HARDWARE_LAYER)
        return second_layer_depth_mode;
    hardware_img *img = hardware_img_record(destination);
    return img ? img->depth_mode : DEPTH_READ_WRITE;
}

void depth_modes_reset()
{
    screen_depth_mode = DEPTH_READ_WRITE;
    second_layer_depth_mode = DEPTH_READ_WRITE;
}
