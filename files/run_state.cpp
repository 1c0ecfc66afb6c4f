#include "files/run_state.h"

#include "core/errors.h"
#include "core/rnd.h"
#include "core/traps.h"
#include "platform/message_box.h"
#include "screen/image_slots.h"
#include "screen/palettes.h"
#include "screen/screen_modes.h"

#include <charconv>
#include <string>

namespace
{

constexpr uint32_t DEFAULT_FOREGROUND = 7;
constexpr uint32_t DEFAULT_BACKGROUND = 0;

} // namespace

void debug_showvalue(int64_t value)
{
    char digits[24];
    char *end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    std::string text = (value >= 0 ? " " : "") + std::string(digits, end);
    message_box(text.c_str(), "showvalue", MESSAGE_BOX_SYSTEM_MODAL | MESSAGE_BOX_OK);
}

void screen_reset_text()
{
    key_traps_off();
    rt_screen(0, 0, 0, 0, 0, SCREEN_MODE_GIVEN | SCREEN_ACTIVE_GIVEN | SCREEN_VISUAL_GIVEN);
    rt_width(0, 80, 25, 3);
    if (image_slot *page = write_page.record) {
        image_default_palette(page);
        page->back_color = DEFAULT_BACKGROUND;
        page->fore_color = DEFAULT_FOREGROUND;
    }
    rnd_state = rnd_start_value;
}
