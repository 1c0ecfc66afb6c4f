// Code-page-437 rows of the three story pictures: TARVO at home, the
// friends in the bamboo forest and the Badger's clearing. Each row is one PRINTed
// string; bytes above 126 and below 32 are written as escapes, with the row
// drawn beside it.
#include "game/pictures.h"

#include "game/game_basic.h"

#include <iterator>

// clang-format off
// story_home_rows
const char *const story_home_rows[14] = {
    "         \xCE\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xCE", //          ╬▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀╬
    "         \xBA                                       \xBA", //          ║                                       ║
    "         \xBA  \xCE\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xCE                            \xBA", //          ║  ╬▀▀▀▀▀▀▀╬                            ║
    "         \xBA  \xBA \xB3 \xB3 \xB3 \xBA                            \xBA", //          ║  ║ │ │ │ ║                            ║
    "         \xBA  \xBA \xB3 \xB3 \xB3 \xBA                  \xCE\xDF\xDF\xDF\xDF\xDF\xCE   \xBA", //          ║  ║ │ │ │ ║                  ╬▀▀▀▀▀╬   ║
    "         \xBA  \xBA \xB3 \xB3 \xB3 \xBA                  \xBA     \xBA   \xBA", //          ║  ║ │ │ │ ║                  ║     ║   ║
    "         \xBA  \xCE\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xCE                  \xBA     \xBA   \xBA", //          ║  ╬▀▀▀▀▀▀▀╬                  ║     ║   ║
    "         \xBA                             \xBA     \xBA   \xBA", //          ║                             ║     ║   ║
    "         \xBA               ( )__( )      \xBA     \xBA   \xBA", //          ║               ( )__( )      ║     ║   ║
    "         \xBA                \xB3 o o\xB3       \xBA   o \xBA   \xBA", //          ║                │ o o│       ║   o ║   ║
    "         \xBA                ( _\xDF )       \xBA     \xBA   \xBA", //          ║                ( _▀ )       ║     ║   ║
    "         \xBA                U   \xB3        \xBA     \xBA   \xBA", //          ║                U   │        ║     ║   ║
    "         \xBA                \xB3   )        \xBA     \xBA   \xBA", //          ║                │   )        ║     ║   ║
    "         \xCE_________________U_U___________________\xCE", //          ╬_________________U_U___________________╬
};

// story_forest_rows
const char *const story_forest_rows[17] = {
    "   \xBA             \xBA              \xBA            \xBA             \xBA \xBA", //    ║             ║              ║            ║             ║ ║
    "   \xBA             \xCE              \xBA/           \xBA             \xBA \xCE", //    ║             ╬              ║/           ║             ║ ╬
    "   \xBA             \xBA              \xBA            \xCE             \xBA \xBA", //    ║             ║              ║            ╬             ║ ║
    "   \xCE            \\\xBA              \xBA            \xBA             \xCE \xBA", //    ╬            \║              ║            ║             ╬ ║
    "   \xBA             \xBA              \xCE            \xBA             \xBA \xBA", //    ║             ║              ╬            ║             ║ ║
    "   \xBA/            \xBA              \xBA            \xBA/            \xBA \xBA", //    ║/            ║              ║            ║/            ║ ║
    "   \xBA             \xBA              \xBA            \xBA            \\\xBA \xBA", //    ║             ║              ║            ║            \║ ║
    "   \xBA             \xCE             \\\xBA            \xBA             \xBA \xCE", //    ║             ╬             \║            ║             ║ ╬
    "   \xBA      \x7F__\x7F   \xBA    \xB3\\__/\xB3    \xBA            \xCE   ( )__( )  \xBA \xBA", //    ║      ⌂__⌂   ║    │\__/│    ║            ╬   ( )__( )  ║ ║
    "   \xCE     \xB3 o o\xB3  \xBA    \xB3 \xE5 \xE5\xB3    \xBA     =\xF0\xF0\xF0   \xBA    \xB3o o \xB3   \xBA \xBA", //    ╬     │ o o│  ║    │ σ σ│    ║     =≡≡≡   ║    │o o │   ║ ║
    "   \xBA     ( _\xEC )  \xBA  |\\\xB3  =_\x04)   \xCE   =\xF0 \xF8\xD2\xF8\xF0  \xBA    ( \xDF_ )   \xBA \xBA", //    ║     ( _∞ )  ║  |\│  =_♦)   ╬   =≡ °╥°≡  ║    ( ▀_ )   ║ ║
    "   \xBA     U   \xB3   \xBA  \xB3 \xB3U        \xBA  =\xF0  _\xBA \xF0  \xBA     \xB3   U   \xCE \xBA", //    ║     U   │   ║  │ │U        ║  =≡  _║ ≡  ║     │   U   ╬ ║
    "   \xBA     (   )   \xBA   \\\xB3 _ \xB3     \xBA  =\xF0 W  W   \xBA     (   \xB3   \xBA \xBA", //    ║     (   )   ║   \│ _ │     ║  =≡ W  W   ║     (   │   ║ ║
    "   \xBA  \xD2   U U    \xCE     U U      \xBA    U  U    \xBA      U U    \xBA/\xBA", //    ║  ╥   U U    ╬     U U      ║    U  U    ║      U U    ║/║
    "   \xCE  \xBA ,  '  ,  \xBA              \xBA    ,  ,    \xCE             \xBA \xBA", //    ╬  ║ ,  '  ,  ║              ║    ,  ,    ╬             ║ ║
    "   \xBA  \xBA          \xBA    '  ,  '   \xBA            \xBA    ,  '  ,  \xBA \xCE", //    ║  ║          ║    '  ,  '   ║            ║    ,  '  ,  ║ ╬
    "   \xD3  \xBA    .  ,  \xD3              \xD3      '  .  \xD3             \xD3 \xD3", //    ╙  ║    .  ,  ╙              ╙      '  .  ╙             ╙ ╙
};

// story_clearing_rows
const char *const story_clearing_rows[17] = {
    "   \xBA                                                       \xBA \xBA", //    ║                                                       ║ ║
    "   \xBA                                                       \xBA \xCE", //    ║                                                       ║ ╬
    "   \xCE                                                       \xBA \xBA", //    ╬                                                       ║ ║
    "   \xBA                                                       \xCE \xBA", //    ║                                                       ╬ ║
    "   \xBA                                                       \xBA \xBA", //    ║                                                       ║ ║
    "   \xBA/                                                      \xBA \xBA", //    ║/                                                      ║ ║
    "   \xBA                                                      \\\xBA \xBA", //    ║                                                      \║ ║
    "   \xBA(\\_____/)                                              \xBA \xCE", //    ║(\_____/)                                              ║ ╬
    "   \xBA\xB3 \xE9 \xBA \xE9 \xB3    ( )__( )   \xB3\\__/\xB3      \x7F__\x7F               \xBA \xBA", //    ║│ Θ ║ Θ │    ( )__( )   │\__/│      ⌂__⌂               ║ ║
    "   \xCE\xB3  \xDF\xDF\xDF  \xB3     \xB3o o \xB3    \xB3\xE5 \xE5 \xB3     \xB3o o \xB3     \xF0\xF0\xF0=     \xBA \xBA", //    ╬│  ▀▀▀  │     │o o │    │σ σ │     │o o │     ≡≡≡=     ║ ║
    "   \xBA \\__-__/      ( \xDF_ )   (\x04_=  \xB3/|   ( \xEC_ )    \xF0\xF8\xD2\xF8 \xF0=   \xCE \xBA", //    ║ \__-__/      ( ▀_ )   (♦_=  │/|   ( ∞_ )    ≡°╥° ≡=   ╬ ║
    "   \xBA \xB3  \x03  \xB3\xBF      \xB3   U        U\xB3 \xB3    \xB3   U    \xF0 \xBA_  \xF0=  \xBA \xBA", //    ║ │  ♥  │┐      │   U        U│ │    │   U    ≡ ║_  ≡=  ║ ║
    "   \xBA \xB3     \xB3\xB3      (   \xB3     \xB3 _ \xB3/     (   ) \xD2   W  W \xF0=  \xBA \xBA", //    ║ │     ││      (   │     │ _ │/     (   ) ╥   W  W ≡=  ║ ║
    "   \xBA  U   U \xB3  \xD2    U U       U U        U U  \xBA    U  U    \xBA/\xBA", //    ║  U   U │  ╥    U U       U U        U U  ║    U  U    ║/║
    "   \xBA    ,      \xBA                     \xD2       '  ,          \xBA \xCE", //    ║    ,      ║                     ╥       '  ,          ║ ╬
    "   \xCE           \xBA          .  ,  '    \xBA        \xBA            \xBA \xBA", //    ╬           ║          .  ,  '    ║        ║            ║ ║
    "   \xD3    ,  .   \xBA                     \xBA  ,  '  \xBA            \xD3 \xD3", //    ╙    ,  .   ║                     ║  ,  '  ║            ╙ ╙
};
// clang-format on

namespace
{

// A story picture: five empty lines, its rows, three empty lines, RETURN; its
// statements are numbered from first_line.
void draw_story_picture(basic_procedure &p, uint32_t first_line, const char *const *rows,
                        size_t count)
{
    uint32_t line = first_line;
    for (int i = 0; i < 5; ++i)
        p.stmt(line++, [&] { basic_print_line(); });
    for (size_t i = 0; i < count; ++i)
        p.stmt(line++, [&] { basic_print(text(rows[i])); });
    for (int i = 0; i < 3; ++i)
        p.stmt(line++, [&] { basic_print_line(); });
    p.stmt(line, [&] { game_return(); });
}

} // namespace

void draw_story_home(basic_procedure &p)
{
    draw_story_picture(p, 2600, story_home_rows, std::size(story_home_rows));
}

void draw_story_forest(basic_procedure &p)
{
    draw_story_picture(p, 2700, story_forest_rows, std::size(story_forest_rows));
}

void draw_story_clearing(basic_procedure &p)
{
    draw_story_picture(p, 2800, story_clearing_rows, std::size(story_clearing_rows));
}
