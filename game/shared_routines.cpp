#include "game/shared_routines.h"

#include "core/control_words.h"
#include "core/program_thread.h"
#include "core/small_ops.h"
#include "core/timing.h"
#include "display/keyboard.h"
#include "game/game_basic.h"
#include "game/game_state.h"
#include "platform/clock.h"
#include "screen/screen_modes.h"
#include "sound/play_parser.h"

// clang-format off
const char *const splash_logo_rows[SPLASH_LOGO_ROWS] = {
    "     \xDB\xDB  \xDB\xDB     ",                         //      ██  ██
    "    \xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB    ",             //     ████████
    "    \xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB    ",             //     ████████
    "    \xDB      \xDB    ",                             //     █      █
    "    \xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB    ",             //     ████████
    "  \xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB  ", //   ████████████
    "  \xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB  ", //   ████████████
    "  \xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB  ", //   ████████████
    "  \xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB  ", //   ████████████
    "\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB", // ████████████████
    "\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB", // ████████████████
    "\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB", // ████████████████
    "\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB", // ████████████████
    "  \xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB  ", //   ████████████
    "  \xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB  ", //   ████████████
    "    \xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB    ",             //     ████████
    "  \xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB  ", //   ████████████
    "\xDB\xDB\xDB\xDB\xDB\xDB    \xDB\xDB\xDB\xDB\xDB\xDB", // ██████    ██████
};
// clang-format on

const char *const splash_caption = "NETTLEFERN GAMES";

namespace
{

constexpr const char *BLANKS_64 =
    "                                                                ";

// LOCATE with SINGLE coordinates: BASIC rounds them to integers.
void locate_single(float row, float column)
{
    basic_locate(round_float_to_int32(row), round_float_to_int32(column));
}

void splash_logo(basic_procedure &p)
{
    p.stmt(2103, [&] { locate_single(splash_row, splash_col); });
    p.stmt(2104, [&] { rt_color(15, 0, 0, 1); });
    p.stmt(2105, [&] { basic_print(text(splash_logo_rows[0])); });
    uint32_t line = 2106;
    for (int32_t row = 1; row < SPLASH_LOGO_ROWS; ++row) {
        p.stmt(line++, [&] { locate_single(splash_row + float(row), splash_col); });
        if (row == 1)
            p.stmt(line++, [&] { rt_color(9, 0, 0, 1); });
        p.stmt(line++, [&] { basic_print(text(splash_logo_rows[row])); });
    }
}

} // namespace

void screen_wipe(basic_procedure &p)
{
    p.stmt(2000, [&] { wipe_row = 33; });
    bool done = false;
    while (!done) {
        p.stmt(2001, [&] { locate_single(wipe_row, 1); });
        p.stmt(2002, [&] { basic_print(text(BLANKS_64)); });
        p.stmt(2003, [&] { wipe_row = wipe_row - 1; });
        p.stmt(2004, [&] { delay_seconds(0.025); });
        p.stmt(2005, [&] { done = wipe_row == 0; });
    }
    p.stmt(2006, [&] { key_buffers_clear(0, 0); });
    p.stmt(2007, [&] { game_return(); });
}

// Statements 2100 to 2102, the logo from 2103 to 2140, the rest from 2150.
void show_splash(basic_procedure &p)
{
    p.stmt(2100, [&] { delay_seconds(1); });
    p.stmt(2101, [&] { splash_row = 7; });
    p.stmt(2102, [&] { splash_col = 25; });
    splash_logo(p);
    p.stmt(2150, [&] { basic_print_line(); });
    p.stmt(2151, [&] { delay_seconds(0.5); });
    p.stmt(2152, [&] { locate_single(splash_row + 4, splash_col + 5); });
    p.stmt(2153, [&] { basic_print(text("      ")); });
    p.stmt(2154, [&] { rt_play(text("MB<<<<L24E-EE-EE-EE->>>>")); });
    p.stmt(2155, [&] { delay_seconds(0.5); });
    p.stmt(2156, [&] { locate_single(splash_row + 4, splash_col + 5); });
    p.stmt(2157, [&] { basic_print(text("\xDB\xDB\xDB\xDB\xDB\xDB")); });
    p.stmt(2158, [&] { locate_single(splash_row + 20, splash_col); });
    p.stmt(2159, [&] { rt_color(15, 0, 0, 1); });
    p.stmt(2160, [&] { basic_print(text(splash_caption)); });
    p.stmt(2161, [&] { delay_seconds(1); });
    game_gosub(p, 2162, RP_SPLASH_WIPE, [&] { screen_wipe(p); });
    p.stmt(2163, [&] { game_return(); });
}

// Sleeps until a key hit, an event from another thread or the exit, so a
// loop waiting for a key costs next to nothing. A key that lands between the
// loop's read and this wait is seen after at most KEY_POLL_WAIT_MS, the
// reaction time of the runtime's own waits.
void key_poll_pause(uint32_t line)
{
    constexpr uint32_t KEY_POLL_WAIT_MS = 10;
    clock_wait_ms(&program_wake, program_wake.load(), KEY_POLL_WAIT_MS);
    statement_event_check(line);
}
