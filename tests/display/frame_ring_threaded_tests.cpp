#include "display_support.h"

#include "display/frame_builder.h"
#include "display/runtime_loop.h"
#include "platform/clock.h"
#include "screen/screen_modes.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace
{

class frame_ring_threads : public display_test
{
  protected:
    void TearDown() override
    {
        frame_builder_started = false;
        frame_build_pause = 0;
        display_test::TearDown();
    }
};

// Every cell of the page in background colour 1 + k % 7, so that a complete
// frame is one colour and a half-built one two.
void page_fill(uint32_t k)
{
    image_slot *page = display_page_record.load();
    auto attribute = uint8_t((1 + k % 7) << 4);
    for (size_t i = 0; i < size_t(page->width) * page->height; i++) {
        page->pixels[i * 2] = ' ';
        page->pixels[i * 2 + 1] = attribute;
    }
}

// Whether a frame is one colour of the seven the builder uses.
bool frame_whole(const frame_slot *f, const uint32_t *palette)
{
    uint32_t first = f->pixels[0];
    bool known = false;
    for (int i = 1; i <= 7; i++)
        known |= first == palette[i];
    if (!known)
        return false;
    for (size_t i = 1; i < size_t(f->width) * f->height; i++)
        if (f->pixels[i] != first)
            return false;
    return true;
}

TEST_F(frame_ring_threads, builder_and_display_exchange_whole_frames)
{
    rt_width(0, 40, 25, 1 | 2); // 640 x 400
    std::vector<uint32_t> palette(display_page_record.load()->palette,
                                  display_page_record.load()->palette + 256);
    // The pauser stops first: a pause it asks for is answered only while the
    // builder still builds.
    std::atomic<bool> stop_pauser{false}, stop_builder{false};
    std::atomic<uint32_t> built{0};

    std::thread builder([&] {
        for (uint32_t k = 0; !stop_builder.load(std::memory_order_relaxed); k++) {
            page_fill(k);
            runtime_frame_build();
            built.fetch_add(1, std::memory_order_relaxed);
        }
    });
    // Page changes ask the builder to pause now and then.
    std::thread pauser([&] {
        while (!stop_pauser.load(std::memory_order_relaxed)) {
            bool paused = frame_builder_pause_begin();
            frame_builder_pause_end(paused);
            clock_sleep_ms(3);
        }
    });

    uint32_t shown = 0, broken = 0, overwritten = 0;
    uint64_t last_order = 0;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < end) {
        frame_slot *f = frame_ring_take_newest();
        if (!f || f->order.load() == last_order) {
            std::this_thread::yield();
            continue;
        }
        ASSERT_GT(f->order.load(), last_order);
        last_order = f->order.load();
        shown++;
        if (!frame_whole(f, palette.data()))
            broken++;
        uint32_t before = f->pixels[0];
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        if (f->state.load() != FRAME_SLOT_SHOWN ||
            f->pixels[size_t(f->width) * f->height - 1] != before)
            overwritten++;
    }
    stop_pauser = true;
    pauser.join();
    stop_builder = true;
    builder.join();

    EXPECT_GT(shown, 10u);
    EXPECT_GT(built.load(), shown);
    EXPECT_EQ(broken, 0u);
    EXPECT_EQ(overwritten, 0u);
    EXPECT_TRUE(boxes_shown.empty());
}

} // namespace
