#include "display_support.h"

#include "core/errors.h"
#include "display/display_layers.h"
#include "display/frame_builder.h"
#include "display/mouse.h"
#include "display/runtime_loop.h"
#include "display/window_state.h"
#include "platform/clock.h"
#include "screen/fonts.h"
#include "screen/images.h"
#include "screen/screen_modes.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{

class frame_builder : public display_test
{
};

image_slot *display_page()
{
    return display_page_record.load();
}
uint32_t palette_of(uint32_t index)
{
    return display_page()->palette[index];
}

// Builds and returns the frame it published (null when none).
frame_slot *build()
{
    int before = ready_count();
    uint64_t newest_before = newest_ready() ? newest_ready()->order.load() : 0;
    software_frame_build();
    frame_slot *after = newest_ready();
    if (!after || (ready_count() <= before && after->order == newest_before))
        return nullptr;
    return after;
}

// Whether the 8 x 8 block of a cell (0-based) shows the glyph in fg on bg.
bool cell_shows(const frame_slot *f, int32_t col, int32_t row, uint8_t code, uint32_t fg,
                uint32_t bg)
{
    for (int32_t y = 0; y < 8; y++)
        for (int32_t x = 0; x < 8; x++)
            if (frame_px(f, col * 8 + x, row * 8 + y) != glyph8_px(code, x, y, fg, bg))
                return false;
    return true;
}

TEST_F(frame_builder, game_page_gives_a_528_by_296_frame_of_its_cells)
{
    game_screen_set();
    cell_put(1, 1, 'A', 0x1E);
    cell_put(37, 66, 'z', 0x4F);
    frame_slot *f = build();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->width, 528);
    EXPECT_EQ(f->height, 296);
    EXPECT_EQ(display_frame_width.load(), 528);
    EXPECT_EQ(display_frame_height.load(), 296);
    EXPECT_EQ(mouse_movement_skip.load(), 4u);
    EXPECT_TRUE(cell_shows(f, 0, 0, 'A', palette_of(0xE), palette_of(1)));
    EXPECT_TRUE(cell_shows(f, 65, 36, 'z', palette_of(0xF), palette_of(4)));
    EXPECT_TRUE(cell_shows(f, 10, 10, ' ', palette_of(7), palette_of(0)));
    EXPECT_EQ(last_built_frame_order.load(), f->order.load());
    EXPECT_EQ(frame_done.load(), 1u);
}

TEST_F(frame_builder, a_changed_cell_redraws_only_its_block)
{
    game_screen_set();
    frame_slot *first = build();
    ASSERT_NE(first, nullptr);
    // A mark in the published frame survives only if unchanged cells are
    // copied, not drawn again.
    first->pixels[3 * 528 + 3] = 0x12345678;
    std::vector<uint32_t> before(first->pixels, first->pixels + 528 * 296);
    cell_put(6, 11, 0xDB, 0x0C);
    frame_slot *second = build();
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second, first);
    for (int32_t y = 0; y < 296; y++)
        for (int32_t x = 0; x < 528; x++) {
            bool in_block = x / 8 == 10 && y / 8 == 5;
            if (!in_block) {
                ASSERT_EQ(frame_px(second, x, y), before[size_t(y) * 528 + x]) << x << "," << y;
            }
        }
    EXPECT_TRUE(cell_shows(second, 10, 5, 0xDB, palette_of(0xC), palette_of(0)));
}

TEST_F(frame_builder, an_unchanged_page_publishes_nothing)
{
    game_screen_set();
    ASSERT_NE(build(), nullptr);
    uint64_t counter = frame_order_counter.load();
    EXPECT_EQ(build(), nullptr);
    EXPECT_EQ(ready_count(), 1);
    // The order is used up and counts as the last built one.
    EXPECT_EQ(frame_order_counter.load(), counter + 1);
    EXPECT_EQ(last_built_frame_order.load(), counter);
    // A forced rebuild is not needed for text; a palette change is a change.
    palette_entry_set(1, 0xFF102030, 0, false);
    EXPECT_NE(build(), nullptr);
}

TEST_F(frame_builder, blinking_cells_follow_the_phase_and_others_stay)
{
    game_screen_set();
    cell_put(2, 2, 'B', 0x87);
    cell_put(2, 4, 'C', 0x07);
    uint32_t grey = palette_of(7), black = palette_of(0);
    frame_slot *f = build();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(cell_shows(f, 1, 1, 'B', grey, black));

    frame_pass_counter = 8; // phase 1: the blinking glyph disappears
    f = build();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(cell_shows(f, 1, 1, ' ', grey, black));
    EXPECT_TRUE(cell_shows(f, 3, 1, 'C', grey, black));

    frame_pass_counter = 12; // same phase: nothing to do
    EXPECT_EQ(build(), nullptr);
    frame_pass_counter = 16;
    f = build();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(cell_shows(f, 1, 1, 'B', grey, black));
}

struct cursor_case {
    uint32_t start, stop;
    int32_t font_rows;
    int32_t first, count; // rows filled
};

// Every row of the cursor shape table, on 8- and 16-row cells.
const cursor_case cursor_cases[] = {
    {0, 0, 16, 0, 1},  // E = 0 and S = 0: row 0
    {3, 0, 16, 0, 0},  // E = 0 and S > 0: none
    {6, 2, 16, 2, 14}, // E < S: from E to the bottom
    {2, 2, 16, 2, 1},  // S = E < 4: row S
    {4, 4, 16, 14, 1}, // S = E >= 4: bottom mode, the 16-row cell's row 14
    {4, 4, 8, 7, 1},   //   on an 8-row cell its last row
    {5, 6, 16, 13, 2}, // S >= 3, E = S + 1: bottom mode, 2 rows
    {5, 7, 16, 12, 3}, // S >= 3, E = S + 2: bottom mode, 3 rows
    {3, 9, 16, 8, 8},  // S >= 3, E > S + 2: lower half
    {3, 9, 8, 4, 4},   //   of an 8-row cell
    {1, 5, 16, 1, 15}, // S < 2, E > 3: from S to the bottom
    {1, 3, 16, 1, 3},  // S < 2, E <= 3: rows S to E
    {2, 3, 16, 2, 2},  // S = 2, E = 3
    {2, 4, 16, 12, 3}, // S = 2, E = 4: bottom mode, 3 rows
    {2, 7, 16, 2, 14}, // S = 2, E > 4: from 2 to the bottom
    {12, 9, 8, 0, 0},  // a fill starting below the cell draws nothing
};

TEST_F(frame_builder, cursor_shapes_fill_the_rows_of_the_table)
{
    for (const cursor_case &c : cursor_cases) {
        SCOPED_TRACE(testing::Message()
                     << "start " << c.start << " stop " << c.stop << " rows " << c.font_rows);
        if (c.font_rows == 8)
            rt_width(0, 80, 50, 1 | 2);
        else
            rt_width(0, 80, 25, 1 | 2);
        image_slot *page = display_page();
        ASSERT_EQ(int32_t(font_height_of(page->font)), c.font_rows);
        page->cursor_shown = 1;
        page->cursor_start = uint8_t(c.start);
        page->cursor_stop = uint8_t(c.stop);
        page->cursor_col = 3;
        page->cursor_row = 2;
        frame_pass_counter = 8;
        frame_previous_valid = 0;
        frame_slot *f = build();
        ASSERT_NE(f, nullptr);
        for (int32_t y = 0; y < c.font_rows; y++) {
            bool filled = y >= c.first && y < c.first + c.count;
            uint32_t want = filled ? palette_of(7) : palette_of(0);
            for (int32_t x = 0; x < 8; x++)
                ASSERT_EQ(frame_px(f, 16 + x, c.font_rows + y), want) << "row " << y;
        }
        frame_ring_reset();
    }
}

TEST_F(frame_builder, cursor_moves_redraw_the_old_cell_at_once_and_a_pending_wrap_shows_below)
{
    game_screen_set();
    image_slot *page = display_page();
    page->cursor_shown = 1;
    page->cursor_start = 0;
    page->cursor_stop = 7;
    page->cursor_col = 1;
    page->cursor_row = 1;
    frame_pass_counter = 8;
    frame_slot *f = build();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(frame_px(f, 0, 0), palette_of(7));

    page->cursor_col = 66;
    page->cursor_row = 3;
    page->pending_wrap = 2; // shown at the start of row 4
    f = build();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(frame_px(f, 0, 0), palette_of(0));
    EXPECT_EQ(frame_px(f, 65 * 8, 2 * 8), palette_of(0));
    // The new cell did not change: the cursor shows there from the next
    // phase in which it is on.
    EXPECT_EQ(frame_px(f, 0, 3 * 8), palette_of(0));
    // The off phase changes nothing on screen: no frame.
    frame_pass_counter = 16;
    EXPECT_EQ(build(), nullptr);
    frame_pass_counter = 24;
    f = build();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(frame_px(f, 0, 3 * 8), palette_of(7));
}

TEST_F(frame_builder, eight_bit_pages_go_through_their_palette)
{
    rt_screen(13, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    image_slot *page = display_page();
    page->pixels[0] = 1;
    page->pixels[320 * 199 + 319] = 200;
    palette_entry_set(200, 0xFF0A0B0C, 0, false);
    frame_slot *f = build();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->width, 320);
    EXPECT_EQ(f->height, 200);
    EXPECT_EQ(frame_px(f, 0, 0), palette_of(1));
    EXPECT_EQ(frame_px(f, 319, 199), 0xFF0A0B0Cu);
    EXPECT_EQ(frame_px(f, 5, 5), palette_of(0));

    EXPECT_EQ(build(), nullptr);
    palette_entry_set(1, 0xFF00FF00, 0, false);
    f = build();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(frame_px(f, 0, 0), 0xFF00FF00u);
    frame_force_rebuild = 1;
    EXPECT_NE(build(), nullptr);
    EXPECT_EQ(frame_force_rebuild.load(), 0u);
}

int64_t fake_ms = 0;
int64_t fake_now()
{
    return fake_ms;
}
void fake_sleep(uint32_t) {}
const clock_seam fake_clock{fake_now, fake_sleep};

TEST_F(frame_builder, mode_10_colours_blink_with_the_half_second_clock)
{
    rt_screen(10, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    display_page()->pixels[0] = 2; // attribute 2: white, then black
    display_page()->pixels[1] = 3; // attribute 3: white in both phases
    clock_seam_set(&fake_clock);
    fake_ms = 100;
    frame_slot *f = build();
    fake_ms = 512 + 100;
    frame_slot *g = build();
    clock_seam_set(nullptr);
    ASSERT_NE(f, nullptr);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(frame_px(f, 0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(frame_px(g, 0, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(frame_px(f, 1, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(frame_px(g, 1, 0) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(frame_builder, thirty_two_bit_pages_are_copied_and_compared_with_the_last_frame)
{
    int32_t image = image_new(40, 30, 32, true);
    rt_screen(image, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    ASSERT_EQ(error_pending_take(), 0u);
    image_slot *page = display_page();
    auto *px = reinterpret_cast<uint32_t *>(page->pixels);
    for (int32_t i = 0; i < 40 * 30; i++)
        px[i] = 0x80000000u | uint32_t(i);
    frame_slot *f = build();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->width, 40);
    EXPECT_EQ(std::memcmp(f->pixels, px, 40 * 30 * 4), 0);
    EXPECT_EQ(build(), nullptr);
    px[77] = 1;
    f = build();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->pixels[77], 1u);
}

TEST_F(frame_builder, a_hidden_software_screen_is_not_rebuilt_but_a_forced_one_is)
{
    rt_screen(13, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    ASSERT_NE(build(), nullptr);
    display_layer_order[0] = 0;
    display_page()->pixels[9] = 3;
    EXPECT_EQ(build(), nullptr);
    frame_force_rebuild = 1;
    EXPECT_NE(build(), nullptr);
}

TEST_F(frame_builder, a_pause_or_a_hidden_window_builds_nothing_but_ends_the_pass)
{
    frame_build_pause = 1;
    software_frame_build();
    EXPECT_EQ(frame_build_pause.load(), 2);
    EXPECT_EQ(frame_done.load(), 1u);
    software_frame_build();
    EXPECT_EQ(ready_count(), 0);
    EXPECT_EQ(frame_order_counter.load(), 1u);

    frame_build_pause = 0;
    frame_done = 0;
    window_hidden = 1;
    software_frame_build();
    EXPECT_EQ(frame_done.load(), 1u);
    EXPECT_EQ(ready_count(), 0);
    window_hidden = 0;
    auto_display = -1;
    software_frame_build();
    EXPECT_EQ(ready_count(), 1);
    EXPECT_EQ(auto_display.load(), 0);
}

TEST_F(frame_builder, with_no_slot_to_build_in_the_alert_shows_and_the_next_pass_retries)
{
    for (frame_slot &slot : frame_ring)
        slot.state = FRAME_SLOT_SHOWN;
    software_frame_build();
    ASSERT_EQ(boxes_shown.size(), 1u);
    EXPECT_EQ(boxes_shown[0], "Software frame buffer: Failed to find available frame");
    EXPECT_EQ(frame_done.load(), 0u);
    frame_ring[1].state = FRAME_SLOT_FREE;
    software_frame_build();
    EXPECT_EQ(ready_count(), 1);
    EXPECT_EQ(frame_done.load(), 1u);
}

// A page compared with the last frame, but no ready or shown frame left to
// copy its unchanged cells from: the alert shows and the whole page is drawn.
TEST_F(frame_builder, with_no_previous_frame_to_compare_the_alert_shows_and_every_cell_is_drawn)
{
    game_screen_set();
    cell_put(5, 5, 'Q', 0x1E);
    ASSERT_NE(build(), nullptr);
    for (frame_slot &slot : frame_ring) {
        slot.state = FRAME_SLOT_FREE;
        if (slot.pixels)
            std::fill_n(slot.pixels, size_t(slot.width) * slot.height, 0xDEADBEEFu);
    }
    cell_put(1, 1, 'X', 0x0F);
    software_frame_build();
    ASSERT_EQ(boxes_shown.size(), 1u);
    EXPECT_EQ(boxes_shown[0],
              "Text Screen Update: Failed to locate previous frame's data for comparison");
    frame_slot *f = newest_ready();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(cell_shows(f, 0, 0, 'X', palette_of(0xF), palette_of(0)));
    EXPECT_TRUE(cell_shows(f, 4, 4, 'Q', palette_of(0xE), palette_of(1)));
    EXPECT_TRUE(cell_shows(f, 65, 36, ' ', palette_of(7), palette_of(0)));
    EXPECT_EQ(frame_done.load(), 1u);
}

TEST_F(frame_builder, a_ready_frame_taken_back_stays_the_base_of_the_next_one)
{
    game_screen_set();
    ASSERT_NE(build(), nullptr);
    ASSERT_NE(frame_ring_take_newest(), nullptr); // frame 1 shown
    cell_put(1, 1, 'X', 0x0F);
    frame_slot *second = build();
    ASSERT_NE(second, nullptr);
    // The display holds the last slot too for a moment: the builder must take
    // back the ready frame, which is the newest.
    for (frame_slot &slot : frame_ring)
        if (slot.state == FRAME_SLOT_FREE)
            slot.state = FRAME_SLOT_SHOWN;
    cell_put(1, 2, 'Y', 0x0F);
    software_frame_build();
    ASSERT_EQ(second->state.load(), FRAME_SLOT_READY);
    EXPECT_TRUE(cell_shows(second, 0, 0, 'X', palette_of(0xF), palette_of(0)));
    EXPECT_TRUE(cell_shows(second, 1, 0, 'Y', palette_of(0xF), palette_of(0)));
}

TEST_F(frame_builder, double_width_and_fourteen_row_fonts)
{
    rt_width(0, 40, 25, 1 | 2); // font 17: 16 x 16 cells
    cell_put(1, 1, 'H', 0x07);
    frame_slot *f = build();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->width, 640);
    EXPECT_EQ(f->height, 400);
    const uint8_t *g = font_glyph(16, 'H');
    for (int32_t y = 0; y < 16; y++)
        for (int32_t x = 0; x < 16; x++)
            ASSERT_EQ(frame_px(f, x, y), g[y * 8 + x / 2] ? palette_of(7) : palette_of(0));

    rt_width(0, 80, 43, 1 | 2); // font 14: rows 1-14 of the 8 x 16 glyphs
    cell_put(1, 1, 'H', 0x07);
    f = build();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->height, 43 * 14);
    for (int32_t y = 0; y < 14; y++)
        for (int32_t x = 0; x < 8; x++)
            ASSERT_EQ(frame_px(f, x, y), g[(y + 1) * 8 + x] ? palette_of(7) : palette_of(0));
}

} // namespace
