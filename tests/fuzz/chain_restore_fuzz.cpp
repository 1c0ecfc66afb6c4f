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
#include "files/screen_pages_check.h"
#include "screen/image_slots.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

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
    if (!screen_pages_consistent()) {
        std::fprintf(stderr, "chain_restore_fuzz: the restore left a page unusable\n");
        std::abort();
    }
    file_bytes_memory_reset();
    return 0;
}
