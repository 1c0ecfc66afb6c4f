#include "screen/palettes.h"

#include "core/errors.h"
#include "screen/blend_tables.h"
#include "screen/data/screen_data.h"
#include "screen/image_slots.h"
#include "screen/images.h"

#include <cmath>
#include <cstdlib>

uint32_t default_palette_256[256];
uint32_t default_palette_64[64];
uint32_t mode10_color_table[18];

void palettes_load()
{
    for (int i = 0; i < 256; i++)
        default_palette_256[i] = stored_palette_256[i] | 0xFF000000u;
    for (int i = 0; i < 64; i++)
        default_palette_64[i] = stored_palette_64[i] | 0xFF000000u;
    static const uint32_t mode10[18] = {
        0, 0, 0, 0x808080, 0x808080, 0x808080, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
        0, 0x808080, 0xFFFFFF, 0, 0x808080, 0xFFFFFF, 0, 0x808080, 0xFFFFFF,
    };
    for (int i = 0; i < 18; i++)
        mode10_color_table[i] = mode10[i];
}

void image_default_palette(image_slot *r)
{
    uint32_t *p = r->palette;
    if (!p)
        return;
    switch (r->mode) {
    case 1: {
        static const int from[4] = {0, 3, 5, 7};
        for (int i = 0; i < 4; i++)
            p[i] = default_palette_256[from[i]];
        break;
    }
    case 2:
    case 11:
        p[0] = 0x000000;
        p[1] = 0xFFFFFF;
        break;
    case 9: {
        static const int from[16] = {0, 1, 2, 3, 4, 5, 20, 7, 56, 57, 58, 59, 60, 61, 62, 63};
        for (int i = 0; i < 16; i++)
            p[i] = default_palette_64[from[i]];
        break;
    }
    case 10:
        p[4] = 0;
        p[5] = 4;
        p[6] = 6;
        p[7] = 8;
        break;
    case 13:
    case 256:
        for (int i = 0; i < 256; i++)
            p[i] = default_palette_256[i];
        break;
    default:
        for (int i = 0; i < 16; i++)
            p[i] = default_palette_256[i];
        break;
    }
}

uint32_t palette_component_8bit(uint32_t six_bit)
{
    float v = float(six_bit) * 4.0634918212890625f - 0.49999991059303284f;
    return uint32_t(std::nearbyint(v));
}

void pixel_write(int32_t x, int32_t y, uint32_t colour)
{
    image_slot *r = write_page.record;
    if (!r || !r->pixels || r->text_mode || x < 0 || y < 0 || x >= r->width || y >= r->height)
        return;
    uint64_t at = uint64_t(r->width) * uint32_t(y) + uint32_t(x);
    if (r->bytes_per_pixel == 1) {
        r->pixels[at] = uint8_t(colour & r->color_mask);
        return;
    }
    auto *px = reinterpret_cast<uint32_t *>(r->pixels) + at;
    *px = r->blend_off ? colour : blend_pixel(*px, colour);
}

uint32_t palette_nearest_rgb_of(const image_slot *r, int32_t red, int32_t green, int32_t blue)
{
    if (!r->palette)
        return 0;
    uint32_t count = r->text_mode ? 16 : r->color_mask + 1;
    if (count > 256)
        count = 256;
    uint32_t best = 0;
    int32_t best_distance = 1000;
    for (uint32_t i = 0; i < count; i++) {
        uint32_t e = r->palette[i];
        int32_t d = std::abs(red - int32_t(e >> 16 & 0xFF)) +
                    std::abs(green - int32_t(e >> 8 & 0xFF)) + std::abs(blue - int32_t(e & 0xFF));
        if (d == 0)
            return i;
        if (d < best_distance) {
            best_distance = d;
            best = i;
        }
    }
    return best;
}

uint32_t palette_nearest_rgb(int32_t r, int32_t g, int32_t b)
{
    if (!write_page.record)
        return 0;
    return palette_nearest_rgb_of(write_page.record, r, g, b);
}

static int32_t component_clamp(int32_t v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

uint32_t color_rgb(int32_t r, int32_t g, int32_t b, int32_t handle, bool given)
{
    return color_rgba(r, g, b, 255, handle, given);
}

uint32_t color_rgba(int32_t r, int32_t g, int32_t b, int32_t a, int32_t handle, bool given)
{
    if (error_pending)
        return 0;
    image_slot *img = image_handle_record(handle, given);
    if (!img)
        return 0;
    r = component_clamp(r);
    g = component_clamp(g);
    b = component_clamp(b);
    a = component_clamp(a);
    if (img->bytes_per_pixel == 4)
        return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
    if (a == 0 && img->transparent_color >= 0)
        return uint32_t(img->transparent_color);
    return palette_nearest_rgb_of(img, r, g, b);
}

// The 32-bit colour that a colour value stands for on an image, with the
// alpha a palette image gives it. False after raising error 5.
static bool color_resolve(uint32_t colour, int32_t handle, bool given, uint32_t *argb)
{
    if (error_pending)
        return false;
    image_slot *img = image_handle_record(handle, given);
    if (!img)
        return false;
    if (img->bytes_per_pixel == 4) {
        *argb = colour;
        return true;
    }
    if (!img->palette || colour > img->color_mask || colour > 255) {
        error_raise(5);
        return false;
    }
    uint32_t alpha = int32_t(colour) == img->transparent_color ? 0 : 0xFF;
    *argb = alpha << 24 | (img->palette[colour] & 0xFFFFFF);
    return true;
}

uint32_t color_red(uint32_t colour, int32_t handle, bool given)
{
    uint32_t argb;
    return color_resolve(colour, handle, given, &argb) ? argb >> 16 & 0xFF : 0;
}

uint32_t color_green(uint32_t colour, int32_t handle, bool given)
{
    uint32_t argb;
    return color_resolve(colour, handle, given, &argb) ? argb >> 8 & 0xFF : 0;
}

uint32_t color_blue(uint32_t colour, int32_t handle, bool given)
{
    uint32_t argb;
    return color_resolve(colour, handle, given, &argb) ? argb & 0xFF : 0;
}

uint32_t color_alpha(uint32_t colour, int32_t handle, bool given)
{
    uint32_t argb;
    return color_resolve(colour, handle, given, &argb) ? argb >> 24 : 0;
}
