// draw_menu: the animal names, the faces, the highlight of the selected entry
// with its face change, and the entry's help lines below.
#include "core/string_builtins.h"
#include "display/keyboard.h"
#include "game/game_basic.h"
#include "game/game_state.h"
#include "game/menu_texts.h"
#include "game/pictures.h"
#include "game/scenes.h"

namespace
{

constexpr const char *BLANKS_64 =
    "                                                                ";

// The highlight of one entry: the asterisks beside its name, the face change
// (none for BADGER and QUIT), its help lines and the herb it leads to.
struct menu_highlight {
    int32_t row;
    int32_t star_left_col, star_right_col;
    int32_t face_row, face_col; // 0: no face change
    const char *face;
    std::span<const char *const> help;
    const float *herb; // null: no herb line
    float herb_mark;
};

// Entries in menu_selection order. BADGER's help depends on the ending and is
// printed by its own routine.
const menu_highlight highlights[6] = {
    {17, 2, 9, 0, 0, nullptr, {}, nullptr, 0},
    {7, 8, 14, 10, 11, "- -", tarvo_help, &herb_angelica, ANGELICA_MARK},
    {7, 21, 29, 12, 25, "\x16 ", echidna_help, &herb_pennyroyal, PENNYROYAL_MARK},
    {7, 36, 40, 11, 38, "o", pig_help, &herb_mugwort, MUGWORT_MARK},
    {7, 51, 55, 10, 53, "o o", fox_help, &herb_cotton_root, COTTON_ROOT_MARK},
    {17, 59, 64, 0, 0, nullptr, quit_help, nullptr, 0},
};

// One help line: a blank, the bullet (249), a blank and the text.
void help_line(basic_procedure &p, uint32_t line, const char *line_text)
{
    p.stmt(line, [&] { basic_print(string_concat(text(" \xF9 "), text(line_text))); });
}

// BADGER's help: what to do with the herbs, how to play, and once the ending
// has been seen, how to start the bonus program.
void badger_help_lines(basic_procedure &p, uint32_t line)
{
    bool seen = false;
    p.stmt(line, [&] { seen = ending_seen == ENDING_SEEN_MARK; });
    help_line(p, line + 1, seen ? badger_help_seen : badger_help_not_seen);
    for (size_t i = 0; i < badger_help.size(); ++i)
        help_line(p, line + 2 + uint32_t(i), badger_help[i]);
    p.stmt(line + 7, [&] { seen = ending_seen == ENDING_SEEN_MARK; });
    if (seen) {
        p.stmt(line + 8, [&] { basic_print_line(); });
        help_line(p, line + 9, badger_help_bonus);
    }
}

// The highlighted entry: asterisks, face change, help lines and the herb line.
// Statements of entry n are numbered from 330 + 20 n.
void draw_highlight(basic_procedure &p, int32_t entry)
{
    const menu_highlight &h = highlights[entry];
    uint32_t line = 330 + 20 * uint32_t(entry);
    p.stmt(line++, [&] { basic_locate(h.row, h.star_left_col); });
    p.stmt(line++, [&] { basic_print(text("*")); });
    p.stmt(line++, [&] { basic_locate(h.row, h.star_right_col); });
    p.stmt(line++, [&] { basic_print(text("*")); });
    if (h.face) {
        p.stmt(line++, [&] { basic_locate(h.face_row, h.face_col); });
        p.stmt(line++, [&] { basic_print(text(h.face)); });
    }
    p.stmt(line++, [&] { basic_locate_row(24); });
    if (entry == 0) {
        badger_help_lines(p, line);
        return;
    }
    for (const char *help : h.help)
        help_line(p, line++, help);
    if (!h.herb)
        return;
    p.stmt(line++, [&] { basic_print_line(); });
    bool won = false;
    p.stmt(line++, [&] { won = *h.herb == h.herb_mark; });
    if (won)
        p.stmt(line, [&] { basic_print(text("  ***YOU HAVE THE HERB***")); });
}

} // namespace

void draw_menu(basic_procedure &p)
{
    p.stmt(300, [&] { basic_locate_row(7); });
    p.stmt(301, [&] { basic_print(text(menu_names_line)); });
    p.stmt(302, [&] { basic_print_line(); });
    game_gosub(p, 303, RP_DRAW_MENU_PICTURE, [&] { draw_menu_picture(p); });
    p.stmt(304, [&] { basic_print_line(); });
    p.stmt(305, [&] { basic_print_line(); });
    p.stmt(306, [&] { basic_print(text(menu_badger_quit_line)); });
    p.stmt(307, [&] { basic_print_line(); });
    p.stmt(308, [&] { basic_print_line(); });
    p.stmt(309, [&] { basic_print(text(menu_choose_line)); });
    for (uint32_t i = 0; i < 3; ++i)
        p.stmt(310 + i, [&] { basic_print_line(); });
    for (uint32_t i = 0; i < 10; ++i)
        p.stmt(313 + i, [&] { basic_print(text(BLANKS_64)); });
    // IF menu_selection = 0 ... ELSEIF ... = 5: the first entry that matches.
    int32_t entry = -1;
    p.stmt(323, [&] {
        for (int32_t i = 0; i < 6 && entry < 0; ++i)
            if (menu_selection == float(i))
                entry = i;
    });
    if (entry >= 0)
        draw_highlight(p, entry);
    p.stmt(450, [&] { key_buffers_clear(2, 1); });
    p.stmt(451, [&] { game_return(); });
}
