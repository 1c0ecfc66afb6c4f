// Code-page-437 rows of the title lettering and the menu faces. Each row is one PRINTed
// string; bytes above 126 and below 32 are written as escapes, with the row
// drawn beside it.
#include "game/pictures.h"

#include "game/game_basic.h"

#include <iterator>

// clang-format off
// TARVO ZUDUZ
const char *const title_name_rows[5] = {
    "     \xB2\xB2\xB2\xB2  \xB2\xB2  \xB2\xB2\xB2  \xB2  \xB2  \xB2\xB2         \xB2\xB2\xB2\xB2 \xB2  \xB2 \xB2\xB2\xB2  \xB2  \xB2 \xB2\xB2\xB2\xB2", //      ▓▓▓▓  ▓▓  ▓▓▓  ▓  ▓  ▓▓         ▓▓▓▓ ▓  ▓ ▓▓▓  ▓  ▓ ▓▓▓▓
    "      \xB2\xB2  \xB2  \xB2 \xB2  \xB2 \xB2  \xB2 \xB2  \xB2           \xB2 \xB2  \xB2 \xB2  \xB2 \xB2  \xB2    \xB2", //       ▓▓  ▓  ▓ ▓  ▓ ▓  ▓ ▓  ▓           ▓ ▓  ▓ ▓  ▓ ▓  ▓    ▓
    "      \xB1\xB1  \xB1\xB1\xB1\xB1 \xB1\xB1\xB1  \xB1  \xB1 \xB1  \xB1         \xB1\xB1  \xB1  \xB1 \xB1  \xB1 \xB1  \xB1  \xB1\xB1", //       ▒▒  ▒▒▒▒ ▒▒▒  ▒  ▒ ▒  ▒         ▒▒  ▒  ▒ ▒  ▒ ▒  ▒  ▒▒
    "      \xB0\xB0  \xB0  \xB0 \xB0 \xB0   \xB0\xB0  \xB0  \xB0        \xB0    \xB0  \xB0 \xB0  \xB0 \xB0  \xB0 \xB0", //       ░░  ░  ░ ░ ░   ░░  ░  ░        ░    ░  ░ ░  ░ ░  ░ ░
    "      \xB0\xB0  \xB0  \xB0 \xB0  \xB0  \xB0\xB0   \xB0\xB0         \xB0\xB0\xB0\xB0 \xB0\xB0\xB0\xB0 \xB0\xB0\xB0  \xB0\xB0\xB0\xB0 \xB0\xB0\xB0\xB0", //       ░░  ░  ░ ░  ░  ░░   ░░         ░░░░ ░░░░ ░░░  ░░░░ ░░░░
};

// FOUR HERBS
const char *const title_herbs_rows[5] = {
    "         \xB2\xB2\xB2\xB2  \xB2\xB2  \xB2  \xB2 \xB2\xB2\xB2    \xB2  \xB2 \xB2\xB2\xB2\xB2 \xB2\xB2\xB2  \xB2\xB2\xB2   \xB2\xB2\xB2", //          ▓▓▓▓  ▓▓  ▓  ▓ ▓▓▓    ▓  ▓ ▓▓▓▓ ▓▓▓  ▓▓▓   ▓▓▓
    "         \xB2    \xB2  \xB2 \xB2  \xB2 \xB2  \xB2   \xB2  \xB2 \xB2    \xB2  \xB2 \xB2  \xB2 \xB2", //          ▓    ▓  ▓ ▓  ▓ ▓  ▓   ▓  ▓ ▓    ▓  ▓ ▓  ▓ ▓
    "         \xB2\xB2\xB2  \xB2  \xB2 \xB2  \xB2 \xB2\xB2\xB2    \xB2\xB2\xB2\xB2 \xB2\xB2\xB2  \xB2\xB2\xB2  \xB2\xB2\xB2   \xB2\xB2", //          ▓▓▓  ▓  ▓ ▓  ▓ ▓▓▓    ▓▓▓▓ ▓▓▓  ▓▓▓  ▓▓▓   ▓▓
    "         \xB2    \xB2  \xB2 \xB2  \xB2 \xB2 \xB2    \xB2  \xB2 \xB2    \xB2 \xB2  \xB2  \xB2    \xB2", //          ▓    ▓  ▓ ▓  ▓ ▓ ▓    ▓  ▓ ▓    ▓ ▓  ▓  ▓    ▓
    "         \xB2     \xB2\xB2  \xB2\xB2\xB2\xB2 \xB2  \xB2   \xB2  \xB2 \xB2\xB2\xB2\xB2 \xB2  \xB2 \xB2\xB2\xB2  \xB2\xB2\xB2", //          ▓     ▓▓  ▓▓▓▓ ▓  ▓   ▓  ▓ ▓▓▓▓ ▓  ▓ ▓▓▓  ▓▓▓
};

// ONE QUEST
const char *const title_quest_rows[5] = {
    "                   \xB2\xB2  \xB2  \xB2 \xB2\xB2\xB2\xB2    \xB2\xB2  \xB2  \xB2 \xB2\xB2\xB2\xB2  \xB2\xB2\xB2 \xB2\xB2\xB2\xB2", //                    ▓▓  ▓  ▓ ▓▓▓▓    ▓▓  ▓  ▓ ▓▓▓▓  ▓▓▓ ▓▓▓▓
    "                  \xB2  \xB2 \xB2\xB2 \xB2 \xB2      \xB2  \xB2 \xB2  \xB2 \xB2    \xB2     \xB2\xB2", //                   ▓  ▓ ▓▓ ▓ ▓      ▓  ▓ ▓  ▓ ▓    ▓     ▓▓
    "                  \xB2  \xB2 \xB2 \xB2\xB2 \xB2\xB2\xB2    \xB2  \xB2 \xB2  \xB2 \xB2\xB2\xB2   \xB2\xB2   \xB2\xB2", //                   ▓  ▓ ▓ ▓▓ ▓▓▓    ▓  ▓ ▓  ▓ ▓▓▓   ▓▓   ▓▓
    "                  \xB2  \xB2 \xB2  \xB2 \xB2      \xB2 \xB2  \xB2  \xB2 \xB2       \xB2  \xB2\xB2", //                   ▓  ▓ ▓  ▓ ▓      ▓ ▓  ▓  ▓ ▓       ▓  ▓▓
    "                   \xB2\xB2  \xB2  \xB2 \xB2\xB2\xB2\xB2    \xB2 \xB2 \xB2\xB2\xB2\xB2 \xB2\xB2\xB2\xB2 \xB2\xB2\xB2   \xB2\xB2", //                    ▓▓  ▓  ▓ ▓▓▓▓    ▓ ▓ ▓▓▓▓ ▓▓▓▓ ▓▓▓   ▓▓
};

// menu faces
const char *const menu_picture_rows[6] = {
    "       ( )__( )                     \x7F__\x7F          \xB3\\__/\xB3", //        ( )__( )                     ⌂__⌂          │\__/│
    "        \xB3 o o\xB3         =\xF0\xF0\xF0        \xB3 o o\xB3         \xB3 \xE5 \xE5\xB3", //         │ o o│         =≡≡≡        │ o o│         │ σ σ│
    "        ( _\xDF )       =\xF0 \xF8\xD2\xF8\xF0       ( _\xEC )       |\\\xB3  =_\x04)", //         ( _▀ )       =≡ °╥°≡       ( _∞ )       |\│  =_♦)
    "        U   \xB3       =\xF0  -\xBA \xF0       U   \xB3        \xB3 \xB3U   ", //         U   │       =≡  -║ ≡       U   │        │ │U   
    "        \xB3   )       =\xF0 W  W        (   )         \\\xB3 _ \xB3", //         │   )       =≡ W  W        (   )         \│ _ │
    "         U U          U  U          U U            U U", //          U U          U  U          U U            U U
};
// clang-format on

namespace
{

// PRINTs rows, one statement each, numbered from first_line.
void print_rows(basic_procedure &p, uint32_t first_line, const char *const *rows, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        p.stmt(first_line + uint32_t(i), [&] { basic_print(text(rows[i])); });
}

} // namespace

void draw_title_picture(basic_procedure &p)
{
    p.stmt(2400, [&] { basic_print_line(); });
    print_rows(p, 2401, title_name_rows, std::size(title_name_rows));
    p.stmt(2406, [&] { basic_print_line(); });
    p.stmt(2407, [&] { basic_print_line(); });
    game_gosub(p, 2408, RP_TITLE_PICTURE_FACES, [&] { draw_menu_picture(p); });
    p.stmt(2409, [&] { basic_print_line(); });
    p.stmt(2410, [&] { basic_print_line(); });
    print_rows(p, 2411, title_herbs_rows, std::size(title_herbs_rows));
    p.stmt(2416, [&] { basic_print_line(); });
    print_rows(p, 2417, title_quest_rows, std::size(title_quest_rows));
    p.stmt(2422, [&] { basic_print_line(); });
    p.stmt(2423, [&] { game_return(); });
}

void draw_menu_picture(basic_procedure &p)
{
    p.stmt(2500, [&] { basic_locate_row(MENU_PICTURE_ROW); });
    print_rows(p, 2501, menu_picture_rows, std::size(menu_picture_rows));
    p.stmt(2507, [&] { game_return(); });
}
