// A program with a window for the textured triangle's end-to-end test: on a
// 32-bit 640 x 400 screen it draws triangles in software (rotated, blended,
// wrapping, a quad split with the no-shared-edges rule, one cut at the
// screen's edges) and queues one hardware triangle enlarged four times onto
// the hardware layer; then it displays by hand, so that frame and its
// hardware command stay on the window. Before it starts it writes the picture
// the window must show (binary PPM) to the file named by its first argument,
// computed by the per-pixel reference of the unit tests and, for the hardware
// triangle, from the pixel centres inside it. It says "ready" once the frame
// is displayed and ends on the line "end".
#include "core/basic.h"
#include "core/program_thread.h"
#include "core/startup.h"
#include "core/strings.h"
#include "display/window_services.h"
#include "graphics/triangle_map.h"
#include "graphics/triangle_reference.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/screen_modes.h"

#include <cstdio>
#include <cstring>

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

bool expected_write(const char *path)
{
    pictures p;
    test_picture screen(SCREEN_W, SCREEN_H, 4);
    std::memset(screen.pixels(), 0, size_t(SCREEN_W) * SCREEN_H * 4);
    for (const triangle_step &s : STEPS)
        reference_triangle(s.which ? p.alpha : p.opaque, screen, s.s, s.d, s.nse);
    for (int32_t y = 0; y < 64; y++)
        for (int32_t x = 0; x + y < 64; x++)
            screen.set(int32_t(HW_X) + x, int32_t(HW_Y) + y, opaque_px(x / 4, y / 4));
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

void triangles_draw()
{
    for (const triangle_step &t : STEPS) {
        const float *s = t.s, *d = t.d;
        image_triangle_map(0, s[0], s[1], s[2], s[3], s[4], s[5], handles[t.which], d[0], d[1], 0,
                           d[2], d[3], 0, d[4], d[5], 0, 0, 0,
                           TRIANGLE_SOURCE_GIVEN | (t.nse ? TRIANGLE_NO_SHARED_EDGES : 0));
    }
}

void hardware_triangle_queue(int32_t hardware)
{
    image_triangle_map(0, 0, 0, HW_TEXELS, 0, 0, HW_TEXELS, hardware, HW_X, HW_Y, 0, HW_X + HW_SIDE,
                       HW_Y, 0, HW_X, HW_Y + HW_SIDE, 0, 0, 0, 0);
}

void say(const char *text)
{
    std::printf("%s\n", text);
    std::fflush(stdout);
}

void main_module()
{
    basic_procedure p;
    p.stmt(10, [] { window_title_set(string_from_cstr("Textured Triangles")); });
    p.stmt(20, [] {
        rt_screen(image_new(SCREEN_W, SCREEN_H, 32, true), 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    });
    p.stmt(30, [] { images_make(); });
    p.stmt(40, [] { triangles_draw(); });
    p.stmt(50, [] { display_now(); }); // manual display from here on
    int32_t hardware = 0;
    p.stmt(60, [&] {
        hardware = image_copy(handles[0], 33, IMAGE_COPY_HANDLE_GIVEN | IMAGE_COPY_MODE_GIVEN);
    });
    p.stmt(70, [&] { hardware_triangle_queue(hardware); });
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
        std::fprintf(stderr, "usage: triangle_program EXPECTED.ppm\n");
        return 2;
    }
    return runtime_main(argc, argv, program_unit{main_module, false, false, 0, 0});
}
