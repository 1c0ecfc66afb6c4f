// The bamboo forest: ECHIDNA walks a maze of 30 rooms by typed directions,
// finds the Pennyroyal in room 27 and carries it out of room 1 northwards.
//
// The maze is the table bamboo_forest_map; the statements of a room visit are
// the same for every room and read the room's texts and exits from it. The
// current room is the only state of the walk. Statement numbers: a room
// visit 1560 to 1572, the herb room's own entry and texts 1580 to 1583,
// leaving the forest 1590 to 1593.
#include "core/string_builtins.h"
#include "core/strings.h"
#include "core/timing.h"
#include "display/keyboard.h"
#include "game/elemento_forest_return_points.h"
#include "game/forest_map.h"
#include "game/game_basic.h"
#include "game/game_state.h"
#include "game/pictures_cards_herbs.h"
#include "game/pictures_forest.h"
#include "game/runtime_pending.h"
#include "game/save_file.h"
#include "game/scenes.h"
#include "game/shared_routines.h"
#include "screen/text_output.h"
#include "sound/play_parser.h"

namespace
{

constexpr int32_t KEY_ENTER_UP = -13;

// The obstacle pictures by forest_obstacle.
void (*const obstacle_pictures[FOREST_OBSTACLE_COUNT])(basic_procedure &) = {
    draw_obstacle_boulder,      draw_obstacle_log,       draw_obstacle_termite_mound,
    draw_obstacle_bear_carcass, draw_obstacle_sink_hole, draw_obstacle_briar_patch,
    draw_obstacle_spider_web,
};

void print_line(const char *line)
{
    rt_print(text(line), PRINT_NEWLINE);
}

// A room's entry: the screen cleared and the picture on rows 1 to 10. The herb
// room shows the herb until it has been delivered.
void room_entry(basic_procedure &p, int32_t room)
{
    if (room != FOREST_HERB_ROOM) {
        p.stmt(1560, [&] { rt_cls(0, 0, 0); });
        game_gosub(p, 1561, rp(RP_FOREST_VIEW), [&] { draw_forest_view(p); });
        return;
    }
    p.stmt(1580, [&] { rt_cls(0, 0, 0); });
    bool herb_here = false;
    p.stmt(1581, [&] { herb_here = herb_pennyroyal == 0.0f; });
    if (herb_here)
        game_gosub(p, 1581, rp(RP_FOREST_HERB_PICTURE), [&] { draw_herb_pennyroyal(p); });
    else
        game_gosub(p, 1581, rp(RP_FOREST_HERB_ROOM_VIEW), [&] { draw_forest_view(p); });
}

// A room's texts, one per line, and an empty line; the herb room gives the
// herb with its first text and has no empty line.
void room_texts(basic_procedure &p, int32_t room)
{
    const forest_room &r = bamboo_forest_map[room];
    if (room == FOREST_HERB_ROOM) {
        bool herb_here = false;
        p.stmt(1582, [&] { herb_here = herb_pennyroyal == 0.0f; });
        if (herb_here) {
            p.stmt(1582, [&] { print_line("You got the Herb!!!"); });
            p.stmt(1582, [&] { forest_herb_carried = PENNYROYAL_MARK; });
        }
        p.stmt(1583, [&] { print_line(r.texts[0]); });
        return;
    }
    const int32_t count = forest_room_text_count(r);
    for (int32_t i = 0; i < count; ++i)
        p.stmt(1562 + uint32_t(i), [&] { print_line(r.texts[i]); });
    p.stmt(1565, [&] { print_line(""); });
}

// Leaving by room 1's NORTH: with the herb carried, the marker, its tune and
// the save; then the Enter release, a pause and the wipe.
void forest_leave(basic_procedure &p)
{
    bool carried = false;
    p.stmt(1590, [&] { carried = forest_herb_carried == PENNYROYAL_MARK; });
    if (carried) {
        p.stmt(1590, [&] { herb_pennyroyal = PENNYROYAL_MARK; });
        p.stmt(1590, [&] { rt_play(text("MB<<L12GGGGEGL6>C>")); });
        game_gosub(p, 1590, rp(RP_FOREST_SAVE), [&] { save_progress(p); });
    }
    // The Enter that ended the typed line is normally released by now; the
    // wait sleeps between reads so that it never keeps a core busy.
    for (;;) {
        bool released = false;
        p.stmt(1591, [&] { released = key_hit_next() == KEY_ENTER_UP; });
        if (released)
            break;
        key_poll_pause(1591);
    }
    p.stmt(1592, [&] { delay_seconds(0.1); });
    game_gosub(p, 1593, rp(RP_FOREST_LEAVE_WIPE), [&] { screen_wipe(p); });
}

// What a typed line does in a room.
enum class forest_step { stay, go, leave, give_up };

// Reads the typed line and acts on it: a direction takes its exit (an
// obstacle's picture is drawn before the room's texts come again), a quit
// word gives up. *room becomes the next room for go.
forest_step room_command(basic_procedure &p, int32_t *room)
{
    p.stmt(1566, [&] { basic_input(text(""), forest_command); });
    for (int d = 0; d < FOREST_DIRECTION_COUNT; ++d) {
        bool typed = false;
        p.stmt(1567 + uint32_t(d),
               [&] { typed = string_equal(forest_command, text(forest_direction_words[d])); });
        if (!typed)
            continue;
        const forest_exit &exit = bamboo_forest_map[*room].exits[d];
        switch (exit.kind) {
        case forest_exit_kind::room:
            *room = exit.room;
            return forest_step::go;
        case forest_exit_kind::obstacle:
            game_gosub(p, 1567 + uint32_t(d), rp(RP_FOREST_OBSTACLE),
                       [&] { obstacle_pictures[size_t(exit.obstacle)](p); });
            return forest_step::stay;
        case forest_exit_kind::leave:
            return forest_step::leave;
        case forest_exit_kind::wall:
            return forest_step::stay;
        }
    }
    bool quit = false;
    p.stmt(1571, [&] {
        quit = (string_equal(forest_command, text(forest_quit_words[0])) |
                string_equal(forest_command, text(forest_quit_words[1])) |
                string_equal(forest_command, text(forest_quit_words[2]))) != 0;
    });
    if (!quit)
        return forest_step::stay;
    p.stmt(1571, [&] { forest_herb_carried = 0.0f; });
    game_gosub(p, 1571, rp(RP_FOREST_QUIT_WIPE), [&] { screen_wipe(p); });
    return forest_step::give_up;
}

} // namespace

scene bamboo_forest_quest(basic_procedure &p)
{
    int32_t room = FOREST_ENTRANCE;
    for (;;) {
        room_entry(p, room);
        forest_step step;
        do {
            room_texts(p, room);
            step = room_command(p, &room);
        } while (step == forest_step::stay);
        if (step == forest_step::leave)
            forest_leave(p);
        if (step != forest_step::go)
            return scene::menu_entry;
    }
}
