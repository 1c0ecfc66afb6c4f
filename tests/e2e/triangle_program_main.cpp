// The textured triangle's end-to-end program (picture_program.h): on a
// 32-bit 640 x 400 screen it draws triangles in software (rotated, blended,
// wrapping, a quad split with the no-shared-edges rule, one cut at the
// screen's edges) and queues one hardware triangle enlarged four times onto
// the hardware layer. The expected picture comes from the per-pixel
// reference of the unit tests and, for the hardware triangle, from the pixel
// centres inside it.
#include "graphics/triangle_map.h"
#include "graphics/triangle_reference.h"
#include "picture_program.h"

namespace
{
constexpr int32_t SCREEN_W = 640, SCREEN_H = 400, PIC = 16;
// The hardware triangle: its sides of 64.25 pixels keep every pixel centre
// off its edges, so which pixels it covers is certain.
constexpr float HW_X = 400, HW_Y = 40, HW_SIDE = 64.25f, HW_TEXELS = 16.0625f;

uint32_t opaque_px(int32_t x, int32_t y)
{
    return 0xFF000000u | uint32_t(x * 15 + 10) << 16 | uint32_t(y * 15 + 20) << 8 |
           uint32_t((x ^ y) * 16);
}
uint32_t alpha_px(int32_t x, int32_t y)
{
    static const uint32_t alphas[] = {0, 128, 200, 255, 127, 60};
    return alphas[(x + y) % 6] << 24 | uint32_t(250 - x * 10) << 16 | uint32_t(y * 15) << 8 | 90;
}

struct triangle_step {
    int which; // 0 opaque, 1 alpha
    float s[6], d[6];
    bool nse;
};
const triangle_step STEPS[] = {
    {0, {0, 0, 15.5f, 0, 0, 15.5f}, {20, 20, 150, 40, 40, 170}, false},
    {1, {2, 2, 14, 3, 5, 14}, {60, 60, 220, 90, 90, 230}, false},
    {0, {-10, -10, 40, -5, 0, 35}, {250, 20, 380, 30, 260, 180}, false},
    {0, {0, 0, 15, 0, 15, 15}, {20, 250, 200, 240, 210, 380}, true},
    {0, {0, 0, 15, 15, 0, 15}, {20, 250, 210, 380, 30, 390}, true},
    {1, {0, 0, 16, 8, 3, 16}, {560, -50, 700, 100, 520, 450}, false},
};

struct pictures {
    test_picture opaque{PIC, PIC, 4}, alpha{PIC, PIC, 4};
    pictures()
    {
        for (int32_t y = 0; y < PIC; y++)
            for (int32_t x = 0; x < PIC; x++) {
                opaque.set(x, y, opaque_px(x, y));
                alpha.set(x, y, alpha_px(x, y));
            }
    }
};

void expected(test_picture &screen)
{
    pictures p;
    for (const triangle_step &s : STEPS)
        reference_triangle(s.which ? p.alpha : p.opaque, screen, s.s, s.d, s.nse);
    for (int32_t y = 0; y < 64; y++)
        for (int32_t x = 0; x + y < 64; x++)
            screen.set(int32_t(HW_X) + x, int32_t(HW_Y) + y, opaque_px(x / 4, y / 4));
}

int32_t handles[2];

void images_make()
{
    pictures p;
    test_picture *pics[2] = {&p.opaque, &p.alpha};
    for (int which = 0; which < 2; which++) {
        handles[which] = image_new(PIC, PIC, 32, true);
        std::memcpy(image_slot_get(uint32_t(-handles[which]))->pixels, pics[which]->pixels(),
                    size_t(PIC) * PIC * 4);
    }
}

void software()
{
    images_make();
    for (const triangle_step &t : STEPS) {
        const float *s = t.s, *d = t.d;
        image_triangle_map(0, s[0], s[1], s[2], s[3], s[4], s[5], handles[t.which], d[0], d[1], 0,
                           d[2], d[3], 0, d[4], d[5], 0, 0, 0,
                           TRIANGLE_SOURCE_GIVEN | (t.nse ? TRIANGLE_NO_SHARED_EDGES : 0));
    }
}

void hardware()
{
    int32_t hw = image_copy(handles[0], 33, IMAGE_COPY_HANDLE_GIVEN | IMAGE_COPY_MODE_GIVEN);
    image_triangle_map(0, 0, 0, HW_TEXELS, 0, 0, HW_TEXELS, hw, HW_X, HW_Y, 0, HW_X + HW_SIDE, HW_Y,
                       0, HW_X, HW_Y + HW_SIDE, 0, 0, 0, 0);
}

} // namespace

int main(int argc, char **argv)
{
    return picture_program_main(
        argc, argv, {"Textured Triangles", SCREEN_W, SCREEN_H, software, hardware, expected});
}
