// Fuzz target for the textured triangle. The input chooses a source picture
// (sides up to 70,000 pixels, either pixel size, a transparent index,
// blending) and a small destination, and the twelve coordinates from a table
// of awkward values (NaN, infinities, the limits and just beyond them, the
// source's edges) or from the input; the fill must then match the per-pixel
// reference exactly, leave the guard rows alone, and the reference must
// never have been sent outside the source. The rest of the input drives the
// statement itself with any flags on software images, pages, a text image
// and a hardware image: BASIC errors are expected and cleared, nothing may
// crash or trip a sanitizer.
#include "core/errors.h"
#include "display/hardware_images.h"
#include "display/hgc_queue.h"
#include "fuzz/fuzz_support.h"
#include "graphics/triangle_reference.h"
#include "screen/image_slots.h"
#include "screen/images.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace
{

constexpr int32_t SIDE_MAX = 70000;
constexpr int64_t AREA_MAX = 1 << 12;

void source_size(fuzz_input &in, int32_t *w, int32_t *h)
{
    uint32_t pick = in.byte();
    if (pick % 8) {
        *w = 1 + int32_t(in.byte() % 24);
        *h = 1 + int32_t(pick % 20);
        return;
    }
    *w = 1 + int32_t((in.byte() << 16 | in.byte() << 8 | in.byte()) % SIDE_MAX);
    *h = 1 + int32_t((in.byte() << 8 | in.byte()) % std::max<int64_t>(1, AREA_MAX / *w));
    if (pick & 8)
        std::swap(*w, *h);
}

float coordinate(fuzz_input &in, int32_t size)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float values[] = {std::numeric_limits<float>::quiet_NaN(),
                            inf,
                            -inf,
                            16383.0f,
                            16383.4f,
                            16383.6f,
                            16382.99f,
                            -16383.99f,
                            -16384.0f,
                            -0.5f,
                            float(size) - 0.5f,
                            float(size)};
    uint32_t pick = in.byte();
    if (pick < 12)
        return values[pick];
    if (pick < 16) {
        float f;
        uint32_t bits = in.word();
        std::memcpy(&f, &bits, 4);
        return f;
    }
    if (pick < 64)
        return float(int32_t(in.word()) % 40000) / float(1 + pick % 4);
    return float(int32_t(in.byte() << 8 | in.byte()) % 160 - 50) + float(pick % 4) * 0.25f;
}

void fill_check(fuzz_input &in)
{
    uint32_t kind = in.byte();
    int32_t sw, sh, bpp = (kind & 1) ? 4 : 1;
    source_size(in, &sw, &sh);
    test_picture src(sw, sh, bpp),
        dst(1 + int32_t(in.byte() % 64), 1 + int32_t(in.byte() % 64), bpp);
    picture_fill(src, in.word());
    picture_fill(dst, in.word());
    src.key = (kind & 2) ? int32_t(in.byte()) : -1;
    src.blending_off = kind & 4;
    dst.blending_off = kind & 8;
    float s[6], d[6];
    for (int i = 0; i < 6; i++)
        s[i] = coordinate(in, i % 2 ? sh : sw);
    for (int i = 0; i < 6; i++)
        d[i] = coordinate(in, i % 2 ? dst.height : dst.width);
    test_picture want = dst;
    triangle_ref::result r = reference_triangle(src, want, s, d, kind & 16);
    bool ok = triangle_map_pixels(triangle_view(src), triangle_view(dst), s, d, kind & 16);
    if (r.read_outside || ok != r.valid || dst.bytes != want.bytes) {
        std::fprintf(stderr, "fill and reference differ (outside %d, valid %d/%d)\n",
                     r.read_outside, ok, r.valid);
        std::abort();
    }
}

// The handles of fuzz_statement_images.
int32_t handles[8];

void statement_run(fuzz_input &in)
{
    float c[15];
    for (float &v : c)
        v = coordinate(in, 20);
    uint32_t flags = in.byte() & 0x7F;
    int32_t source = handles[in.byte() % 8], destination = handles[in.byte() % 8];
    int32_t cull = int32_t(in.byte() % 4) - 1, smooth = int32_t(in.byte() % 5);
    image_triangle_map(cull, c[0], c[1], c[2], c[3], c[4], c[5], source, c[6], c[7], c[8], c[9],
                       c[10], c[11], c[12], c[13], c[14], destination, smooth, flags);
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
    fill_check(in);
    for (int i = 0; i < 4 && in.at < in.size; i++)
        statement_run(in);
    return 0;
}
