#include "graphics_support.h"

#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/lists.h"
#include "display/hardware_images.h"
#include "graphics/depth_control.h"
#include "screen/images.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <cstring>

void graphics_test::SetUp()
{
    error_pending_take();
    frame_builder_started = false;
    auto_display = 1;
    dos_memory_reset();
    screen_startup();
    hardware_lists_create();
    depth_modes_reset();
    hardware_source_cursor = {0, 0};
    hardware_dest_cursor = {0, 0};
    rt_screen(13, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    ASSERT_EQ(error_pending_take(), 0u);
}

void graphics_test::TearDown()
{
    error_pending_take();
}

image_slot *record_of(int32_t handle)
{
    return image_slot_get(uint32_t(-handle));
}

int32_t image_patterned(int32_t width, int32_t height, int32_t mode, uint32_t seed)
{
    int32_t handle = image_new(width, height, mode, true);
    image_slot *r = record_of(handle);
    size_t count = size_t(width) * size_t(height);
    for (size_t i = 0; i < count; i++) {
        uint32_t v = uint32_t(i) * 37u + seed;
        if (r->bytes_per_pixel == 1)
            r->pixels[i] = uint8_t(v);
        else
            reinterpret_cast<uint32_t *>(r->pixels)[i] = 0xFF000000u | v * 0x010305u;
    }
    return handle;
}

copy_picture picture_of(image_slot *r)
{
    return {r->pixels,          r->width,   r->height,
            r->bytes_per_pixel, r->palette, r->transparent_color,
            r->blend_off != 0};
}

int32_t hardware_image_kept(int32_t width, int32_t height, uint32_t colour)
{
    std::vector<uint32_t> px(size_t(width) * size_t(height), colour);
    return hardware_img_handle(
        hardware_img_new(width, height, px.data(), HARDWARE_IMG_KEEP | HARDWARE_IMG_COPY));
}

hgc_record last_queued()
{
    return *static_cast<hgc_record *>(list_get(hgc_list, int32_t(hgc_queue_last.load())));
}

void page_test::SetUp()
{
    error_pending_take();
    frame_builder_started = false;
    dos_memory_reset();
    screen_startup();
    ASSERT_EQ(error_pending_take(), 0u);
}

image_slot *page_test::page(int32_t mode, int32_t width, int32_t height)
{
    rt_screen(mode == 32 ? image_new(width, height, 32, true) : mode, 0, 0, 0, 0,
              SCREEN_MODE_GIVEN);
    EXPECT_EQ(error_pending_take(), 0u);
    image_slot *r = write_page.record;
    std::memset(r->pixels, 0, size_t(r->width) * r->height * r->bytes_per_pixel);
    return r;
}

void pixel_set_to(image_slot *r, int32_t x, int32_t y, uint32_t value)
{
    uint64_t at = uint64_t(y) * r->width + uint32_t(x);
    if (r->bytes_per_pixel == 4)
        reinterpret_cast<uint32_t *>(r->pixels)[at] = value;
    else
        r->pixels[at] = uint8_t(value);
}

std::set<std::pair<int32_t, int32_t>> pixels_lit(const image_slot *r)
{
    std::set<std::pair<int32_t, int32_t>> out;
    for (int32_t y = 0; y < r->height; y++)
        for (int32_t x = 0; x < r->width; x++)
            if (pixel_of(r, x, y))
                out.insert({x, y});
    return out;
}
