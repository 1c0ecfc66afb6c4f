// Fuzz target for DRAW: the leading bytes choose an image's mode and size, a
// VIEW, a WINDOW, the stored angle and scale (sometimes no finite number) and
// the graphics cursor; the rest is the command string. The DOS string area
// holds a few strings for X (an empty one, a move, one that runs itself) and
// values of every reference type. Nothing may crash or trip a sanitizer, the
// error must be 0, 5 or 6, no pixel outside the VIEW may change and the
// cursor must stay a finite number.
#include "fuzz/fuzz_image.h"

#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "graphics/draw.h"
#include "screen/drawing.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/screen_startup.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{

constexpr int32_t MODES[] = {1, 2, 7, 8, 9, 10, 11, 12, 13, 256, 32};

// Puts a DOS string (descriptor, characters) and a value into the area.
void area_put(uint16_t offset, const void *bytes, size_t size)
{
    std::memcpy(emulated_dos_memory + DOS_STRING_AREA + offset, bytes, size);
}

void dos_string(uint16_t descriptor, uint16_t chars, const char *text, size_t size)
{
    uint16_t header[2] = {uint16_t(size), chars};
    area_put(descriptor, header, 4);
    area_put(chars, text, size);
}

void area_fill()
{
    dos_string(0x10, 0x1000, "", 0);
    dos_string(0x14, 0x1100, "R5D5", 4);
    dos_string(0x18, 0x1200, "U1X\x03\x18\x00", 7);
    double values[] = {1.5, -7, NAN, INFINITY, 1e300, -0.0};
    area_put(0x20, values, sizeof values);
    long double big = 1e4000L;
    area_put(0x60, &big, 10);
}

void page_set_up(fuzz_input &in, image_slot *r)
{
    uint8_t how = in.byte();
    int32_t w = r->width, h = r->height;
    if (how & 1)
        rt_view(in.byte() % w, in.byte() % h, in.byte() % w, in.byte() % h, 0, 0,
                VIEW_COORDS | (how & 2 ? VIEW_SCREEN : 0));
    if (how & 4)
        rt_window(in.small(), in.small(), in.small(), in.small(),
                  WINDOW_COORDS | (how & 8 ? WINDOW_SCREEN : 0));
    error_pending_take();
    const double odd[] = {NAN, INFINITY, -INFINITY, 1e300};
    r->draw_angle = how & 16 ? odd[in.byte() % 4] : in.small() * 7.5;
    r->draw_scale = how & 32 ? odd[in.byte() % 4] : in.byte() / 4.0;
    r->gfx_cursor_x = in.small();
    r->gfx_cursor_y = in.small();
    r->blend_off = how >> 6 & 1;
}

void draw_once(fuzz_input &in, image_slot *r)
{
    page_set_up(in, r);
    std::vector<uint8_t> before = fuzz_page_bytes(r);
    string_descriptor s{};
    s.chr = const_cast<uint8_t *>(in.data + in.at);
    s.len = int32_t(in.size - in.at);
    rt_draw(&s);
    uint32_t error = error_pending_take();
    if (error != 0 && error != 5 && error != 6)
        std::abort();
    if (!std::isfinite(r->gfx_cursor_x) || !std::isfinite(r->gfx_cursor_y))
        std::abort();
    if (fuzz_outside_view_changed(r, before))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz_screen_start();
    area_fill();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_input in{data, size};
    fuzz_on_image(in, MODES, 96, 64, [&](image_slot *r) { draw_once(in, r); });
    return 0;
}
