// The title screen: the title picture and tune, then Enter for the story or
// Esc to leave.
#include "core/program_thread.h"
#include "display/keyboard.h"
#include "game/game_basic.h"
#include "game/game_state.h"
#include "game/pictures.h"
#include "game/scenes.h"
#include "game/shared_routines.h"
#include "sound/play_parser.h"

namespace
{

constexpr int32_t KEY_ENTER = 13;
constexpr int32_t KEY_ESC = 27;

constexpr const char *TITLE_TUNE = "<<L8E,<<B>>B,<<E>>L16A,<<B>>G+F+,<<B>>G+L4E,<<E>>>>";

// Esc on the title: the wipe, then SYSTEM.
void title_quit(basic_procedure &p)
{
    game_gosub(p, 110, RP_TITLE_ESC_WIPE, [&] { screen_wipe(p); });
    p.stmt(111, [&] { rt_system(); });
}

} // namespace

// Statements 100 to 112.
scene title_screen(basic_procedure &p)
{
    game_gosub(p, 100, RP_TITLE_PICTURE, [&] { draw_title_picture(p); });
    for (uint32_t i = 0; i < 3; ++i)
        p.stmt(101 + i, [&] { basic_print_line(); });
    p.stmt(104, [&] { rt_play(text(TITLE_TUNE)); });
    p.stmt(105, [&] { basic_locate_column(27); });
    p.stmt(106, [&] { basic_print(text("PRESS ENTER")); });
    // Only a release that follows a press seen here goes on: Alt+Enter, which
    // toggles full screen, gives a release of Enter without its press.
    bool enter_down = false;
    for (;;) {
        bool go_on = false, quit = false;
        p.stmt(107, [&] { title_key = key_hit_next(); });
        p.stmt(108, [&] {
            if (title_key == KEY_ENTER)
                enter_down = true;
            go_on = title_key == -KEY_ENTER && enter_down;
        });
        if (go_on)
            break;
        p.stmt(109, [&] { quit = title_key == KEY_ESC; });
        if (quit)
            title_quit(p);
        key_poll_pause(109);
    }
    p.stmt(112, [&] { key_buffers_clear(0, 0); });
    game_gosub(p, 113, RP_TITLE_STORY, [&] { story_intro(p); });
    return scene::menu_entry;
}
