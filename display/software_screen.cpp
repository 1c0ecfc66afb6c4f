#include "display/software_screen.h"

#include "core/errors.h"
#include "display/frame_ring.h"
#include "display/gl_renderer.h"
#include "display/hardware_images.h"

namespace
{

int32_t screen_image = 0;        // hardware image handle, 0 none
uint64_t screen_image_order = 0; // order of the frame it holds

} // namespace

void software_screen_draw(const frame_slot *shown, int32_t position)
{
    uint64_t order = shown->order.load(std::memory_order_relaxed);
    if (screen_image && order != screen_image_order) {
        free_hardware_img(screen_image, 1);
        screen_image = 0;
    }
    if (!screen_image) {
        int32_t index = hardware_img_new(shown->width, shown->height, shown->pixels, 0);
        if (!index) {
            alert("Invalid software_screen_hardware_frame!!");
            return;
        }
        screen_image = hardware_img_handle(index);
        screen_image_order = order;
    }
    hardware_img *img = hardware_img_of(screen_image);
    if (!img) {
        alert("Invalid software_screen_hardware_frame!");
        screen_image = 0;
        return;
    }
    gl_draw_textured_rect(0, 0, shown->width - 1, shown->height - 1, screen_image, 0, 0, 0,
                          float(img->width - 1), float(img->height - 1), position > 1 ? 1 : 0,
                          display_viewport.smooth);
    gl_batch_flush();
}

int32_t software_screen_image()
{
    return screen_image;
}

void software_screen_forget()
{
    screen_image = 0;
    screen_image_order = 0;
}
