#include "screen_support.h"

#include "core/memory.h"
#include "core/ports.h"
#include "screen/blend_tables.h"
#include "screen/data/screen_data.h"
#include "screen/images.h"
#include "screen/screen_startup.h"

#include <cstring>

namespace {

class screen_startup_steps : public screen_test {};

TEST_F(screen_startup_steps, builtin_images_hold_their_stored_pixels)
{
    image_slot *small = image_slot_live(builtin_image_16_slot);
    image_slot *large = image_slot_live(builtin_image_32_slot);
    ASSERT_NE(small, nullptr);
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(small->width, 16);
    EXPECT_EQ(large->height, 32);
    EXPECT_EQ(large->mode, 32);
    EXPECT_EQ(std::memcmp(small->pixels, stored_image_16, sizeof stored_image_16), 0);
    EXPECT_EQ(std::memcmp(large->pixels, stored_image_32, sizeof stored_image_32), 0);
    EXPECT_NE(blend_table, nullptr);
    EXPECT_NE(alpha_table, nullptr);
}

TEST_F(screen_startup_steps, start_up_can_run_again_from_any_state)
{
    int32_t h = image_new(10, 10, 13, true);
    write_page_set(h);
    screen_startup();
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(slots_used, 2u + 8u + 2u);
    EXPECT_EQ(write_page.slot, 2u);
    EXPECT_EQ(page_table_count, 8u);
    EXPECT_EQ(image_slot_live(1), nullptr);
    EXPECT_EQ(builtin_image_16_slot, 10u);
}

TEST_F(screen_startup_steps, core_hooks_reach_the_screen)
{
    rt_out(0x3C8, 4);
    rt_out(0x3C9, 63);
    rt_out(0x3C9, 0);
    rt_out(0x3C9, 21);
    EXPECT_EQ(page_record(0)->palette[4] & 0xFFFFFF, 0xFF0055u);
    int32_t h = image_new(4, 4, 13, true);
    program_clear_arrays();
    EXPECT_EQ(image_slot_live(uint32_t(-h)), nullptr);
    EXPECT_EQ(image_slot_live(builtin_image_16_slot), nullptr);
    EXPECT_NE(image_slot_live(page_table[0]), nullptr);
    ports_reset();
}

} // namespace
