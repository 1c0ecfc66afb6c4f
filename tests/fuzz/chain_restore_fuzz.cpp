// Fuzz target for chain_restore and the hand-over file's header: after a
// first byte, the input is a chain state stream (first byte even) or a whole
// hand-over file (odd: tag, directory, stream, end word) read from a BINARY
// file and restored over a fresh start-up screen. Beyond not crashing
// or hanging (AddressSanitizer watches every page's memory, -timeout the
// loops), the restore must leave every screen page usable: in use, with its
// memory and palette, its cursor and clip area inside it, and the current
// pages naming live slots. BASIC errors of the screen statements are
// expected and cleared.
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "files/chain_receive.h"
#include "files/chain_state.h"
#include "files/file_bytes.h"
#include "files/file_bytes_memory.h"
#include "screen/image_slots.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace
{

bool page_usable(const image_slot *r)
{
    int32_t rows = std::max(image_text_rows(r), 1), columns = std::max(image_text_columns(r), 1);
    return r->in_use && r->pixels && r->width && r->height && r->cursor_row >= 1 &&
           r->cursor_row <= rows && r->cursor_col >= 1 && r->cursor_col <= columns &&
           r->clip_x1 >= 0 && r->clip_x2 < r->width && r->clip_y1 >= 0 && r->clip_y2 < r->height &&
           (r->bytes_per_pixel == 4 || r->palette);
}

void screen_check()
{
    for (uint32_t page = 0; page < page_table_count; page++) {
        if (page_table[page] && !page_usable(image_slot_get(page_table[page]))) {
            std::fprintf(stderr, "chain_restore_fuzz: page %u left unusable\n", page);
            std::abort();
        }
    }
    if (!write_page.record || !write_page.record->in_use || !display_page_record.load() ||
        !display_page_record.load()->in_use) {
        std::fprintf(stderr, "chain_restore_fuzz: the current pages name no live slot\n");
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool started = false;
    if (!started) {
        dos_memory_startup();
        strings_static_init();
        started = true;
    }
    screen_startup();
    if (size == 0)
        return 0;
    file_bytes_memory_bind(1, std::string_view(reinterpret_cast<const char *>(data + 1), size - 1),
                           FILE_MODE_BINARY);
    std::string directory;
    if (!(data[0] & 1) || chain_handover_header_read(1, &directory))
        chain_restore(1);
    error_pending_take();
    screen_check();
    file_bytes_memory_reset();
    return 0;
}
