// Fuzz target for PAINT: the input chooses an image's depth and size, a VIEW,
// the seed, the fill and border colours, blending, an optional tile and
// background string, and the image's pixels. Nothing may crash or trip a
// sanitizer, and no pixel outside the VIEW may change.
#include "fuzz/fuzz_image.h"

#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "screen/drawing.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/screen_startup.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{

constexpr int32_t MODES[] = {1, 2, 7, 8, 9, 10, 11, 12, 13, 256, 32, 32};

void paint_once(fuzz_input &in, image_slot *r)
{
    int32_t w = r->width, h = r->height;
    rt_view(in.byte() % w, in.byte() % h, in.byte() % w, in.byte() % h, 0, 0, VIEW_COORDS);
    float x = float(int8_t(in.byte())), y = float(int8_t(in.byte()));
    uint32_t fill = in.word(), border = in.word();
    uint8_t how = in.byte();
    r->blend_off = how & 1;
    size_t tile_len = in.byte() + (how & 2 ? 200 : 0), back_len = how & 4 ? in.byte() : 0;
    std::vector<uint8_t> tile(tile_len), back(back_len);
    for (auto &b : tile)
        b = in.byte();
    for (auto &b : back)
        b = in.byte();
    size_t bytes = size_t(w) * h * r->bytes_per_pixel;
    for (size_t i = 0; i < bytes; i++)
        r->pixels[i] = in.size ? in.data[(in.at + i) % in.size] : 0;
    std::vector<uint8_t> before = fuzz_page_bytes(r);
    if (how & 8)
        rt_paint_tile(x, y, string_from_buffer(tile.data(), int32_t(tile.size())), border,
                      string_from_buffer(back.data(), int32_t(back.size())),
                      PAINT_TILE_GIVEN | (how & 16 ? PAINT_TILE_BORDER : 0) |
                          (how & 4 ? PAINT_TILE_BACKGROUND : 0));
    else
        rt_paint(x, y, fill, border, nullptr, (how & 16 ? PAINT_BORDER : 0) | PAINT_FILL);
    error_pending_take();
    if (fuzz_outside_view_changed(r, before))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz_screen_start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_input in{data, size};
    fuzz_on_image(in, MODES, 96, 64, [&](image_slot *r) {
        uint32_t mark = string_temp_count;
        paint_once(in, r);
        temp_strings_release(mark);
    });
    return 0;
}
