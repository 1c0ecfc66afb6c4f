// The scaled copy's end-to-end program (picture_program.h): on a 32-bit
// 320 x 200 screen it copies small pictures scaled, mirrored, with a
// transparent colour and with alpha, and queues a hardware image copied onto
// the hardware layer. The expected picture comes from the per-pixel
// reference of the unit tests.
#include "graphics/scaled_copy.h"
#include "picture_program.h"

namespace
{

constexpr int32_t SCREEN_W = 320, SCREEN_H = 200, PIC_W = 8, PIC_H = 6;
constexpr uint32_t D12 = COPY_DEST_CORNER1_GIVEN | COPY_DEST_CORNER2_GIVEN;
constexpr int32_t TRANSPARENT_INDEX = 3;

uint32_t palette_colour(uint32_t i)
{
    return 0xFF000000u | (i * 53 % 256) << 16 | (i * 97 % 256) << 8 | (255 - i * 31 % 256);
}
uint32_t index_px(int32_t x, int32_t y)
{
    return uint32_t(x + y * 3) % 7 + 1;
}
uint32_t opaque_px(int32_t x, int32_t y)
{
    return 0xFF000000u | uint32_t(x * 30 + 10) << 16 | uint32_t(y * 40 + 20) << 8 |
           uint32_t(x * y * 5);
}
uint32_t alpha_px(int32_t x, int32_t y)
{
    static const uint32_t alphas[] = {0, 128, 200, 255, 127, 60};
    return alphas[(x + y) % 6] << 24 | uint32_t(250 - x * 20) << 16 | uint32_t(y * 45) << 8 | 90;
}

// The three pictures, as the reference sees them and as images.
struct pictures {
    test_picture index{PIC_W, PIC_H, 1}, opaque{PIC_W, PIC_H, 4}, alpha{PIC_W, PIC_H, 4};
    pictures()
    {
        for (int32_t y = 0; y < PIC_H; y++)
            for (int32_t x = 0; x < PIC_W; x++) {
                index.set(x, y, index_px(x, y));
                opaque.set(x, y, opaque_px(x, y));
                alpha.set(x, y, alpha_px(x, y));
            }
        for (uint32_t i = 0; i < 256; i++)
            index.palette[i] = palette_colour(i);
    }
};

// The copies, in order: picture, destination rectangle, transparent index.
struct copy_step {
    int which; // 0 index, 1 opaque, 2 alpha
    copy_rect to;
    int32_t key;
};
const copy_step STEPS[] = {
    {0, {8, 8, 39, 31}, -1},                 // scaled x4
    {1, {80, 8, 49, 31}, -1},                // mirrored left to right
    {1, {8, 40, 39, 63}, -1},                // background ...
    {0, {8, 40, 39, 63}, TRANSPARENT_INDEX}, // ... with the transparent colour over it
    {1, {49, 40, 80, 63}, -1},               // background ...
    {2, {80, 63, 49, 40}, -1},               // ... alpha over it, mirrored both ways
    {2, {90, 40, 93, 42}, -1},               // alpha shrunk onto black
};
// The hardware copy onto the hardware layer: x4, upside down.
constexpr copy_rect HARDWARE_TO{120, 31, 151, 8};

test_picture &picture_of(pictures &p, int which)
{
    return which == 0 ? p.index : which == 1 ? p.opaque : p.alpha;
}

void expected(test_picture &screen)
{
    pictures p;
    for (const copy_step &s : STEPS) {
        test_picture &src = picture_of(p, s.which);
        src.key = s.key;
        reference_copy(src, {0, 0, PIC_W - 1, PIC_H - 1}, screen, s.to);
    }
    for (int32_t y = 0; y < 24; y++) // nearest texels of the upside-down x4 copy
        for (int32_t x = 0; x < 32; x++)
            screen.set(HARDWARE_TO.x1 + x, HARDWARE_TO.y2 + y, opaque_px(x / 4, PIC_H - 1 - y / 4));
}

// The same pictures as runtime images; handles [0..2].
int32_t handles[3];

void images_make()
{
    pictures p;
    for (int which = 0; which < 3; which++) {
        test_picture &src = picture_of(p, which);
        handles[which] = image_new(PIC_W, PIC_H, which == 0 ? 256 : 32, true);
        image_slot *r = image_slot_get(uint32_t(-handles[which]));
        std::memcpy(r->pixels, src.pixels(), size_t(PIC_W) * PIC_H * size_t(src.bpp));
    }
    for (uint32_t i = 0; i < 256; i++)
        palette_entry_set(int32_t(i), palette_colour(i), handles[0], true);
}

void software()
{
    images_make();
    for (const copy_step &s : STEPS) {
        image_transparent_color_set(uint32_t(s.key), handles[s.which], s.key < 0 ? 1 | 4 : 2 | 4);
        image_rect_copy_scaled(double(s.to.x1), double(s.to.y1), double(s.to.x2), double(s.to.y2),
                               handles[s.which], 0, 0, 0, 0, 0, D12 | COPY_SOURCE_GIVEN);
    }
}

void hardware()
{
    int32_t hw = image_copy(handles[1], 33, IMAGE_COPY_HANDLE_GIVEN | IMAGE_COPY_MODE_GIVEN);
    image_rect_copy_scaled(double(HARDWARE_TO.x1), double(HARDWARE_TO.y1), double(HARDWARE_TO.x2),
                           double(HARDWARE_TO.y2), hw, 0, 0, 0, 0, 0, D12);
}

} // namespace

int main(int argc, char **argv)
{
    return picture_program_main(argc, argv,
                                {"Scaled Copy", SCREEN_W, SCREEN_H, software, hardware, expected});
}
