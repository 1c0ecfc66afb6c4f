// Fuzz target for the scaled copy. The input chooses two pictures (sides up
// to 70,000 pixels, formats, transparent index, blending) and two rectangles
// whose corners come from a table of awkward values (+-3E9, the picture's
// edges, 64-bit extremes of the statement's range) or from the input; the
// copy engine must then match the per-pixel reference exactly and leave the
// guard rows alone. The rest of the input drives the statement itself with
// any flags and with corners that may be NaN, infinite or huge, on software
// images, pages and a hardware image: BASIC errors are expected and cleared,
// nothing may crash or trip a sanitizer.
#include "core/errors.h"
#include "display/hardware_images.h"
#include "display/hgc_queue.h"
#include "fuzz/fuzz_support.h"
#include "graphics/scaled_copy.h"
#include "graphics/scaled_copy_reference.h"
#include "screen/image_slots.h"
#include "screen/images.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace
{

constexpr int32_t SIDE_MAX = 70000;
constexpr int64_t AREA_MAX = 1 << 12;

// Small pictures, or with `large` one in 16 with a side up to 70,000 and the
// area held to AREA_MAX.
void picture_size(fuzz_input &in, int32_t *w, int32_t *h, bool large)
{
    uint32_t pick = in.byte();
    if (!large || pick % 16) {
        *w = 1 + int32_t(in.byte() % 64);
        *h = 1 + int32_t(pick % 48);
        return;
    }
    *w = 1 + int32_t((in.byte() << 16 | in.byte() << 8 | in.byte()) % SIDE_MAX);
    int64_t room = std::max<int64_t>(1, AREA_MAX / *w);
    *h = 1 + int32_t((in.byte() << 8 | in.byte()) % room);
}

int64_t engine_corner(fuzz_input &in, int32_t size)
{
    uint32_t pick = in.byte(), raw = in.word();
    switch (pick % 8) {
    case 0:
        return -3000000000LL;
    case 1:
        return 3000000000LL;
    case 2:
        return size - 1;
    case 3:
        return size;
    case 4:
        return -1 - int64_t(raw % 4);
    case 5: // anything the statement can make: a rounded corner plus a view offset
        return int64_t(int32_t(raw)) + int64_t(int32_t(in.word()));
    default:
        return int64_t(raw % uint32_t(size + 8)) - 4;
    }
}

void engine_check(fuzz_input &in)
{
    uint32_t kind = in.byte();
    const int32_t formats[][2] = {{1, 4}, {1, 1}, {4, 4}, {4, 1}};
    int32_t sw, sh, dw, dh;
    // A large destination would make the reference's per-pixel walk slow.
    picture_size(in, &sw, &sh, true);
    picture_size(in, &dw, &dh, false);
    test_picture src(sw, sh, formats[kind % 4][0]), dst(dw, dh, formats[kind % 4][1]);
    picture_fill(src, in.word());
    picture_fill(dst, in.word());
    src.key = (kind & 4) ? int32_t(in.byte()) : -1;
    src.blending_off = kind & 8;
    dst.blending_off = kind & 16;
    copy_rect from{engine_corner(in, sw), engine_corner(in, sh), engine_corner(in, sw),
                   engine_corner(in, sh)};
    copy_rect to{engine_corner(in, dw), engine_corner(in, dh), engine_corner(in, dw),
                 engine_corner(in, dh)};
    test_picture want = dst;
    reference_copy(src, from, want, to);
    scaled_copy_pixels(src.view(), from, dst.view(), to);
    if (dst.bytes != want.bytes) {
        std::fprintf(stderr, "engine and reference differ\n");
        std::abort();
    }
}

// The handles of fuzz_statement_images.
int32_t handles[8];

double statement_corner(fuzz_input &in)
{
    static const double values[] = {std::numeric_limits<double>::quiet_NaN(),
                                    std::numeric_limits<double>::infinity(),
                                    -std::numeric_limits<double>::infinity(),
                                    3e9,
                                    -3e9,
                                    1e300,
                                    -0.5,
                                    2.5};
    uint32_t pick = in.byte();
    if (pick < 8)
        return values[pick];
    return double(int32_t(in.word())) / double(1 + pick % 16);
}

void statement_run(fuzz_input &in)
{
    double c[8];
    for (double &v : c)
        v = statement_corner(in);
    uint32_t flags = in.byte() << 8 | in.byte();
    int32_t source = handles[in.byte() % 8], destination = handles[in.byte() % 8];
    image_slot *page = image_slot_get(page_table[0]);
    uint8_t mode = uint8_t(in.byte() % 3);
    page->coord_mode = mode;
    page->scale_x = float(statement_corner(in));
    page->offset_x = float(statement_corner(in));
    page->view_offset_x = int32_t(in.word());
    image_rect_copy_scaled(c[0], c[1], c[2], c[3], source, destination, c[4], c[5], c[6], c[7],
                           flags & 0x7FF);
    error_pending_take();
    hgc_list_create(); // nothing executes the queue here
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz_statement_images(handles);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_input in{data, size};
    engine_check(in);
    for (int i = 0; i < 4 && in.at < in.size; i++)
        statement_run(in);
    return 0;
}
