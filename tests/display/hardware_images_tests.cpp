#include "display_support.h"

#include "core/errors.h"
#include "core/lists.h"
#include "display/hardware_images.h"
#include "display/hgc_queue.h"
#include "screen/images.h"

#include <vector>

namespace
{

class hardware_images : public display_test
{
};

std::vector<uint32_t> numbered(int32_t w, int32_t h)
{
    std::vector<uint32_t> px(size_t(w) * h);
    for (size_t i = 0; i < px.size(); i++)
        px[i] = uint32_t(i);
    return px;
}

TEST_F(hardware_images, padding_repeats_the_last_column_and_row_once)
{
    std::vector<uint32_t> px = numbered(640, 400);
    int32_t w = 640, h = 400;
    const uint32_t *padded = power_of_two_pad(&w, &h, px.data());
    ASSERT_EQ(w, 1024);
    ASSERT_EQ(h, 512);
    for (int32_t y = 0; y < 400; y++) {
        ASSERT_EQ(padded[size_t(y) * 1024], px[size_t(y) * 640]);
        ASSERT_EQ(padded[size_t(y) * 1024 + 639], px[size_t(y) * 640 + 639]);
        ASSERT_EQ(padded[size_t(y) * 1024 + 640], px[size_t(y) * 640 + 639]);
    }
    for (int32_t x = 0; x <= 640; x++)
        ASSERT_EQ(padded[size_t(400) * 1024 + x], padded[size_t(399) * 1024 + x]);
}

TEST_F(hardware_images, padding_adds_a_column_or_row_only_where_the_side_grew)
{
    // The padding buffer is exactly as large as the padded picture, so a
    // column written right of a 512-pixel row would run past it (and past the
    // end of the last row under AddressSanitizer).
    std::vector<uint32_t> px = numbered(512, 300);
    int32_t w = 512, h = 300;
    const uint32_t *padded = power_of_two_pad(&w, &h, px.data());
    ASSERT_EQ(w, 512);
    ASSERT_EQ(h, 512);
    EXPECT_EQ(padded[size_t(1) * 512], px[512]); // rows keep their length
    for (int32_t x = 0; x < 512; x++)
        ASSERT_EQ(padded[size_t(300) * 512 + x], px[size_t(299) * 512 + x]);

    px = numbered(3, 4); // only the width grows
    w = 3, h = 4;
    padded = power_of_two_pad(&w, &h, px.data());
    ASSERT_EQ(w, 4);
    ASSERT_EQ(h, 4);
    EXPECT_EQ(padded[3 * 4 + 3], px[3 * 3 + 2]);

    px = numbered(8, 2);
    w = 8, h = 2;
    EXPECT_EQ(power_of_two_pad(&w, &h, px.data()), px.data());
}

TEST_F(hardware_images, handles_name_list_elements_in_their_range_only)
{
    std::vector<uint32_t> px = numbered(2, 2);
    int32_t index = 0;
    for (int i = 0; i < 5; i++)
        index = hardware_img_new(2, 2, px.data(), HARDWARE_IMG_KEEP | HARDWARE_IMG_COPY);
    ASSERT_EQ(index, 5);
    EXPECT_EQ(hardware_img_lookup(-16777216 + 5), hardware_img_record(5));
    EXPECT_EQ(hardware_img_lookup(-16777216 + 6), nullptr);
    EXPECT_EQ(hardware_img_lookup(-8388608), nullptr);
    EXPECT_EQ(hardware_img_lookup(-16777217), nullptr);
    EXPECT_EQ(hardware_img_new(0, 3, px.data(), HARDWARE_IMG_KEEP | HARDWARE_IMG_COPY), 0);
}

TEST_F(hardware_images, the_image_layer_copies_sizes_and_releases_them)
{
    int32_t soft = image_new(6, 5, 32, true);
    int32_t hard = image_copy(soft, 33, IMAGE_COPY_HANDLE_GIVEN | IMAGE_COPY_MODE_GIVEN);
    ASSERT_EQ(error_pending_take(), 0u);
    ASSERT_LT(hard, -8388608);
    EXPECT_EQ(image_width(hard, true), 6);
    EXPECT_EQ(image_height(hard, true), 5);
    image_blend_off(hard, true);
    EXPECT_EQ(hardware_img_lookup(hard)->blending_off, 1u);

    EXPECT_EQ(error_of([&] { image_free(hard, true); }), 0u);
    auto *queued = static_cast<hgc_record *>(list_get(hgc_list, int32_t(hgc_queue_last.load())));
    ASSERT_NE(queued, nullptr);
    EXPECT_EQ(queued->type, HGC_FREE_REQUEST);
    EXPECT_EQ(queued->source, hard);
    EXPECT_EQ(image_width(hard, true), 0);
    EXPECT_EQ(error_pending_take(), 258u);
    EXPECT_EQ(error_of([&] { image_free(hard, true); }), 258u);
}

} // namespace
