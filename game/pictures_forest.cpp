// Code-page-437 rows of the forest pictures; each row is one PRINTed string,
// drawn beside it.
#include "game/pictures_forest.h"

#include "game/game_basic.h"
#include "screen/text_output.h"

namespace
{

constexpr char FRAME_TOP[] = "\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC"
                             "\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC";
constexpr char FRAME_BOTTOM[] = "\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF"
                                "\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF";

} // namespace

// One picture row per line, drawn in the comment beside it.
// clang-format off
// Bamboo stalks
const char *const forest_view_rows[PICTURE_ROWS] = {
    FRAME_TOP,
    "\xDD   \xD2    \xBA \xD2   \xCE      \xD2  \xBA\xDE", // ▌   ╥    ║ ╥   ╬      ╥  ║▐
    "\xDD   \xBA \xD2  \xBA \xCE   \xBA    \xD2 \xBA  \xCE\xDE", // ▌   ║ ╥  ║ ╬   ║    ╥ ║  ╬▐
    "\xDD\xBA  \xCE \xBA  \xCE \xBA \xCE \xCE    \xBA \xCE  \xBA\xDE", // ▌║  ╬ ║  ╬ ║ ╬ ╬    ║ ╬ ║▐
    "\xDD\xCE  \xBA \xCE  \xBA \xCE \xBA \xBA  \xD2 \xCE \xBA  \xCE\xDE", // ▌╬  ║ ╬  ║ ╬ ║ ║  ╥ ╬ ║
                                                                          // ╬▐
    "\xDD\xBA  \xCE \xBA  \xCE \xBA \xBA \xCE  \xBA \xBA \xCE  \xBA\xDE", // ▌║  ╬ ║  ╬ ║ ║ ╬  ║ ║ ╬
                                                                          // ║▐
    "\xDD\xCE  \xBA \xCE  \xBA \xCE \xCE \xBA  \xBA \xCE \xBA  \xCE\xDE", // ▌╬  ║ ╬  ║ ╬ ╬ ║  ║ ╬ ║
                                                                          // ╬▐
    "\xDD\xBA  \xCE \xBA  \xCE \xCE \xBA \xCE  \xCE \xBA \xCE  \xBA\xDE", // ▌║  ╬ ║  ╬ ╬ ║ ╬  ╬ ║ ╬
                                                                          // ║▐
    "\xDD\xCE  \xBA \xCE  \xBA \xBA \xCE \xBA  \xCE \xCE \xBA  \xCE\xDE", // ▌╬  ║ ╬  ║ ║ ╬ ║  ╬ ╬ ║
                                                                          // ╬▐
    FRAME_BOTTOM,
};

// A large shaded rock
const char
    *const obstacle_boulder_rows[PICTURE_ROWS] =
        {
            FRAME_TOP,
            "\xDD                         \xDE", // ▌                         ▐
            "\xDD                         \xDE", // ▌                         ▐
            "\xDD       \xB1\xB1\xB1\xB1\xB1\xB0\xB0\xB0\xB0\xB0\xB0       \xDE", // ▌ ▒▒▒▒▒░░░░░░ ▐
            "\xDD     \xB1\xB1\xB1\xB1\xB1\xB1\xB0\xB0\xB1\xB0\xB0\xB0\xB0\xB0\xB0     \xDE", // ▌
                                                                                              // ▒▒▒▒▒▒░░▒░░░░░░
                                                                                              // ▐
            "\xDD   \xB2\xB1\xB1\xB1\xB1\xB0\xB1\xB1\xB1\xB1\xB1\xB0\xB0\xB1\xB0\xB0\xB0\xB0    "
            "\xDE", // ▌   ▓▒▒▒▒░▒▒▒▒▒░░▒░░░░    ▐
            "\xDD   \xB2\xB1\xB1\xB2\xB1\xB1\xB1\xB1\xB1\xB0\xB1\xB1\xB1\xB0\xB0\xB0\xB0\xB0\xB0   "
            "\xDE", // ▌   ▓▒▒▓▒▒▒▒▒░▒▒▒░░░░░░   ▐
            "\xDD  "
            "\xB2\xB2\xB2\xB2\xB2\xB1\xB1\xB1\xB1\xB0\xB1\xB1\xB1\xB0\xB0\xB1\xB0\xB0\xB0\xB0\xB0  "
            "\xDE", // ▌  ▓▓▓▓▓▒▒▒▒░▒▒▒░░▒░░░░░  ▐
            "\xDD  "
            "\xB2\xB2\xB2\xB2\xB2\xB2\xB2\xB1\xB2\xB2\xB1\xB1\xB1\xB1\xB0\xB0\xB1\xB1\xB0\xB0\xB0  "
            "\xDE", // ▌  ▓▓▓▓▓▓▓▒▓▓▒▒▒▒░░▒▒░░░  ▐
            FRAME_BOTTOM,
};

// A pit between two posts
const char *const obstacle_sink_hole_rows[PICTURE_ROWS] =
    {
        FRAME_TOP,
        "\xDD\xCE                       \xBA\xDE", // ▌╬                       ║▐
        "\xDD\xBA                       \xCE\xDE", // ▌║                       ╬▐
        "\xDD\xCE                       \xBA\xDE", // ▌╬                       ║▐
        "\xDD\xBA_______________________\xCE\xDE", // ▌║_______________________╬▐
        "\xDD "
        "\xB2\xB2\xB1\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB2\xB1"
        "\xB1 \xDE", // ▌ ▓▓▒░░░░░░░░░░░░░░░░░▓▒▒ ▐
        "\xDD   \xB2\xB2\xB1\xB1\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB0\xB1\xB1\xB1  "
        "\xDE", // ▌   ▓▓▒▒░░░░░░░░░░░░░▒▒▒  ▐
        "\xDD      \xB2\xB2\xB2\xB2\xB2\xB2\xB2\xB2\xB2\xB2\xB2\xB1\xB1\xB2     \xDE", // ▌
                                                                                       // ▓▓▓▓▓▓▓▓▓▓▓▒▒▓
                                                                                       // ▐
        "\xDD                         \xDE", // ▌                         ▐
        FRAME_BOTTOM,
};

// A carcass with fumes rising above it
const char *const obstacle_bear_carcass_rows[PICTURE_ROWS] = {
    FRAME_TOP,
    "\xDD          (              \xDE",        // ▌          (              ▐
    "\xDD      (   )    (    )    \xDE",        // ▌      (   )    (    )    ▐
    "\xDD      )   (    )    (    \xDE",        // ▌      )   (    )    (    ▐
    "\xDD      (        (    )    \xDE",        // ▌      (        (    )    ▐
    "\xDD         _________  (    \xDE",        // ▌         _________  (    ▐
    "\xDD   \x7F__\x7F/          \\      \xDE", // ▌   ⌂__⌂/          \      ▐
    "\xDD  \xB3x x  __          \\ __ \xDE",    // ▌  │x x  __          \ __ ▐
    "\xDD (\x04_  (                 )\xDE",     // ▌ (♦_  (                 )▐
    FRAME_BOTTOM,
};

// A fallen log, its cut end on the right
const char
    *const
        obstacle_log_rows[PICTURE_ROWS] =
            {
                FRAME_TOP,
                "\xDD                         \xDE", // ▌                         ▐
                "\xDD                         \xDE", // ▌                         ▐
                "\xDD                         \xDE", // ▌                         ▐
                "\xDD_______________________  \xDE", // ▌_______________________  ▐
                "\xDD\xB2\xB2\xB1\xB2\xB1\xB2\xB2\xB2\xB2\xB2\xB1\xB2\xB2\xB2\xB1\xB2\xB1  / _ \\ "
                "\xDE", // ▌▓▓▒▓▒▓▓▓▓▓▒▓▓▓▒▓▒  / _ \ ▐
                "\xDD\xB0\xB0\xB0\xB2\xB1\xB2\xB2\xB2\xB1\xB1\xB1\xB1\xB0\xB0\xB0\xB1_ \xB3 / \\ "
                "\xB3\xDE", // ▌░░░▓▒▓▓▓▒▒▒▒░░░▒_ │ / \ │▐
                "\xDD   \xB0\xB0\xB0__\xB0\xB0\xB0_______\xB3 \\_/ \xB3\xDE", // ▌ ░░░__░░░_______│
                                                                              // \_/ │▐
                "\xDD ____    _______   \\__ / \xDE", // ▌ ____    _______   \__ / ▐
                FRAME_BOTTOM,
};

// A web with its spider
const char *const obstacle_spider_web_rows[PICTURE_ROWS] = {
    FRAME_TOP,
    "\xDD \\   /    / | \\    \\   / \xDE",            // ▌ \   /    / | \    \   / ▐
    "\xDD \xB3  \\   /   |   \\   /  \xB3 \xDE",       // ▌ │  \   /   |   \   /  │ ▐
    "\xDD \xB3  \xB3  \\  / | \\  /  \xB3  \xB3 \xDE", // ▌ │  │  \  / | \  /  │  │ ▐
    "\xDD_\xB3__\xB3__\xB3__\\_|_/__\xB3__\xB3__\xB3_\xDE", // ▌_│__│__│__\_|_/__│__│__│_▐
    "\xDD \xB3  \xB3  \xB3  / | \\  \xB3  \xB3  \xB3 \xDE", // ▌ │  │  │  / | \  │  │  │ ▐
    "\xDD \xB3  \xB3  /\\   |   /\\  \xB3  \xB3 \xDE", // ▌ │  │  /\   |   /\  │  │ ▐
    "\xDD \xB3  /\\    \\ | / \xF7"
    "0\xF7 \\  \xB3 \xDE",                  // ▌ │  /\    \ | / ≈0≈ \  │ ▐
    "\xDD /\\    \\    |    /    /\\ \xDE", // ▌ /\    \    |    /    /\ ▐
    FRAME_BOTTOM,
};

// A cracked mound between bamboo stalks
const char *const obstacle_termite_mound_rows[PICTURE_ROWS] = {
    FRAME_TOP,
    "\xDD\xCE   \xCE     ____        \xBA \xD2\xDE", // ▌╬   ╬     ____        ║ ╥▐
    "\xDD\xBA \xCE \xCE    / | |\xB3       \xCE \xCE\xDE", // ▌║ ╬ ╬    / | |│       ╬ ╬▐
    "\xDD\xCE \xBA \xBA   \xB3 |  |\xB3     \xD2 \xBA \xBA\xDE", // ▌╬ ║ ║   │ |  |│     ╥ ║ ║▐
    "\xDD\xBA \xCE \xCE   \xB3 | |  \\    \xBA \xBA \xCE\xDE", // ▌║ ╬ ╬   │ | |  \    ║ ║ ╬▐
    "\xDD\xBA \xBA \xCE   \xB3 |   | \\   \xCE \xCE \xBA\xDE", // ▌║ ║ ╬   │ |   | \   ╬ ╬ ║▐
    "\xDD\xCE \xCE \xBA  / |  |  | \xB3  \xCE \xBA \xCE\xDE", // ▌╬ ╬ ║  / |  |  | │  ╬ ║ ╬▐
    "\xDD\xBA \xCE \xBA \xB3  |   | | \xB3  \xBA \xCE \xCE\xDE", // ▌║ ╬ ║ │  |   | | │  ║ ╬ ╬▐
    "\xDD\xCE \xBA \xCE \xB3 |    | | \xB3  \xCE \xBA \xBA\xDE", // ▌╬ ║ ╬ │ |    | | │  ╬ ║ ║▐
    FRAME_BOTTOM,
};

// A tangle of thorny stems
const char *const obstacle_briar_patch_rows[PICTURE_ROWS] = {
    FRAME_TOP,
    "\xDD   )\xAF                    \xDE",                   // ▌   )»                    ▐
    "\xDD  \xAE(       )\xAF  \xAE(        \xDE",             // ▌  «(       )»  «(        ▐
    "\xDD   \xB3  \xAE\xB3 \xAE(  )\xAF )\xAF     )\xAF\xDE", // ▌   │  «│ «(  )» )»     )»▐
    "\xDD   )\xAF  )\xAF \xB3  \xB3\xAE(     \xAE(  \xDE", // ▌   )»  )» │  │«(     «(  ▐
    "\xDD \xAE(  \xAE(   )\xAF )\xAF \xB3 \xAE(  \xB3\xAF \xDE", // ▌ «(  «(   )» )» │ «(  │» ▐
    "\xDD(  )\xAF )\xAF  \xB3\xAE(   )\xAF ) \xAE(  \xDE", // ▌(  )» )»  │«(   )» ) «(  ▐
    "\xDD\xB3 \xAE(  \xB3  \xAE(  )\xAF\xAE(  \xB3   )\xAF\xDE", // ▌│ «(  │  «(  )»«(  │   )»▐
    "\xDD)\xAF ) \xAE(   \xB3 \xAE(  \xB3 \xAE( \xAE(  \xDE", // ▌)» ) «(   │ «(  │ «( «(  ▐
    FRAME_BOTTOM,
};
// clang-format on

// Statement numbers: the routines hold lines 1660 to 1755, twelve each in the
// order below: LOCATE (and CLS) on the first, the rows on the next ten, the
// empty line and RETURN on the last.

namespace
{

// LOCATE row 1, with CLS for an obstacle; the ten rows; an empty line; RETURN.
void draw_forest_picture(basic_procedure &p, uint32_t first_line, const char *const *rows,
                         bool clear)
{
    p.stmt(first_line, [&] { rt_locate(1, 0, 0, 0, 0, LOCATE_ROW); });
    if (clear)
        p.stmt(first_line, [&] { rt_cls(0, 0, 0); });
    for (int32_t k = 0; k < PICTURE_ROWS; ++k)
        p.stmt(first_line + 1 + uint32_t(k), [&] { rt_print(text(rows[k]), PRINT_NEWLINE); });
    p.stmt(first_line + 11, [&] { rt_print(text(""), PRINT_NEWLINE); });
    p.stmt(first_line + 11, [&] { game_return(); });
}

} // namespace

void draw_forest_view(basic_procedure &p)
{
    draw_forest_picture(p, 1660, forest_view_rows, false);
}

void draw_obstacle_boulder(basic_procedure &p)
{
    draw_forest_picture(p, 1672, obstacle_boulder_rows, true);
}

void draw_obstacle_sink_hole(basic_procedure &p)
{
    draw_forest_picture(p, 1684, obstacle_sink_hole_rows, true);
}

void draw_obstacle_bear_carcass(basic_procedure &p)
{
    draw_forest_picture(p, 1696, obstacle_bear_carcass_rows, true);
}

void draw_obstacle_log(basic_procedure &p)
{
    draw_forest_picture(p, 1708, obstacle_log_rows, true);
}

void draw_obstacle_spider_web(basic_procedure &p)
{
    draw_forest_picture(p, 1720, obstacle_spider_web_rows, true);
}

void draw_obstacle_termite_mound(basic_procedure &p)
{
    draw_forest_picture(p, 1732, obstacle_termite_mound_rows, true);
}

void draw_obstacle_briar_patch(basic_procedure &p)
{
    draw_forest_picture(p, 1744, obstacle_briar_patch_rows, true);
}
