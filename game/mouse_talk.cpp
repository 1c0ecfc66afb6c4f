// The Mouse conversation's statements: the entry, the screens that ask, the
// responses run step by step, the herb award, the walk-away and the leaving.
#include "game/mouse_talk.h"

#include "core/timing.h"
#include "display/keyboard.h"
#include "game/game_basic.h"
#include "game/game_state.h"
#include "game/mouse_talk_rules.h"
#include "game/pictures_cards_herbs.h"
#include "game/pictures_mouse.h"
#include "game/save_file.h"
#include "game/shared_routines.h"
#include "sound/play_parser.h"

#include <string_view>

namespace
{

constexpr int32_t KEY_ENTER = 13;

// GOSUB sites of the quest.
enum : uint32_t {
    RP_MOUSE_MENU_PICTURE = RP_QUESTS_FIRST,
    RP_MOUSE_WEATHER_PICTURE,
    RP_MOUSE_LOCAL_PICTURE,
    RP_MOUSE_PERSONAL_PICTURE,
    RP_MOUSE_JOKES_PICTURE,
    RP_MOUSE_REQUEST_PICTURE,
    RP_MOUSE_HERB_PICTURE,
    RP_MOUSE_HERB_SAVE,
    RP_MOUSE_LEAVE_WIPE,
    RP_MOUSE_HERB_WIPE,
    RP_MOUSE_WALK_WIPE,
};

template <typename Routine>
void gosub(basic_procedure &p, uint32_t line, uint32_t point, Routine &&routine)
{
    game_gosub(p, line, return_point(point), routine);
}

uint32_t picture_point(mouse_scene scene)
{
    switch (scene) {
    case mouse_scene::weather:
        return RP_MOUSE_WEATHER_PICTURE;
    case mouse_scene::local_affairs:
        return RP_MOUSE_LOCAL_PICTURE;
    case mouse_scene::personal_affairs:
        return RP_MOUSE_PERSONAL_PICTURE;
    case mouse_scene::jokes:
        return RP_MOUSE_JOKES_PICTURE;
    default:
        return RP_MOUSE_MENU_PICTURE;
    }
}

std::string_view text_view(const string_descriptor *s)
{
    return {reinterpret_cast<const char *>(s->chr), size_t(s->len)};
}

// A screen that asks: CLS, the picture and the options for a screen scene,
// then the question; the answer's response.
mouse_response ask(basic_procedure &p, mouse_scene scene)
{
    const mouse_screen &screen = mouse_scene_screen(scene);
    uint32_t line = screen.line;
    if (screen.clears) {
        p.stmt(line++, [&] { rt_cls(0, 0, 0); });
        gosub(p, line++, picture_point(scene), [&] { draw_mouse_picture(p); });
        for (const char *option : screen.options)
            p.stmt(line++, [&] { basic_print(text(option)); });
    }
    p.stmt(line++, [&] { basic_input(text(screen.prompt), mouse_answer); });
    mouse_response response;
    p.stmt(line, [&] { response = mouse_answer_response(scene, text_view(mouse_answer)); });
    return response;
}

// A response's steps, one statement each, numbered from its line.
void run_steps(basic_procedure &p, const mouse_response &response)
{
    uint32_t line = response.line;
    for (const mouse_step &step : response.steps) {
        p.stmt(line++, [&] {
            switch (step.kind) {
            case mouse_step_kind::line:
                basic_print(text(step.text));
                break;
            case mouse_step_kind::blank:
                basic_print_line();
                break;
            case mouse_step_kind::reply:
                basic_input(text(step.text), mouse_reply);
                break;
            case mouse_step_kind::set:
                *step.flag = 1;
                break;
            }
        });
    }
}

// The herb request: the Mouse answers by what has been said so far.
mouse_response herb_request(basic_procedure &p)
{
    p.stmt(3025, [&] { rt_cls(0, 0, 0); });
    gosub(p, 3026, RP_MOUSE_REQUEST_PICTURE, [&] { draw_mouse_picture(p); });
    mouse_response response;
    p.stmt(3027, [&] { response = mouse_herb_request_response(); });
    return response;
}

// The herb won, saved at once; "Again..." when it had been won before.
void herb_award(basic_procedure &p)
{
    p.stmt(3045, [&] { rt_cls(0, 0, 0); });
    gosub(p, 3046, RP_MOUSE_HERB_PICTURE, [&] { draw_herb_cotton_root(p); });
    p.stmt(3047, [&] { basic_print(text(mouse_herb_won_text)); });
    bool won_before = false;
    p.stmt(3048, [&] {
        won_before = herb_cotton_root == COTTON_ROOT_MARK;
        herb_cotton_root = COTTON_ROOT_MARK;
    });
    gosub(p, 3049, RP_MOUSE_HERB_SAVE, [&] { save_progress(p); });
    if (won_before) {
        p.stmt(3050, [&] { delay_seconds(1); });
        p.stmt(3051, [&] { basic_print(text(mouse_herb_again_text)); });
    }
    p.stmt(3052, [&] { basic_print_line(); });
    p.stmt(3053, [&] { basic_input(text(mouse_herb_back_prompt), mouse_reply); });
    gosub(p, 3054, RP_MOUSE_HERB_WIPE, [&] { screen_wipe(p); });
}

// The Mouse leaves the picture; row 17 is written over, not cleared.
void walks_away(basic_procedure &p)
{
    p.stmt(3202, [&] { rt_play(text(mouse_walks_away_tune)); });
    uint32_t line = 3203;
    for (int32_t row = MOUSE_FIRST_ROW; row <= MOUSE_LAST_ROW; ++row) {
        p.stmt(line++, [&] { basic_locate(row, MOUSE_FIRST_COLUMN); });
        p.stmt(line++, [&] { basic_print(text("     ")); });
    }
    p.stmt(3209, [&] { basic_locate(17, 1); });
    p.stmt(3210, [&] { basic_print(text(mouse_walks_away_text)); });
    p.stmt(3211, [&] { basic_print_line(); });
    p.stmt(3212, [&] { basic_input(text(mouse_walks_away_prompt), mouse_reply); });
    gosub(p, 3213, RP_MOUSE_WALK_WIPE, [&] { screen_wipe(p); });
}

// "0": the key-hit entries the typing left are read and dropped up to the
// release of the Enter that ended the answer; each pass sleeps and makes the
// event check.
void leave(basic_procedure &p)
{
    bool released = false;
    for (;;) {
        p.stmt(3023, [&] { released = key_hit_next() == -KEY_ENTER; });
        if (released)
            break;
        key_poll_pause(3023);
    }
    gosub(p, 3024, RP_MOUSE_LEAVE_WIPE, [&] { screen_wipe(p); });
}

} // namespace

scene mouse_talk_quest(basic_procedure &p)
{
    p.stmt(3000, [&] { rt_cls(0, 0, 0); });
    for (size_t i = 0; i < mouse_visit_flags.size(); ++i)
        p.stmt(3001 + uint32_t(i), [&] { *mouse_visit_flags[i] = 0; });
    mouse_scene at = mouse_scene::menu;
    for (;;) {
        mouse_response response;
        switch (at) {
        case mouse_scene::herb_request:
            response = herb_request(p);
            break;
        case mouse_scene::herb_award:
            herb_award(p);
            return scene::menu_entry;
        case mouse_scene::walks_away:
            walks_away(p);
            return scene::menu_entry;
        case mouse_scene::leave:
            leave(p);
            return scene::menu_entry;
        default:
            response = ask(p, at);
            break;
        }
        run_steps(p, response);
        at = response.next;
    }
}
