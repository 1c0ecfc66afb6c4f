// A program with a window for the scaled copy's end-to-end test: on a 32-bit
// 320 x 200 screen it copies small pictures scaled, mirrored, with a
// transparent colour and with alpha, and queues a hardware image copied onto
// the hardware layer; then it displays by hand, so that frame and its
// hardware command stay on the window. Before it starts it writes the picture
// the window must show (frame pixels, binary PPM) to the file named by its
// first argument, computed by the per-pixel reference of the unit tests. It
// says "ready" once the frame is displayed and ends on the line "end".
#include "core/basic.h"
#include "core/program_thread.h"
#include "core/startup.h"
#include "core/strings.h"
#include "display/window_services.h"
#include "graphics/scaled_copy.h"
#include "graphics/scaled_copy_reference.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/screen_modes.h"

#include <cstdio>
#include <cstring>
#include <string>

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

bool expected_write(const char *path)
{
    pictures p;
    test_picture screen(SCREEN_W, SCREEN_H, 4);
    std::memset(screen.pixels(), 0, size_t(SCREEN_W) * SCREEN_H * 4);
    for (const copy_step &s : STEPS) {
        test_picture &src = picture_of(p, s.which);
        src.key = s.key;
        reference_copy(src, {0, 0, PIC_W - 1, PIC_H - 1}, screen, s.to);
    }
    for (int32_t y = 0; y < 24; y++) // nearest texels of the upside-down x4 copy
        for (int32_t x = 0; x < 32; x++)
            screen.set(HARDWARE_TO.x1 + x, HARDWARE_TO.y2 + y, opaque_px(x / 4, PIC_H - 1 - y / 4));
    FILE *f = std::fopen(path, "wb");
    if (!f)
        return false;
    std::fprintf(f, "P6\n%d %d\n255\n", SCREEN_W, SCREEN_H);
    for (int32_t y = 0; y < SCREEN_H; y++)
        for (int32_t x = 0; x < SCREEN_W; x++) {
            uint32_t v = screen.get(x, y);
            const unsigned char rgb[3] = {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
            std::fwrite(rgb, 1, 3, f);
        }
    return std::fclose(f) == 0;
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

void copies_run()
{
    for (const copy_step &s : STEPS) {
        image_transparent_color_set(uint32_t(s.key), handles[s.which], s.key < 0 ? 1 | 4 : 2 | 4);
        image_rect_copy_scaled(double(s.to.x1), double(s.to.y1), double(s.to.x2), double(s.to.y2),
                               handles[s.which], 0, 0, 0, 0, 0, D12 | COPY_SOURCE_GIVEN);
    }
}

void say(const char *text)
{
    std::printf("%s\n", text);
    std::fflush(stdout);
}

void main_module()
{
    basic_procedure p;
    p.stmt(10, [] { window_title_set(string_from_cstr("Scaled Copy")); });
    p.stmt(20, [] {
        rt_screen(image_new(SCREEN_W, SCREEN_H, 32, true), 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    });
    p.stmt(30, [] { images_make(); });
    p.stmt(40, [] { copies_run(); });
    p.stmt(50, [] { display_now(); }); // manual display from here on
    int32_t hardware = 0;
    p.stmt(60, [&] {
        hardware = image_copy(handles[1], 33, IMAGE_COPY_HANDLE_GIVEN | IMAGE_COPY_MODE_GIVEN);
    });
    p.stmt(70, [&] {
        image_rect_copy_scaled(double(HARDWARE_TO.x1), double(HARDWARE_TO.y1),
                               double(HARDWARE_TO.x2), double(HARDWARE_TO.y2), hardware, 0, 0, 0, 0,
                               0, D12);
    });
    p.stmt(80, [] { display_now(); });
    p.stmt(90, [] { say("ready"); });
    for (;;) {
        char line[64];
        p.stmt(100, [&] {
            if (std::fgets(line, sizeof line, stdin) && std::strncmp(line, "end", 3) == 0)
                rt_system();
        });
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || !expected_write(argv[1])) {
        std::fprintf(stderr, "usage: scaled_copy_program EXPECTED.ppm\n");
        return 2;
    }
    return runtime_main(argc, argv, program_unit{main_module, false, false, 0, 0});
}
