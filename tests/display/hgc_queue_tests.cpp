#include "display_support.h"

#include "core/lists.h"
#include "display/hardware_images.h"
#include "display/hgc_queue.h"

#include <string>
#include <vector>

namespace
{

// What the executor was asked to draw: "type:destination".
std::vector<std::string> drawn;
void draw_record(const hgc_record &c)
{
    drawn.push_back(std::to_string(c.type) + ":" + std::to_string(c.destination));
}

class hgc_queue : public display_test
{
  protected:
    void SetUp() override
    {
        display_test::SetUp();
        drawn.clear();
        hgc_executor_set(draw_record);
    }
    void TearDown() override
    {
        hgc_executor_set(nullptr);
        display_test::TearDown();
    }
};

// An image kept in memory: no GL is needed until it is drawn for real.
int32_t image_kept(int32_t w = 4, int32_t h = 4)
{
    std::vector<uint32_t> px(size_t(w) * h, 0xFF00FF00);
    return hardware_img_handle(
        hardware_img_new(w, h, px.data(), HARDWARE_IMG_KEEP | HARDWARE_IMG_COPY));
}

uint32_t queue(uint32_t type, int32_t source, int32_t destination)
{
    hgc_record c{};
    c.type = type;
    c.source = source;
    c.destination = destination;
    return hgc_queue_command(c);
}

// One display pass with the frame `bound` and both hardware layers.
void display_pass(uint64_t bound)
{
    hgc_pass pass{};
    hgc_pass_begin(pass, bound);
    hgc_layer_run(pass, HGC_HARDWARE_LAYER);
    hgc_layer_run(pass, HGC_SECOND_HARDWARE_LAYER);
}

hgc_record *record(uint32_t index)
{
    return static_cast<hgc_record *>(list_get(hgc_list, int32_t(index)));
}

TEST_F(hgc_queue, commands_of_an_unshown_frame_draw_into_images_but_not_on_the_screen)
{
    int32_t src = image_kept(), dst = image_kept();
    uint32_t a = queue(HGC_RECT, src, 0);                       // frame 1
    uint32_t b = queue(HGC_RECT, src, hardware_img_index(dst)); // frame 1
    frame_order_counter = 3;
    uint32_t c = queue(HGC_RECT, src, HGC_SECOND_HARDWARE_LAYER); // frame 3
    display_pass(2);
    EXPECT_EQ(drawn, (std::vector<std::string>{"1:" + std::to_string(hardware_img_index(dst))}));
    EXPECT_EQ(record(a)->executed, 1);
    EXPECT_EQ(record(b)->executed, 1);
    EXPECT_EQ(record(c)->executed, 0);
    EXPECT_EQ(hgc_last_executed.load(), b);
}

TEST_F(hgc_queue, commands_of_the_shown_frame_run_in_their_layers)
{
    int32_t src = image_kept(), dst = image_kept(), doomed = image_kept();
    int32_t dst_index = hardware_img_index(dst);
    queue(HGC_RECT, src, HGC_SECOND_HARDWARE_LAYER);
    queue(HGC_TRIANGLE_2D, src, HGC_HARDWARE_LAYER);
    queue(HGC_TRIANGLE_3D, src, dst_index);
    queue(HGC_FREE_IMAGE, doomed, 0);
    hgc_record disabled{};
    disabled.type = HGC_RECT;
    disabled.source = src;
    disabled.disabled = 1;
    hgc_queue_command(disabled);

    hgc_pass pass{};
    hgc_pass_begin(pass, 1);
    hgc_layer_run(pass, HGC_HARDWARE_LAYER);
    EXPECT_EQ(drawn, (std::vector<std::string>{"4:0", "5:" + std::to_string(dst_index)}));
    EXPECT_EQ(hardware_img_of(doomed), nullptr);
    drawn.clear();
    hgc_layer_run(pass, HGC_SECOND_HARDWARE_LAYER);
    EXPECT_EQ(drawn, (std::vector<std::string>{"1:-1"}));
    EXPECT_TRUE(boxes_shown.empty()); // the free ran once
}

TEST_F(hgc_queue, commands_naming_an_image_that_is_gone_are_skipped)
{
    int32_t src = image_kept(), dst = image_kept();
    queue(HGC_RECT, src, 0);
    queue(HGC_RECT, dst, hardware_img_index(src));
    queue(HGC_DEPTH_CLEAR, 0, hardware_img_index(src));
    queue(HGC_FREE_IMAGE, src, 0);
    free_hardware_img(src, 0);
    display_pass(1);
    EXPECT_TRUE(drawn.empty());
    EXPECT_TRUE(boxes_shown.empty()); // the queued free of a gone image is quiet
    free_hardware_img(src, 0);
    EXPECT_EQ(boxes_shown, (std::vector<std::string>{"free_hardware_img: image does not exist"}));
}

TEST_F(hgc_queue, a_released_image_is_freed_only_after_the_commands_queued_before_it)
{
    int32_t image = image_kept();
    queue(HGC_RECT, image, 0);
    hardware_img_release(image);
    EXPECT_EQ(hardware_img_lookup(image), nullptr); // the program can no longer name it
    ASSERT_NE(hardware_img_of(image), nullptr);
    uint32_t request = hgc_queue_last.load();
    EXPECT_EQ(record(request)->type, HGC_FREE_REQUEST);

    display_pass(1); // the drawing runs, the request is a no-op
    EXPECT_EQ(drawn, (std::vector<std::string>{"1:0"}));
    EXPECT_NE(hardware_img_of(image), nullptr);

    frame_order_counter = 3;
    display_pass(2);
    hardware_queue_flush(); // the executed request becomes a free for frame 3
    uint32_t free_command = hgc_queue_last.load();
    EXPECT_EQ(record(free_command)->type, HGC_FREE_IMAGE);
    EXPECT_EQ(record(free_command)->frame_order, 3u);
    display_pass(3);
    EXPECT_EQ(hardware_img_of(image), nullptr);
    EXPECT_TRUE(boxes_shown.empty());
}

TEST_F(hgc_queue, the_flush_keeps_the_last_executed_command_and_the_frame_being_drawn)
{
    int32_t src = image_kept();
    uint32_t a = queue(HGC_RECT, src, 0);
    uint32_t b = queue(HGC_RECT, src, 0);
    frame_order_counter = 2;
    uint32_t c = queue(HGC_RECT, src, 0);
    uint32_t d = queue(HGC_RECT, src, 0);
    frame_order_counter = 5;
    display_pass(2); // a, b dropped as older; c, d drawn with frame 2
    ASSERT_EQ(hgc_last_executed.load(), d);

    hardware_queue_flush();
    // a and b are done; c and d belong to the frame being drawn.
    EXPECT_EQ(hgc_queue_first.load(), c);
    EXPECT_EQ(record(a), nullptr);
    EXPECT_EQ(record(b), nullptr);

    display_pass(4);
    hardware_queue_flush();
    EXPECT_EQ(hgc_queue_first.load(), d); // the last executed one stays
    EXPECT_NE(record(d), nullptr);
    uint32_t e = queue(HGC_RECT, src, 0);
    EXPECT_EQ(record(d)->next, e);
    display_pass(5);
    EXPECT_EQ(drawn.size(), 3u);
}

} // namespace
