// The frame of the programs whose window an end-to-end test compares with an
// expected picture: the program draws on a 32-bit screen in software, shows
// it, queues its hardware drawing and displays by hand from then on, so that
// frame and its hardware commands stay on the window. Before it starts it
// writes the picture the window must show (frame pixels, binary PPM) to the
// file named by its first argument. It says "ready" once the frame is
// displayed and ends on the line "end".
#pragma once

#include "core/basic.h"
#include "core/program_thread.h"
#include "core/startup.h"
#include "core/strings.h"
#include "display/window_services.h"
#include "graphics/scaled_copy_reference.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/screen_modes.h"

#include <cstdio>
#include <cstring>

struct picture_script {
    const char *title;
    int32_t width, height;            // the 32-bit screen
    void (*software)();               // makes its images and draws at once
    void (*hardware)();               // queues the hardware drawing
    void (*expected)(test_picture &); // draws the expected picture onto black
};

namespace picture_program
{

inline picture_script script;

inline bool expected_write(const char *path)
{
    test_picture screen(script.width, script.height, 4);
    std::memset(screen.pixels(), 0, size_t(script.width) * size_t(script.height) * 4);
    script.expected(screen);
    FILE *f = std::fopen(path, "wb");
    if (!f)
        return false;
    std::fprintf(f, "P6\n%d %d\n255\n", script.width, script.height);
    for (int32_t y = 0; y < script.height; y++)
        for (int32_t x = 0; x < script.width; x++) {
            uint32_t v = screen.get(x, y);
            const unsigned char rgb[3] = {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
            std::fwrite(rgb, 1, 3, f);
        }
    return std::fclose(f) == 0;
}

inline void main_module()
{
    basic_procedure p;
    p.stmt(10, [] { window_title_set(string_from_cstr(script.title)); });
    p.stmt(20, [] {
        rt_screen(image_new(script.width, script.height, 32, true), 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    });
    p.stmt(30, [] { script.software(); });
    p.stmt(40, [] { display_now(); }); // manual display from here on
    p.stmt(50, [] { script.hardware(); });
    p.stmt(60, [] { display_now(); });
    p.stmt(70, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    for (;;) {
        char line[64];
        p.stmt(80, [&] {
            if (std::fgets(line, sizeof line, stdin) && std::strncmp(line, "end", 3) == 0)
                rt_system();
        });
    }
}

} // namespace picture_program

// The program's main.
inline int picture_program_main(int argc, char **argv, const picture_script &script)
{
    picture_program::script = script;
    if (argc < 2 || !picture_program::expected_write(argv[1])) {
        std::fprintf(stderr, "usage: %s EXPECTED.ppm\n", argv[0]);
        return 2;
    }
    return runtime_main(argc, argv, program_unit{picture_program::main_module, false, false, 0, 0});
}
