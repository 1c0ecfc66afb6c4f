// Helpers of the fuzz targets of the graphics statements: reading the input,
// and the images a statement is driven with.
#pragma once

#include "core/dos_memory.h"
#include "core/errors.h"
#include "display/hardware_images.h"
#include "screen/blend_tables.h"
#include "screen/images.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Reads the input front to back; past its end every byte is 0.
struct fuzz_input {
    const uint8_t *data;
    size_t size, at = 0;
    uint32_t byte() { return at < size ? data[at++] : 0; }
    uint32_t word()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; i++)
            v = v << 8 | byte();
        return v;
    }
};

// A fresh runtime with a small 8-bit image as the screen (whole-page work
// stays quick), and the handles a statement may meet: images of both pixel
// sizes, a text image, a hardware image, pages 0 and 1, a name of nothing.
inline void fuzz_statement_images(int32_t handles[8])
{
    dos_memory_reset();
    screen_startup();
    hardware_lists_create();
    rt_screen(image_new(32, 20, 256, true), 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    blend_tables_ensure();
    std::vector<uint32_t> px(64, 0x80FF8040);
    handles[0] = image_new(20, 15, 256, true);
    handles[1] = image_new(20, 15, 32, true);
    handles[2] = image_new(7, 3, 32, true);
    handles[3] = image_new(10, 4, 0, true);
    handles[4] = hardware_img_handle(
        hardware_img_new(8, 8, px.data(), HARDWARE_IMG_KEEP | HARDWARE_IMG_COPY));
    handles[5] = 0;
    handles[6] = 1;
    handles[7] = -9999;
    error_pending_take();
}
