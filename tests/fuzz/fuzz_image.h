// Helpers of the fuzz targets that draw on an image: the input read front to
// back, an image of a chosen mode and size made the current page for one run,
// and the check that nothing outside the VIEW changed.
#pragma once

#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/screen_startup.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// The runtime's memory, strings and screen, as the targets' start-up needs.
inline void fuzz_screen_start()
{
    dos_memory_reset();
    strings_static_init();
    screen_startup();
}

// Reads the input front to back; past its end every byte is 0.
struct fuzz_input {
    const uint8_t *data;
    size_t size, at = 0;
    uint8_t byte() { return at < size ? data[at++] : 0; }
    int8_t small() { return int8_t(byte()); }
    uint32_t word()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; i++)
            v = v << 8 | byte();
        return v;
    }
};

// Makes an image of one of the modes (the next byte chooses) of 1 to max_width
// by 1 to max_height pixels (the next two bytes), makes it the write and the
// read page, runs run(record) and frees it again. Nothing happens when the
// image cannot be made.
template <size_t N, typename Run>
void fuzz_on_image(fuzz_input &in, const int32_t (&modes)[N], int32_t max_width, int32_t max_height,
                   Run run)
{
    int32_t mode = modes[in.byte() % N];
    int32_t w = 1 + in.byte() % max_width, h = 1 + in.byte() % max_height;
    int32_t handle = image_new(w, h, mode, true);
    if (error_pending_take() || handle >= 0)
        return;
    write_page_set(handle);
    read_page_set(handle);
    run(image_slot_get(uint32_t(-handle)));
    write_page_set(0);
    read_page_set(0);
    image_free(handle, true);
    error_pending_take();
}

// The image's pixel bytes.
inline std::vector<uint8_t> fuzz_page_bytes(const image_slot *r)
{
    return {r->pixels, r->pixels + size_t(r->width) * r->height * r->bytes_per_pixel};
}

// True when a pixel outside the image's VIEW differs from the snapshot.
inline bool fuzz_outside_view_changed(const image_slot *r, const std::vector<uint8_t> &before)
{
    for (int32_t y = 0; y < r->height; y++)
        for (int32_t x = 0; x < r->width; x++) {
            size_t at = (size_t(y) * r->width + x) * r->bytes_per_pixel;
            bool outside = x < r->clip_x1 || x > r->clip_x2 || y < r->clip_y1 || y > r->clip_y2;
            if (outside && std::memcmp(r->pixels + at, before.data() + at, r->bytes_per_pixel))
                return true;
        }
    return false;
}
