// How the game's BASIC routine is laid out in C++.
//
// The game is one compiled routine, game_main_module. Every BASIC statement is
// written as p.stmt(line, ...) with its source line number, so the
// statement-end step (temporaries released, the event check when an event is
// pending) follows it. Scenes that BASIC joins by GOTO are C++ functions that
// return the scene to go to next; routines entered by GOSUB are C++ functions
// called through game_gosub and ended by game_return.
//
// Source line numbers: each scene and routine owns a block of numbers and
// counts its statements up by one from the start of its block:
//     10-99     start-up and the save load
//     100-199   title screen
//     200-299   menu entry, menu loop and dispatch
//     300-499   draw_menu and its help and credit texts
//     500-699   story introduction
//     700-799   ending
//     1000-1755 the quests (Elemento holds 1238-1396)
//     1756-1760 the held-key function
//     2000-2099 screen_wipe, 2100-2199 show_splash, 2200-2299 save_progress
//     2400-2899 the title, menu and story pictures
#pragma once

#include "core/basic.h"
#include "core/gosub_stack.h"
#include "core/strings.h"
#include "screen/text_output.h"

#include <cstdint>

// GOSUB return points: every GOSUB site of the game has its own number.
enum return_point : uint32_t {
    RP_STARTUP_SPLASH = 1,
    RP_STARTUP_SAVE,
    RP_TITLE_PICTURE,
    RP_TITLE_ESC_WIPE,
    RP_TITLE_STORY,
    RP_MENU_PICTURE,
    RP_MENU_DRAW,
    RP_MENU_LEFT_DRAW,
    RP_MENU_RIGHT_DRAW,
    RP_MENU_CREDITS_DRAW,
    RP_MENU_BONUS_WIPE,
    RP_DISPATCH_ECHIDNA_WIPE,
    RP_DISPATCH_FOX_WIPE,
    RP_DISPATCH_PIG_WIPE,
    RP_DISPATCH_TARVO_WIPE,
    RP_DISPATCH_QUIT_WIPE,
    RP_DRAW_MENU_PICTURE,
    RP_TITLE_PICTURE_FACES,
    RP_SPLASH_WIPE,
    RP_STORY_HOME_WIPE,
    RP_STORY_HOME,
    RP_STORY_FOREST_WIPE,
    RP_STORY_FOREST,
    RP_STORY_CLEARING_WIPE,
    RP_STORY_CLEARING,
    RP_STORY_END_WIPE,
    RP_ENDING_WIPE,
    RP_ENDING_CLEARING,
    RP_ENDING_DRINK_WIPE,
    RP_ENDING_DRINK_CLEARING,
    RP_ENDING_NEXT_DAY_WIPE,
    RP_ENDING_FOREST_WIPE,
    RP_ENDING_FOREST,
    RP_ENDING_SAVE,
    RP_ENDING_LEAVE_WIPE,
    // The quests number their GOSUB sites from here up to the highest.
    RP_QUESTS_FIRST,
};

// The highest return point of the game: a RETURN that meets a higher number
// raises error 3.
constexpr uint32_t GAME_HIGHEST_RETURN_POINT = 180;
static_assert(RP_QUESTS_FIRST <= GAME_HIGHEST_RETURN_POINT);

// GOSUB: pushes the site's return point and runs the routine. The GOSUB
// statement's own statement-end step runs when the routine has come back.
template <typename Routine>
void game_gosub(basic_procedure &p, uint32_t line, return_point point, Routine &&routine)
{
    p.stmt(line, [&] { p.gosub(point, routine); });
}

// RETURN: takes the return point off the GOSUB stack (error 3 when there is
// none or it is above the game's highest); the C++ routine then returns.
inline void game_return()
{
    uint32_t point;
    gosub_pop(GAME_HIGHEST_RETURN_POINT, &point);
}

// A string literal of the program as a temporary string over its bytes.
inline string_descriptor *text(const char *literal)
{
    return string_from_cstr(literal);
}

// PRINT of one item: the fit step, then the item, with a line end unless the
// statement ends in a semicolon.
inline void basic_print(string_descriptor *item, int32_t newline = PRINT_NEWLINE)
{
    print_make_fit(item);
    rt_print(item, newline);
}

// PRINT with no item: an empty line.
inline void basic_print_line()
{
    rt_print(nullptr, PRINT_NEWLINE);
}

// LOCATE row, column; LOCATE row; LOCATE , column.
inline void basic_locate(int32_t row, int32_t column)
{
    rt_locate(row, column, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
}
inline void basic_locate_row(int32_t row)
{
    rt_locate(row, 0, 0, 0, 0, LOCATE_ROW);
}
inline void basic_locate_column(int32_t column)
{
    rt_locate(0, column, 0, 0, 0, LOCATE_COLUMN);
}
