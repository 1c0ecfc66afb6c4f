// Fuzz target for graphics PUT and GET: the leading bytes choose an image's
// mode and size, the point, action, transparent colour and flags of a PUT,
// the corners, fill and flags of a GET and the length of its array; the rest
// is the array image PUT reads. Nothing may crash or trip a sanitizer (the
// arrays are exactly as long as given and unaligned, the page is its own
// allocation); the error must be 0 or 5, and a refused statement changes
// neither the page nor the array.
#include "fuzz/fuzz_image.h"

#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "files/byte_element.h"
#include "graphics/array_image.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/screen_startup.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{

constexpr int32_t MODES[] = {1, 2, 7, 9, 11, 12, 13, 256, 32};

float coordinate(fuzz_input &in)
{
    float v = in.small();
    return in.byte() & 1 ? v : v / 2;
}

void put_once(fuzz_input &in, image_slot *r)
{
    float x = coordinate(in), y = coordinate(in);
    uint32_t action = in.byte() % 8, transparent = in.word(), flags = in.byte() & 7;
    // The array: one byte of padding in front, so it lies unaligned.
    std::vector<uint8_t> storage(1 + in.size - in.at);
    std::memcpy(storage.data() + 1, in.data + in.at, in.size - in.at);
    byte_element e{uint64_t(uintptr_t(storage.data() + 1)), int32_t(in.size - in.at)};
    std::vector<uint8_t> before = fuzz_page_bytes(r);
    rt_graphics_put(x, y, &e, action, transparent, flags);
    uint32_t error = error_pending_take();
    if (error != 0 && error != 5)
        std::abort();
    if (error && fuzz_page_bytes(r) != before)
        std::abort();
}

void get_once(fuzz_input &in)
{
    float x1 = coordinate(in), y1 = coordinate(in), x2 = coordinate(in), y2 = coordinate(in);
    uint32_t fill = in.word(), flags = in.byte() & 7;
    size_t length = in.byte() * 4u;
    length += in.byte() % 4;
    std::vector<uint8_t> storage(1 + length, 0xA5);
    byte_element e{uint64_t(uintptr_t(storage.data() + 1)), int32_t(length)};
    rt_graphics_get(x1, y1, x2, y2, &e, fill, flags);
    uint32_t error = error_pending_take();
    if (error != 0 && error != 5)
        std::abort();
    for (size_t i = 1; error && i < storage.size(); i++)
        if (storage[i] != 0xA5)
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
    fuzz_on_image(in, MODES, 80, 60, [&](image_slot *r) {
        get_once(in);
        put_once(in, r);
    });
    return 0;
}
