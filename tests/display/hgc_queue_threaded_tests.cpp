#include "display_support.h"

#include "display/hardware_images.h"
#include "display/hgc_queue.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace
{

// Ids of the commands the display ran, in order (main thread only).
std::vector<uint32_t> ran;
void id_record(const hgc_record &c)
{
    ran.push_back(uint32_t(c.source_coords[0]));
}

class hgc_queue_threads : public display_test
{
  protected:
    void SetUp() override
    {
        display_test::SetUp();
        ran.clear();
        hgc_executor_set(id_record);
    }
    void TearDown() override
    {
        hgc_executor_set(nullptr);
        display_test::TearDown();
    }
};

int32_t image_kept()
{
    uint32_t px[4] = {1, 2, 3, 4};
    return hardware_img_new(2, 2, px, HARDWARE_IMG_KEEP | HARDWARE_IMG_COPY);
}

// One display pass over the frame built last, with both hardware layers.
void display_pass()
{
    hgc_pass pass{};
    hgc_pass_begin(pass, last_built_frame_order.load(std::memory_order_acquire));
    hgc_layer_run(pass, HGC_HARDWARE_LAYER);
    hgc_layer_run(pass, HGC_SECOND_HARDWARE_LAYER);
}

TEST_F(hgc_queue_threads, every_command_runs_once_in_order_while_the_program_queues_and_flushes)
{
    std::atomic<bool> done{false};
    std::atomic<uint32_t> queued{0};
    // The program thread: images made, drawn into and released; now and then
    // a frame is built, as the runtime loop would.
    std::thread program([&] {
        uint32_t id = 0;
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < end) {
            int32_t canvas = image_kept(), brush = image_kept();
            for (int i = 0; i < 8; i++) {
                hgc_record c{};
                c.type = HGC_RECT;
                c.source = hardware_img_handle(brush);
                c.destination = canvas;
                c.source_coords[0] = float(++id);
                hgc_queue_command(c);
            }
            hardware_img_release(hardware_img_handle(brush));
            hardware_img_release(hardware_img_handle(canvas));
            last_built_frame_order.store(frame_order_counter.fetch_add(1),
                                         std::memory_order_release);
            std::this_thread::yield();
        }
        queued = id;
        // Two more frames, so that everything queued is drawn.
        for (int i = 0; i < 2; i++)
            last_built_frame_order.store(frame_order_counter.fetch_add(1),
                                         std::memory_order_release);
        done = true;
    });
    while (!done.load())
        display_pass();
    program.join();
    display_pass();

    ASSERT_GT(queued.load(), 100u);
    ASSERT_EQ(ran.size(), queued.load());
    for (uint32_t i = 0; i < ran.size(); i++)
        ASSERT_EQ(ran[i], i + 1);
    EXPECT_TRUE(boxes_shown.empty());
}

} // namespace
