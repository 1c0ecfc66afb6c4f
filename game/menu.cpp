// The animal menu: its entry, its loop and the dispatch of the chosen entry.
#include "core/program_thread.h"
#include "core/timing.h"
#include "display/keyboard.h"
#include "files/system_queries.h"
#include "game/game_basic.h"
#include "game/game_state.h"
#include "game/menu_texts.h"
#include "game/pictures.h"
#include "game/scenes.h"
#include "game/shared_routines.h"
#include "screen/screen_modes.h"

namespace
{

// Key codes of key_hit_next: positive when a key goes down, negative when it
// comes up.
constexpr int32_t KEY_ENTER = 13;
constexpr int32_t KEY_SPACE = 32;

constexpr const char *BONUS_PROGRAM = "WBNK";

bool is_key(int32_t code, char upper)
{
    return code == upper || code == upper + 32;
}
bool is_release(int32_t code, char upper)
{
    return is_key(-code, upper);
}

// Waits for the release of the Enter key whose press the menu has just read.
void menu_enter_release_wait(basic_procedure &p)
{
    bool released = false;
    for (;;) {
        p.stmt(217, [&] { released = key_hit_next() == -KEY_ENTER; });
        if (released)
            return;
        key_poll_pause(217);
    }
}

// The credits in place of the help lines.
void menu_credits(basic_procedure &p)
{
    p.stmt(221, [&] { rt_cls(0, 0, 0); });
    game_gosub(p, 222, RP_MENU_CREDITS_DRAW, [&] { draw_menu(p); });
    p.stmt(223, [&] { basic_locate_row(24); });
    for (uint32_t i = 0; i < CREDIT_LINES; ++i)
        p.stmt(224 + i, [&] { basic_print(text(credit_lines[i])); });
}

// P once the ending has been seen: the wipe, then the bonus program in place
// of this one. When it cannot be started the error shows and the menu goes on.
void menu_bonus(basic_procedure &p)
{
    bool seen = false;
    p.stmt(234, [&] { seen = ending_seen == ENDING_SEEN_MARK; });
    if (!seen)
        return;
    game_gosub(p, 235, RP_MENU_BONUS_WIPE, [&] { screen_wipe(p); });
    p.stmt(236, [&] { rt_run_file(text(BONUS_PROGRAM)); });
}

// A released A or D moves the highlight one entry, wrapping around.
void menu_move(basic_procedure &p, uint32_t line, int step, return_point point)
{
    p.stmt(line, [&] { menu_selection = menu_selection + float(step); });
    p.stmt(line + 1, [&] {
        if (menu_selection == -1)
            menu_selection = 5;
        else if (menu_selection == 6)
            menu_selection = 0;
    });
    game_gosub(p, line + 2, point, [&] { draw_menu(p); });
}

enum class menu_action { none, left, right, choose, credits, bonus, ending };

// Which of the menu's keys the event is, tested in the menu's order.
menu_action menu_action_of(int32_t key)
{
    if (is_release(key, 'A'))
        return menu_action::left;
    if (is_release(key, 'D'))
        return menu_action::right;
    if (key == KEY_ENTER)
        return menu_action::choose;
    if (key == KEY_SPACE)
        return menu_action::credits;
    if (is_key(key, 'P'))
        return menu_action::bonus;
    if (is_key(key, 'E'))
        return menu_action::ending;
    return menu_action::none;
}

// One key event of the menu loop. Returns true when Enter has chosen the
// highlighted entry, and sets *ending when E starts the ending.
bool menu_key_act(basic_procedure &p, bool *ending)
{
    menu_action action = menu_action::none;
    p.stmt(207, [&] { action = menu_action_of(menu_key); });
    switch (action) {
    case menu_action::left:
        menu_move(p, 208, -1, RP_MENU_LEFT_DRAW);
        break;
    case menu_action::right:
        menu_move(p, 212, 1, RP_MENU_RIGHT_DRAW);
        break;
    case menu_action::choose:
        menu_enter_release_wait(p);
        p.stmt(218, [&] { delay_seconds(0.1); });
        p.stmt(219, [&] { key_buffers_clear(0, 0); });
        return true;
    case menu_action::credits:
        menu_credits(p);
        break;
    case menu_action::bonus:
        menu_bonus(p);
        break;
    case menu_action::ending:
        p.stmt(240, [&] { *ending = ending_seen == ENDING_SEEN_MARK; });
        break;
    case menu_action::none:
        break;
    }
    return false;
}

// The dispatch of the chosen entry.
scene menu_dispatch(basic_procedure &p)
{
    if (menu_selection == 0) {
        bool ending = false;
        p.stmt(250, [&] { ending = game_all_herbs_won() && ending_seen == 0; });
        return ending ? scene::ending : scene::menu_entry;
    }
    struct quest_entry {
        float selection;
        return_point wipe;
        uint32_t colour;
        scene quest;
    };
    // Tested in this order; ECHIDNA first drops a forest herb not yet won.
    static const quest_entry quests[] = {
        {2, RP_DISPATCH_ECHIDNA_WIPE, 3, scene::bamboo_forest},
        {4, RP_DISPATCH_FOX_WIPE, 5, scene::mouse_talk},
        {3, RP_DISPATCH_PIG_WIPE, 4, scene::swamp},
        {1, RP_DISPATCH_TARVO_WIPE, 2, scene::elemento},
    };
    uint32_t line = 251;
    for (const quest_entry &q : quests) {
        if (menu_selection != q.selection) {
            line += 4;
            continue;
        }
        if (q.quest == scene::bamboo_forest)
            p.stmt(line, [&] {
                if (herb_pennyroyal == 0)
                    forest_herb_carried = 0;
            });
        game_gosub(p, line + 1, q.wipe, [&] { screen_wipe(p); });
        p.stmt(line + 2, [&] { rt_color(q.colour, 0, 0, 1); });
        return q.quest;
    }
    if (menu_selection == 5) {
        game_gosub(p, 267, RP_DISPATCH_QUIT_WIPE, [&] { screen_wipe(p); });
        p.stmt(268, [&] { rt_system(); });
    }
    return scene::end;
}

} // namespace

// Statements 200 onwards: the entry, the loop at 20 passes a second, and the
// dispatch from 250.
scene menu_scene(basic_procedure &p)
{
    p.stmt(200, [&] { rt_color(1, 0, 0, 1); });
    p.stmt(201, [&] { rt_cls(0, 0, 0); });
    game_gosub(p, 202, RP_MENU_PICTURE, [&] { draw_menu_picture(p); });
    p.stmt(203, [&] { menu_selection = 0; });
    game_gosub(p, 204, RP_MENU_DRAW, [&] { draw_menu(p); });
    for (;;) {
        p.stmt(205, [&] { frame_rate_limit(20); });
        p.stmt(206, [&] { menu_key = key_hit_next(); });
        bool ending = false;
        if (menu_key_act(p, &ending))
            break;
        if (ending)
            return scene::ending;
        p.stmt(241, [&] { key_buffers_clear(0, 0); });
    }
    return menu_dispatch(p);
}
