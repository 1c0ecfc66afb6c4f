// COLOR, PALETTE, PALETTE USING, PCOPY and the default colours of a page.
#include "core/errors.h"
#include "screen/image_slots.h"
#include "screen/palettes.h"
#include "screen/screen_modes.h"

#include <cstring>

namespace {

constexpr uint32_t COLOR_FORE_GIVEN = 1;
constexpr uint32_t COLOR_BACK_GIVEN = 2;
constexpr uint32_t COLOR_BORDER_GIVEN = 4;

// Highest foreground and background COLOR accepts in a mode.
struct color_limits {
    uint32_t fore, back;
};

color_limits color_limits_of(uint32_t mode)
{
    switch (mode) {
    case 0: return {31, 15};
    case 1: return {15, 0xFFFFFFFF};
    case 2: return {1, 15};
    case 7:
    case 8:
    case 12: return {15, 15};
    case 9: return {15, 63};
    case 10: return {3, 8};
    case 11: return {1, 1};
    case 13:
    case 256: return {255, 255};
    default: return {0xFFFFFFFF, 0xFFFFFFFF};
    }
}

// COLOR in mode 1: the background entry and the choice of the 4-colour set.
void color_mode1(image_slot *r, uint32_t fore, uint32_t back, uint32_t passed)
{
    if (passed & COLOR_FORE_GIVEN)
        r->palette[0] = default_palette_256[fore];
    if (passed & COLOR_BACK_GIVEN) {
        uint32_t first = back & 1 ? 3 : 2;
        for (uint32_t i = 0; i < 3; i++)
            r->palette[1 + i] = default_palette_256[first + 2 * i];
    }
}

} // namespace

void page_default_colors()
{
    image_slot *r = write_page.record;
    if (!r)
        return;
    r->back_color = 0;
    switch (r->mode) {
    case 0: r->fore_color = 7; break;
    case 1:
    case 10: r->fore_color = 3; break;
    case 2:
    case 11: r->fore_color = 1; break;
    case 32:
        r->fore_color = 0xFFFFFFFF;
        r->back_color = 0xFF000000;
        break;
    default: r->fore_color = 15; break;
    }
    r->draw_color = r->fore_color;
}

void rt_color(uint32_t fore, uint32_t back, uint32_t border, uint32_t passed)
{
    (void)border;
    image_slot *r = write_page.record;
    if (error_pending || !passed || !r)
        return;
    color_limits limits = color_limits_of(r->mode);
    if (((passed & COLOR_BORDER_GIVEN) && r->mode != 0) ||
        ((passed & COLOR_FORE_GIVEN) && fore > limits.fore) ||
        ((passed & COLOR_BACK_GIVEN) && back > limits.back)) {
        error_raise(5);
        return;
    }
    if (r->mode == 1) {
        color_mode1(r, fore, back, passed);
        return;
    }
    if (passed & COLOR_FORE_GIVEN)
        r->fore_color = fore;
    if (!(passed & COLOR_BACK_GIVEN))
        return;
    switch (r->mode) {
    case 0: r->back_color = back & 7; break;
    case 2:
    case 7:
    case 8: r->palette[0] = default_palette_256[back]; break;
    case 9: r->palette[0] = default_palette_64[back]; break;
    case 10: r->palette[4] = back; break;
    default: r->back_color = back; break;
    }
}

// PALETTE attribute, colour on the write page.
void rt_palette(int32_t attribute, int32_t colour, bool given)
{
    image_slot *r = write_page.record;
    if (error_pending || !r)
        return;
    if (!given) {
        image_default_palette(r);
        return;
    }
    uint32_t a = uint32_t(attribute), c = uint32_t(colour);
    switch (r->mode) {
    case 11:
    case 12:
    case 13:
    case 256: {
        uint32_t top = r->mode == 11 ? 1 : r->mode == 12 ? 15 : 255;
        if ((c & ~0x3F3F3Fu) || a > top)
            break;
        r->palette[a] = palette_component_8bit(c & 0x3F) << 16 |
                        palette_component_8bit(c >> 8 & 0x3F) << 8 |
                        palette_component_8bit(c >> 16 & 0x3F);
        return;
    }
    case 10:
        if (a > 3 || c > 8)
            break;
        r->palette[4 + a] = c;
        return;
    case 0:
    case 9:
        if (a > 15 || c > 63)
            break;
        r->palette[a] = default_palette_64[c];
        return;
    case 1:
    case 2:
    case 7:
    case 8:
        if (a > (r->mode == 2 ? 1u : 15u) || c > 15)
            break;
        r->palette[a] = default_palette_256[c];
        return;
    default: break;
    }
    error_raise(5);
}

void rt_palette_using(const void *elements, uint32_t count, int32_t element_bits)
{
    image_slot *r = write_page.record;
    if (error_pending || !r)
        return;
    bool wide_only = r->mode == 11 || r->mode == 12 || r->mode == 13 || r->mode == 256;
    // A text page has 16 attributes, whatever its cell mask says.
    uint64_t needed = r->text_mode ? 16 : uint64_t(r->color_mask) + 1;
    if (r->bytes_per_pixel == 4 || !elements || (element_bits != 16 && element_bits != 32) ||
        (element_bits == 16 && wide_only) || count < needed) {
        error_raise(5);
        return;
    }
    for (uint32_t i = 0; i < needed; i++) {
        int32_t v = element_bits == 16 ? static_cast<const int16_t *>(elements)[i]
                                       : static_cast<const int32_t *>(elements)[i];
        if (v == -1)
            continue;
        if (v < -1) {
            error_raise(5);
            return;
        }
        rt_palette(int32_t(i), v, true);
        if (error_pending)
            return;
    }
}

// The slot of a PCOPY operand: a live image for a negative handle, else a
// page made to exist. 0 after raising an error.
static uint32_t pcopy_operand(int32_t handle)
{
    if (handle >= 0)
        return screen_page_ensure(uint32_t(handle));
    uint32_t slot = uint32_t(-int64_t(handle) > int64_t(UINT32_MAX) ? 0 : -int64_t(handle));
    if (!image_slot_live(slot)) {
        error_raise(5);
        return 0;
    }
    return slot;
}

void rt_pcopy(int32_t source, int32_t destination)
{
    if (error_pending)
        return;
    uint32_t from_slot = pcopy_operand(source);
    if (!from_slot)
        return;
    uint32_t to_slot = pcopy_operand(destination);
    if (!to_slot || from_slot == to_slot)
        return;
    const image_slot *from = image_slot_get(from_slot);
    image_slot *to = image_slot_get(to_slot);
    if (from->bytes_per_pixel != to->bytes_per_pixel || from->width != to->width ||
        from->height != to->height || (from->bytes_per_pixel != 4 && to->color_mask < from->color_mask)) {
        error_raise(5);
        return;
    }
    if (from->pixels && to->pixels)
        std::memmove(to->pixels, from->pixels,
                     uint64_t(from->width) * from->height * from->bytes_per_pixel);
}
