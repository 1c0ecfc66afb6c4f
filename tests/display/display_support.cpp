#include "display_support.h"

#include "core/dos_memory.h"
#include "core/errors.h"
#include "display/display_layers.h"
#include "display/frame_builder.h"
#include "display/gl_renderer.h"
#include "display/hardware_images.h"
#include "display/runtime_loop.h"
#include "display/software_screen.h"
#include "display/window_state.h"
#include "platform/message_box.h"
#include "screen/fonts.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

std::vector<std::string> boxes_shown;

namespace
{

int box_record(const char *text, const char *, uint32_t)
{
    boxes_shown.emplace_back(text);
    return MESSAGE_BOX_RESULT_OK;
}

} // namespace

void display_test::SetUp()
{
    boxes_shown.clear();
    platform_message_box_seam_set(box_record);
    error_pending_take();
    frame_builder_started = false;
    frame_build_pause = 0;
    auto_display = 1;
    window_hidden = 0;
    frame_pass_counter = 0;
    dos_memory_reset();
    screen_startup();
    frame_ring_reset();
    frame_builder_reset();
    display_layer_order_reset();
    renderer_state_reset();
    hardware_lists_create();
    software_screen_forget();
    ASSERT_EQ(error_pending_take(), 0u);
}

void display_test::TearDown()
{
    error_pending_take();
    platform_message_box_seam_set(nullptr);
}

void game_screen_set()
{
    rt_width(0, 66, 37, 1 | 2);
    image_font_set(8, 0, false);
}

void cell_put(int32_t row, int32_t col, uint8_t code, uint8_t attribute)
{
    image_slot *page = display_page_record.load();
    uint8_t *cell = page->pixels + (size_t(row - 1) * page->width + (col - 1)) * 2;
    cell[0] = code;
    cell[1] = attribute;
}

frame_slot *newest_ready()
{
    frame_slot *newest = nullptr;
    for (frame_slot &slot : frame_ring)
        if (slot.state == FRAME_SLOT_READY && (!newest || slot.order > newest->order))
            newest = &slot;
    return newest;
}

int ready_count()
{
    int n = 0;
    for (frame_slot &slot : frame_ring)
        n += slot.state == FRAME_SLOT_READY;
    return n;
}

uint32_t frame_px(const frame_slot *slot, int32_t x, int32_t y)
{
    return slot->pixels[size_t(y) * slot->width + x];
}

uint32_t glyph8_px(uint8_t code, int32_t x, int32_t y, uint32_t fg, uint32_t bg)
{
    return font_glyph(8, code)[y * 8 + x] ? fg : bg;
}
