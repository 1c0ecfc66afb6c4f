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
    int32_t screen = mode >= 32 ? image_new(width, height, mode, true) : mode;
    rt_screen(screen, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    EXPECT_EQ(error_pending_take(), 0u);
    return write_page.record;
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

pixel_set pixels_lit(const image_slot *r)
{
    pixel_set out;
    for (int32_t y = 0; y < r->height; y++)
        for (int32_t x = 0; x < r->width; x++)
            if (pixel_of(r, x, y))
                out.insert({x, y});
    return out;
}

uint8_t *dos_area()
{
    return emulated_dos_memory + DOS_STRING_AREA;
}

void dos_put(uint16_t offset, const std::string &bytes)
{
    std::memcpy(dos_area() + offset, bytes.data(), bytes.size());
}

std::string le16(uint16_t v)
{
    return {char(v & 0xFF), char(v >> 8)};
}

void dos_string_put(uint16_t descriptor, uint16_t chars, const std::string &text)
{
    dos_put(descriptor, le16(uint16_t(text.size())) + le16(chars));
    dos_put(chars, text);
}
