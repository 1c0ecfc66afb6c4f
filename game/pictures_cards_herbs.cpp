// Code-page-437 rows of the card and herb pictures; each row is one PRINTed
// string, drawn beside it.
#include "game/pictures_cards_herbs.h"

#include "core/small_ops.h"
#include "core/string_builtins.h"
#include "game/elemento_forest_return_points.h"
#include "game/elemento_rules.h"
#include "game/game_basic.h"
#include "game/game_state.h"
#include "screen/screen_modes.h"
#include "screen/text_output.h"
#include "sound/play_parser.h"

namespace
{

// The top and bottom rows of a 27-column frame: lower and upper half blocks.
constexpr char FRAME_TOP[] = "\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC"
                             "\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC";
constexpr char FRAME_BOTTOM[] = "\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF"
                                "\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF";

} // namespace

// One picture row per line, drawn in the comment beside it.
// clang-format off
// Tree: a round crown on a double trunk
const char *const card_tree_rows[PICTURE_ROWS] = {
    " \xDC\xDC\xDC\xDC\xDC ", //  ▄▄▄▄▄
    "\xDE     \xDD",          // ▐     ▌
    "\xDE OOO \xDD",          // ▐ OOO ▌
    "\xDEOOOOO\xDD",          // ▐OOOOO▌
    "\xDEOOOOO\xDD",          // ▐OOOOO▌
    "\xDE OOO \xDD",          // ▐ OOO ▌
    "\xDE  \xBA  \xDD",       // ▐  ║  ▌
    "\xDE  \xBA  \xDD",       // ▐  ║  ▌
    "\xDE  \xD0  \xDD",       // ▐  ╨  ▌
    " \xDF\xDF\xDF\xDF\xDF ", //  ▀▀▀▀▀
};

// Water: a shaded drop
const char *const card_water_rows[PICTURE_ROWS] = {
    " \xDC\xDC\xDC\xDC\xDC ",       //  ▄▄▄▄▄
    "\xDE     \xDD",                // ▐     ▌
    "\xDE  \xB1  \xDD",             // ▐  ▒  ▌
    "\xDE \xB1\xB1\xB1 \xDD",       // ▐ ▒▒▒ ▌
    "\xDE\xB1\xB1\xB1\xB0\xB1\xDD", // ▐▒▒▒░▒▌
    "\xDE\xB1\xB1\xB1\xB0\xB1\xDD", // ▐▒▒▒░▒▌
    "\xDE \xB1\xB1\xB1 \xDD",       // ▐ ▒▒▒ ▌
    "\xDE     \xDD",                // ▐     ▌
    "\xDE     \xDD",                // ▐     ▌
    " \xDF\xDF\xDF\xDF\xDF ",       //  ▀▀▀▀▀
};

// Fire: flames over crossed logs
const char *const card_fire_rows[PICTURE_ROWS] = {
    " \xDC\xDC\xDC\xDC\xDC ", //  ▄▄▄▄▄
    "\xDE     \xDD",          // ▐     ▌
    "\xDE     \xDD",          // ▐     ▌
    "\xDE  (  \xDD",          // ▐  (  ▌
    "\xDE ) ) \xDD",          // ▐ ) ) ▌
    "\xDE( ( (\xDD",          // ▐( ( (▌
    "\xDE \\ / \xDD",         // ▐ \ / ▌
    "\xDE / \\ \xDD",         // ▐ / \ ▌
    "\xDE     \xDD",          // ▐     ▌
    " \xDF\xDF\xDF\xDF\xDF ", //  ▀▀▀▀▀
};

// The back: a shaded frame
const char *const card_back_rows[PICTURE_ROWS] = {
    " \xDC\xDC\xDC\xDC\xDC ",       //  ▄▄▄▄▄
    "\xDE\xB1\xB2\xB2\xB2\xB1\xDD", // ▐▒▓▓▓▒▌
    "\xDE\xB2\xB1\xB1\xB1\xB2\xDD", // ▐▓▒▒▒▓▌
    "\xDE\xB2\xB1\xB0\xB1\xB2\xDD", // ▐▓▒░▒▓▌
    "\xDE\xB2\xB1\xB0\xB1\xB2\xDD", // ▐▓▒░▒▓▌
    "\xDE\xB2\xB1\xB0\xB1\xB2\xDD", // ▐▓▒░▒▓▌
    "\xDE\xB2\xB1\xB0\xB1\xB2\xDD", // ▐▓▒░▒▓▌
    "\xDE\xB2\xB1\xB1\xB1\xB2\xDD", // ▐▓▒▒▒▓▌
    "\xDE\xB1\xB2\xB2\xB2\xB1\xDD", // ▐▒▓▓▓▒▌
    " \xDF\xDF\xDF\xDF\xDF ",       //  ▀▀▀▀▀
};

// The Vole
const char *const vole_picture_rows[PICTURE_ROWS] = {
    FRAME_TOP,
    "\xDD                         \xDE",             // ▌                         ▐
    "\xDD                         \xDE",             // ▌                         ▐
    "\xDD    ( )__( )             \xDE",             // ▌    ( )__( )             ▐
    "\xDD     \xB3 o o\xB3              \xDE",       // ▌     │ o o│              ▐
    "\xDD     ( _\xDF )              \xDE",          // ▌     ( _▀ )              ▐
    "\xDD     U   \xB3     0.-.0     \xDE",          // ▌     U   │     0.-.0     ▐
    "\xDD     \xB3   )      \xF7\xA7\xF7      \xDE", // ▌     │   )      ≈º≈      ▐
    "\xDD      U U       )o(/     \xDE",             // ▌      U U       )o(/     ▐
    FRAME_BOTTOM,
};

// Pennyroyal
const char *const herb_pennyroyal_rows[PICTURE_ROWS] = {
    FRAME_TOP,
    "\xDD                         \xDE",          // ▌                         ▐
    "\xDD       \x0F\xCE\x0F               \xDE", // ▌       ☼╬☼               ▐
    "\xDD       \x0F\xCE\x0F               \xDE", // ▌       ☼╬☼               ▐
    "\xDD       \x0F\xCE\x0F               \xDE", // ▌       ☼╬☼               ▐
    "\xDD       \x0F\xCE\x0F               \xDE", // ▌       ☼╬☼               ▐
    "\xDD       \x0F\xCE\x0F               \xDE", // ▌       ☼╬☼               ▐
    "\xDD        \xBA                \xDE",       // ▌        ║                ▐
    "\xDD       (\xBA)               \xDE",       // ▌       (║)               ▐
    FRAME_BOTTOM,
};

// Cotton Root Bark
const char *const herb_cotton_root_rows[PICTURE_ROWS] = {
    FRAME_TOP,
    "\xDD                         \xDE",          // ▌                         ▐
    "\xDD          {\x0F}            \xDE",       // ▌          {☼}            ▐
    "\xDD          {\x0F}            \xDE",       // ▌          {☼}            ▐
    "\xDD       {\x0F} \xB3 {\x0F}         \xDE", // ▌       {☼} │ {☼}         ▐
    "\xDD        \xB3 {\x0F} \xB3          \xDE", // ▌        │ {☼} │          ▐
    "\xDD       {\x0F} \xB3 {\x0F}         \xDE", // ▌       {☼} │ {☼}         ▐
    "\xDD        \xB3 {\x0F} \xB3          \xDE", // ▌        │ {☼} │          ▐
    "\xDD         \\ \xB3 /           \xDE",      // ▌         \ │ /           ▐
    FRAME_BOTTOM,
};

// Mugwort, drawn over the swamp without a frame
const char *const herb_mugwort_rows[MUGWORT_ROWS] = {
    "   {|}   ",  //    {|}
    "  {\\|/}  ", //   {\|/}
    "{\\ {|} /}", // {\ {|} /}
    "  {\\|/}  ", //   {\|/}
    "{\\ {|} /}", // {\ {|} /}
    "  {\\|/}  ", //   {\|/}
};

// Angelica Root
const char *const herb_angelica_rows[PICTURE_ROWS] = {
    FRAME_TOP,
    "\xDD                         \xDE",        // ▌                         ▐
    "\xDD        * * *            \xDE",        // ▌        * * *            ▐
    "\xDD       *_\\\xB3/_*           \xDE",    // ▌       *_\│/_*           ▐
    "\xDD       * /\xB3\\ *           \xDE",    // ▌       * /│\ *           ▐
    "\xDD        * \xB3 *            \xDE",     // ▌        * │ *            ▐
    "\xDD        \xB3\\\xB3              \xDE", // ▌        │\│              ▐
    "\xDD         \\\xB3/\xB3            \xDE", // ▌         \│/│            ▐
    "\xDD          \xB3/             \xDE",     // ▌          │/             ▐
    FRAME_BOTTOM,
};
// clang-format on

// Statement numbers: the routines hold lines 1397 to 1551 in the order
// below; each starts at its label's line and ends with RETURN on its last.

namespace
{

// PRINT of one picture row, ending the line.
void print_row(const char *row)
{
    rt_print(text(row), PRINT_NEWLINE);
}

// LOCATE row, column with both given.
void locate(int32_t row, int32_t column)
{
    rt_locate(row, column, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
}

// A card: row k at (card_row + k, card_column), lines first_line + k.
void draw_card(basic_procedure &p, uint32_t first_line, const char *const *rows)
{
    for (int32_t k = 0; k < PICTURE_ROWS; ++k) {
        const uint32_t line = first_line + uint32_t(k);
        p.stmt(line, [&] {
            locate(round_float_to_int32(card_row + float(k)), round_float_to_int32(card_column));
        });
        p.stmt(line, [&] { print_row(rows[k]); });
    }
    p.stmt(first_line + PICTURE_ROWS, [&] { game_return(); });
}

// A picture printed from the cursor, lines first_line + k.
void print_picture(basic_procedure &p, uint32_t first_line, const char *const *rows, int32_t count)
{
    for (int32_t k = 0; k < count; ++k)
        p.stmt(first_line + uint32_t(k), [&] { print_row(rows[k]); });
}

// The tune every herb picture ends with, then RETURN.
void herb_tune(basic_procedure &p, uint32_t line)
{
    p.stmt(line, [&] { rt_play(text("<<L12GEGL6>C>")); });
    p.stmt(line + 1, [&] { game_return(); });
}

// The face of the card that `card` reads at (card_row, card_column): one IF
// statement per face, each with its own GOSUB site.
template <typename Card>
void draw_card_face(basic_procedure &p, uint32_t line, Card &&card,
                    const elemento_forest_return_point (&sites)[3])
{
    void (*const faces[3])(basic_procedure &) = {draw_card_tree, draw_card_water, draw_card_fire};
    const float codes[3] = {CARD_TREE, CARD_WATER, CARD_FIRE};
    for (int face = 0; face < 3; ++face)
        p.stmt(line + uint32_t(face), [&] {
            if (card() == codes[face])
                p.gosub(rp(sites[face]), [&] { faces[face](p); });
        });
}

// One points line: LOCATE row, 23; PRINT label; points; "/"; round_card_count.
// Each number prints as its STR$ and a blank.
void points_line(basic_procedure &p, uint32_t line, int32_t row, const char *label,
                 const float &points)
{
    p.stmt(line, [&] { locate(row, 23); });
    p.stmt(line + 1, [&] {
        string_descriptor *items[4] = {
            text(label), string_concat(rt_str_str_single(points), text(" ")), text("/"),
            string_concat(rt_str_str_single(round_card_count), text(" "))};
        for (int i = 0; i < 4; ++i) {
            print_make_fit(items[i]);
            rt_print(items[i], i == 3 ? PRINT_NEWLINE : PRINT_STAY);
        }
    });
}

} // namespace

void draw_vole_card(basic_procedure &p)
{
    p.stmt(1398, [&] { card_row = 9.0f; });
    draw_card_face(p, 1399, [] { return vole_cards(round_float_to_int32(card_index)); },
                   {RP_VOLE_CARD_TREE, RP_VOLE_CARD_WATER, RP_VOLE_CARD_FIRE});
    p.stmt(1403, [&] { game_return(); });
}

void draw_player_card(basic_procedure &p)
{
    p.stmt(1406, [&] { card_row = 19.0f; });
    draw_card_face(p, 1407, [] { return player_cards(round_float_to_int32(card_index)); },
                   {RP_PLAYER_CARD_TREE, RP_PLAYER_CARD_WATER, RP_PLAYER_CARD_FIRE});
    p.stmt(1411, [&] { game_return(); });
}

void set_card_start_column(basic_procedure &p)
{
    p.stmt(1414, [&] {
        if (round_card_count == 5.0f)
            card_column = 16.0f;
        else if (round_card_count == 7.0f)
            card_column = 9.0f;
        else if (round_card_count == 9.0f)
            card_column = 2.0f;
    });
    p.stmt(1419, [&] { game_return(); });
}

void draw_points(basic_procedure &p)
{
    p.stmt(1422, [&] { rt_color(2, 0, 0, 1); });
    points_line(p, 1423, 32, "Tarvo's Points:", player_points);
    points_line(p, 1425, 5, " Vole's Points:", vole_points);
    if (supermajority_mode == 1.0f) {
        p.stmt(1427, [&] { streak_mark_index = 1.0f; });
        while (streak_mark_index <= 5.0f) {
            p.stmt(1428,
                   [&] { locate(34, round_float_to_int32(2.0f * streak_mark_index + 27.0f)); });
            p.stmt(1429, [&] {
                const int32_t mark = supermajority_streak >= streak_mark_index ? 254 : 250;
                rt_print(rt_chr_str(mark), PRINT_NEWLINE);
            });
            p.stmt(1430, [&] { streak_mark_index = streak_mark_index + 1.0f; });
        }
        p.stmt(1432, [&] {
            if (hardest_mode == 1.0f)
                rt_color(18, 0, 0, 1);
        });
    }
    p.stmt(1434, [&] { game_return(); });
}

void draw_card_tree(basic_procedure &p)
{
    draw_card(p, 1437, card_tree_rows);
}
void draw_card_water(basic_procedure &p)
{
    draw_card(p, 1450, card_water_rows);
}
void draw_card_fire(basic_procedure &p)
{
    draw_card(p, 1463, card_fire_rows);
}
void draw_card_back(basic_procedure &p)
{
    draw_card(p, 1476, card_back_rows);
}

void draw_vole_picture(basic_procedure &p)
{
    print_picture(p, 1489, vole_picture_rows, PICTURE_ROWS);
    p.stmt(1499, [&] { game_return(); });
}

void draw_herb_pennyroyal(basic_procedure &p)
{
    p.stmt(1501, [&] { rt_locate(1, 0, 0, 0, 0, LOCATE_ROW); });
    p.stmt(1501, [&] { rt_cls(0, 0, 0); });
    print_picture(p, 1502, herb_pennyroyal_rows, PICTURE_ROWS);
    herb_tune(p, 1512);
}

void draw_herb_cotton_root(basic_procedure &p)
{
    print_picture(p, 1516, herb_cotton_root_rows, PICTURE_ROWS);
    herb_tune(p, 1526);
}

void draw_herb_mugwort(basic_procedure &p)
{
    for (int32_t k = 0; k < MUGWORT_ROWS; ++k) {
        p.stmt(1530 + uint32_t(k), [&] { locate(MUGWORT_FIRST_ROW + k, MUGWORT_COLUMN); });
        p.stmt(1530 + uint32_t(k), [&] { print_row(herb_mugwort_rows[k]); });
    }
    herb_tune(p, 1536);
}

void draw_herb_angelica(basic_procedure &p)
{
    print_picture(p, 1540, herb_angelica_rows, PICTURE_ROWS);
    herb_tune(p, 1550);
}
