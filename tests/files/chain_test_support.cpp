#include "chain_test_support.h"

#include "core/errors.h"
#include "files/chain_state.h"
#include "files/file_bytes.h"
#include "files/file_bytes_memory.h"
#include "files/handle_table.h"
#include "files/os_handle.h"
#include "screen/drawing.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"
#include "screen/text_output.h"

#include <algorithm>
#include <cstring>

void chain_test::SetUp()
{
    file_test::SetUp();
    frame_builder_started = false;
    auto_display = 1;
    screen_startup();
    ASSERT_EQ(error_pending_take(), 0u);
}

namespace
{

void print_text(const std::string &text)
{
    basic_text t(text);
    rt_print(t, PRINT_NEWLINE);
}

void active_visual(int32_t active, int32_t visual)
{
    rt_screen(0, 0, active, visual, 0, SCREEN_ACTIVE_GIVEN | SCREEN_VISUAL_GIVEN);
}

void lines_draw(uint32_t first_colour)
{
    for (int32_t i = 0; i < 16; i++)
        line_draw_clipped(i * 7, 0, 150 - i, 90 + i, first_colour + uint32_t(i));
}

} // namespace

void chain_screen_set_up(chain_screen which)
{
    switch (which) {
    case chain_screen::text:
        rt_width(0, 40, 25, 3);
        rt_color(14, 1, 0, 3);
        print_text("page zero");
        active_visual(2, 0);
        rt_color(12, 0, 0, 3);
        print_text("page two");
        palette_entry_set(1, 0xFF123456, 0, true);
        break;
    case chain_screen::mode12:
        rt_screen(12, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
        lines_draw(0);
        active_visual(1, 0);
        lines_draw(3);
        palette_entry_set(15, 0xFF00FF80, 0, true);
        break;
    case chain_screen::mode13:
        rt_screen(13, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
        lines_draw(100);
        palette_entry_set(200, 0xFF0A0B0C, 0, true);
        break;
    case chain_screen::image32:
        rt_screen(image_new(160, 100, 32, true), 0, 0, 0, 0, SCREEN_MODE_GIVEN);
        lines_draw(0xFF102030);
        break;
    }
    print_text("cursor moved");
}

screen_snapshot screen_snapshot_take()
{
    screen_snapshot s;
    for (uint32_t page = 0; page < page_table_count; page++) {
        if (!page_table[page]) {
            s.pages.emplace_back();
            continue;
        }
        const image_slot &r = *image_slot_get(page_table[page]);
        std::string bytes(reinterpret_cast<const char *>(r.pixels),
                          size_t(r.width) * r.height * r.bytes_per_pixel);
        uint8_t record[CHAIN_SLOT_RECORD_BYTES];
        chain_slot_encode(r, record);
        s.pages.push_back(bytes + std::string(reinterpret_cast<char *>(record), sizeof record));
    }
    const image_slot &p0 = *image_slot_get(page_table[0]);
    // The stream hands palette entries over opaque.
    for (int32_t i = 0; p0.palette && i < 256; i++)
        s.palette.push_back(p0.palette[i] | 0xFF000000u);
    for (uint32_t page = page_table_count; page-- > 0;) {
        if (page_table[page] == write_page.slot)
            s.active = int32_t(page);
        if (page_table[page] == display_page_slot.load())
            s.visual = int32_t(page);
    }
    return s;
}

std::string chain_stream_save()
{
    int32_t handle = file_bytes_memory_bind(1, "", FILE_MODE_BINARY);
    os_handle_at(handle)->may_write = 1;
    chain_save(1);
    std::string bytes(size_t(os_handle_size(handle)), '\0');
    os_handle_read(handle, 0, bytes.data(), int64_t(bytes.size()));
    os_handle_close(handle);
    file_number_unbind(1);
    return bytes;
}

int32_t chain_stream_restore(const std::string &bytes, int64_t fail_read_at)
{
    screen_startup();
    int32_t handle = file_bytes_memory_bind(1, bytes, FILE_MODE_BINARY);
    file_bytes_memory_fail_at(handle, fail_read_at);
    chain_restore(1);
    return handle;
}
