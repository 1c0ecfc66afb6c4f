#include "drawing_support.h"

#include "screen/images.h"
#include "screen/screen_modes.h"

#include <cstdlib>

image_slot *drawing_test::page(int32_t mode, int32_t width, int32_t height)
{
    int32_t screen = mode == 32 ? image_new(width, height, 32, true) : mode;
    rt_screen(screen, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    EXPECT_EQ(error_pending_take(), 0u);
    return write_page.record;
}

pixel_set pixels_changed(const image_slot *r, const std::vector<uint32_t> &before,
                         const std::vector<uint32_t> &after)
{
    pixel_set out;
    for (size_t i = 0; i < before.size(); i++)
        if (before[i] != after[i])
            out.insert({int32_t(i % r->width), int32_t(i / r->width)});
    return out;
}

std::vector<std::pair<int32_t, int32_t>> reference_line(int32_t x1, int32_t y1, int32_t x2,
                                                        int32_t y2)
{
    int64_t dx = x2 - x1, dy = y2 - y1;
    int64_t n = std::max(std::llabs(dx), std::llabs(dy));
    auto towards = [n](int64_t from, int64_t d, int64_t i) {
        if (n == 0)
            return from;
        return (2 * (from * n + d * i) + n) / (2 * n); // from + d i / n, halves up
    };
    std::vector<std::pair<int32_t, int32_t>> out;
    for (int64_t i = 0; i <= n; i++)
        out.push_back({int32_t(towards(x1, dx, i)), int32_t(towards(y1, dy, i))});
    return out;
}
