// The game's main module: start-up up to the title screen, then the scenes.
#include "core/errors.h"
#include "core/small_ops.h"
#include "files/chain_receive.h"
#include "game/game_basic.h"
#include "game/game_state.h"
#include "game/runtime_pending.h"
#include "game/save_file.h"
#include "game/scenes.h"
#include "game/shared_routines.h"
#include "platform/process_exit.h"
#include "screen/fonts.h"
#include "screen/images.h"
#include "screen/screen_modes.h"

namespace
{

// The five colours of the game's palette, entries 1 to 5 (red, green, blue).
struct palette_colour {
    int32_t index, red, green, blue;
};
constexpr palette_colour game_palette[] = {
    {1, 170, 170, 170}, // grey
    {2, 100, 220, 220}, // cyan
    {3, 100, 220, 100}, // green
    {4, 220, 100, 220}, // magenta
    {5, 220, 170, 100}, // orange
};

// The screen: SCREEN 0, WIDTH 66, 37, font 8, the palette and the request
// for stretched full screen.
void screen_startup_statements(basic_procedure &p)
{
    p.stmt(11, [&] { window_title_set(text("TARVO ZUDUZ")); });
    p.stmt(12, [&] { rt_screen(0, 0, 0, 0, 0, SCREEN_MODE_GIVEN); });
    p.stmt(13, [&] { rt_width(0, 66, 37, 3); });
    p.stmt(14, [&] { image_font_set(8, 0, false); });
    uint32_t line = 15;
    for (const palette_colour &c : game_palette)
        p.stmt(line++, [&] {
            palette_entry_set(c.index, color_argb_pack(c.red, c.green, c.blue), 0, false);
        });
    p.stmt(20, [&] { full_screen_set(0, 0); });
}

scene scene_run(basic_procedure &p, scene next)
{
    switch (next) {
    case scene::title:
        return title_screen(p);
    case scene::menu_entry:
        return menu_scene(p);
    case scene::ending:
        return ending_sequence(p);
    case scene::elemento:
        return elemento_quest(p);
    case scene::bamboo_forest:
        return bamboo_forest_quest(p);
    case scene::swamp:
        return swamp_quest(p);
    case scene::mouse_talk:
        return mouse_talk_quest(p);
    case scene::end:
        break;
    }
    p.end();
}

} // namespace

// Statements 10 to 35, then the scenes.
void game_main_module()
{
    basic_procedure p;
    game_state_create();
    // A second entry through the error handler's re-entry: the game arms no
    // handler, so this only ends a run that should not have come back here.
    if (on_error_handler_jump.exchange(0))
        process_exit(99);
    p.stmt(10, [&] { chain_receive(); });
    screen_startup_statements(p);
    game_gosub(p, 21, RP_STARTUP_SPLASH, [&] { show_splash(p); });
    p.stmt(22, [&] { rt_color(1, 0, 0, 1); });
    save_load_or_create(p);
    scene next = scene::title;
    for (;;)
        next = scene_run(p, next);
}
