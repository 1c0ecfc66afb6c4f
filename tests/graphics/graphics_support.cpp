#include "graphics_support.h"

#include "core/dos_memory.h"
#include "screen/images.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <cstring>

void graphics_test::SetUp()
{
    error_pending_take();
    frame_builder_started = false;
    dos_memory_reset();
    screen_startup();
    ASSERT_EQ(error_pending_take(), 0u);
}

image_slot *graphics_test::page(int32_t mode, int32_t width, int32_t height)
{
    rt_screen(mode == 32 ? image_new(width, height, 32, true) : mode, 0, 0, 0, 0,
              SCREEN_MODE_GIVEN);
    EXPECT_EQ(error_pending_take(), 0u);
    image_slot *r = write_page.record;
    std::memset(r->pixels, 0, size_t(r->width) * r->height * r->bytes_per_pixel);
    return r;
}

uint32_t pixel_of(const image_slot *r, int32_t x, int32_t y)
{
    uint64_t at = uint64_t(y) * r->width + uint32_t(x);
    return r->bytes_per_pixel == 4 ? reinterpret_cast<const uint32_t *>(r->pixels)[at]
                                   : r->pixels[at];
}

void pixel_set_to(image_slot *r, int32_t x, int32_t y, uint32_t value)
{
    uint64_t at = uint64_t(y) * r->width + uint32_t(x);
    if (r->bytes_per_pixel == 4)
        reinterpret_cast<uint32_t *>(r->pixels)[at] = value;
    else
        r->pixels[at] = uint8_t(value);
}

std::vector<uint32_t> page_pixels(const image_slot *r)
{
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < r->height; y++)
        for (int32_t x = 0; x < r->width; x++)
            out.push_back(pixel_of(r, x, y));
    return out;
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
