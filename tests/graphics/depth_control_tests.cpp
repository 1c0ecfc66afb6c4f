#include "graphics_support.h"

#include "core/errors.h"
#include "display/frame_ring.h"
#include "display/hardware_images.h"
#include "display/hgc_queue.h"
#include "graphics/depth_control.h"
#include "screen/images.h"

namespace
{

using depth_control = graphics_test;

// Each target keeps its own mode; the others keep theirs.
TEST_F(depth_control, options_set_the_mode_of_their_target_only)
{
    int32_t hw = hardware_image_kept(4, 4), other = hardware_image_kept(4, 4);
    const int32_t image = hardware_img_index(hw);
    const struct {
        int32_t option, handle;
        uint32_t flags;
        int32_t target;
        uint32_t mode;
    } cases[] = {
        {2, 0, 0, HGC_HARDWARE_LAYER, DEPTH_OFF}, // no handle: the hardware layer
        {3, 1, 1, HGC_SECOND_HARDWARE_LAYER, DEPTH_READ_ONLY},
        {2, hw, 1, image, DEPTH_OFF},
        {1, 0, 1, HGC_HARDWARE_LAYER, DEPTH_READ_WRITE},
        {3, hw, 1, image, DEPTH_READ_ONLY},
    };
    for (const auto &c : cases) {
        uint32_t before[] = {depth_mode_of(HGC_HARDWARE_LAYER),
                             depth_mode_of(HGC_SECOND_HARDWARE_LAYER), depth_mode_of(image)};
        EXPECT_EQ(error_of([&] { depth_buffer_control(c.option, c.handle, c.flags); }), 0u);
        EXPECT_EQ(depth_mode_of(c.target), c.mode) << c.option << " " << c.target;
        const int32_t targets[] = {HGC_HARDWARE_LAYER, HGC_SECOND_HARDWARE_LAYER, image};
        for (int i = 0; i < 3; i++)
            EXPECT_TRUE(targets[i] == c.target || depth_mode_of(targets[i]) == before[i]) << i;
    }
    EXPECT_EQ(depth_mode_of(hardware_img_index(other)), DEPTH_READ_WRITE);
}

TEST_F(depth_control, option_4_queues_a_depth_clear_of_the_target)
{
    int32_t hw = hardware_image_kept(4, 4);
    const struct {
        int32_t handle;
        uint32_t flags;
        int32_t destination;
    } cases[] = {{7, 0, HGC_HARDWARE_LAYER},
                 {1, 1, HGC_SECOND_HARDWARE_LAYER},
                 {hw, 1, hardware_img_index(hw)}};
    for (const auto &c : cases) {
        depth_buffer_control(4, c.handle, c.flags);
        hgc_record r = last_queued();
        EXPECT_EQ(r.type, HGC_DEPTH_CLEAR);
        EXPECT_EQ(r.destination, c.destination);
        EXPECT_EQ(r.source, 0);
        EXPECT_EQ(r.frame_order, frame_order_counter.load());
    }
    EXPECT_EQ(depth_mode_of(HGC_HARDWARE_LAYER), DEPTH_READ_WRITE);
}

TEST_F(depth_control, refuses_bad_targets_and_options_and_changes_nothing)
{
    int32_t software = image_new(4, 4, 32, true);
    int32_t released = hardware_image_kept(4, 4);
    hardware_img_release(released);
    uint32_t queued_last = hgc_queue_last.load();
    const struct {
        int32_t option, handle;
        uint32_t error;
    } cases[] = {{2, software, 258}, {4, released, 258}, {2, 2, 5},
                 {4, 2, 5},          {0, 1, 5},          {5, 1, 5}};
    for (const auto &c : cases) {
        depth_buffer_control(c.option, c.handle, 1);
        EXPECT_EQ(error_pending_take(), c.error) << c.option << " " << c.handle;
    }
    error_raise(53);
    EXPECT_EQ(error_of([&] { depth_buffer_control(2, 1, 1); }), 53u);
    EXPECT_EQ(hgc_queue_last.load(), queued_last);
    EXPECT_EQ(depth_mode_of(HGC_SECOND_HARDWARE_LAYER), DEPTH_READ_WRITE);
}

} // namespace
