// The card game Elemento: TARVO wins Angelica Root from the Vole.
//
// An intro with a numbered choice, two rules screens, a countdown, then
// rounds in three variations of rising difficulty until the herb is won or
// Esc leaves. Statement numbers 1238 to 1374: the intro from 1238, the rules
// from 1250, the countdowns from 1289, the visit's set-up from 1297, a round
// from 1303 and the win from 1360.
#include "core/rnd.h"
#include "core/small_ops.h"
#include "core/string_builtins.h"
#include "core/timing.h"
#include "display/keyboard.h"
#include "game/elemento_forest_return_points.h"
#include "game/elemento_rules.h"
#include "game/game_basic.h"
#include "game/game_state.h"
#include "game/pictures_cards_herbs.h"
#include "game/runtime_pending.h"
#include "game/save_file.h"
#include "game/scenes.h"
#include "game/shared_routines.h"
#include "screen/screen_modes.h"
#include "screen/text_output.h"
#include "sound/play_parser.h"

#include <cmath>

namespace
{

// Key codes of the card choice: releases are negative.
constexpr int32_t KEY_A_UP = -65, KEY_A_LOWER_UP = -97;
constexpr int32_t KEY_D_UP = -68, KEY_D_LOWER_UP = -100;
constexpr int32_t KEY_ENTER_UP = -13, KEY_SPACE_UP = -32;
constexpr int32_t KEY_ESC_UP = -27;

// Rows of the countdown: after the rules screens and after answer "2".
constexpr int32_t COUNTDOWN_ROW_AFTER_RULES = 31;
constexpr int32_t COUNTDOWN_ROW_SHORT = 21;

void print_line(const char *line)
{
    rt_print(text(line), PRINT_NEWLINE);
}

void locate(int32_t row, int32_t column)
{
    rt_locate(row, column, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
}

void locate_row(int32_t row)
{
    rt_locate(row, 0, 0, 0, 0, LOCATE_ROW);
}

void color(uint32_t fore)
{
    rt_color(fore, 0, 0, 1);
}

// The element of card_index in a card array.
float &card_at(basic_array<float, -1, 10> &cards)
{
    return cards(round_float_to_int32(card_index));
}
float &card_at(basic_array<float, 1, 10> &cards)
{
    return cards(round_float_to_int32(card_index));
}

// INT(RND * 3) + 1.
float card_drawn()
{
    const float r = rt_rnd(1.0f, false);
    return float(std::floor(double(r) * 3.0) + 1.0);
}

enum class intro_choice { rules, no_rules, quit, again };

// The intro screen and its question. Lines 1238 to 1249.
intro_choice elemento_intro(basic_procedure &p)
{
    p.stmt(1238, [&] { rt_cls(0, 0, 0); });
    p.stmt(1238, [&] { key_buffers_clear(0, false); });
    game_gosub(p, 1239, rp(RP_ELEMENTO_INTRO_VOLE), [&] { draw_vole_picture(p); });
    p.stmt(1240, [&] { locate_row(11); });
    p.stmt(1240, [&] { print_line(""); });
    const char *const lines[] = {
        " A little birdie told me you're in need of some Angelica Root.",
        " And an old Badger told you you could win some from lil old me.",
        "",
        " Do you need the rules of my little game explained?",
        "       1. Yes",
        "       2. No",
        "       3. Quit",
    };
    for (uint32_t i = 0; i < 7; ++i)
        p.stmt(1241 + i, [&] { print_line(lines[i]); });
    p.stmt(1248, [&] { basic_input(text(" Type a number: "), elemento_answer); });
    intro_choice choice = intro_choice::again;
    p.stmt(1249, [&] {
        if (string_equal(elemento_answer, text("1")))
            choice = intro_choice::rules;
        else if (string_equal(elemento_answer, text("2")))
            choice = intro_choice::no_rules;
        else if (string_equal(elemento_answer, text("3")))
            choice = intro_choice::quit;
    });
    return choice;
}

// A rules screen: CLS, the Vole, an empty line, the lines, the press-ENTER
// prompt. Lines first_line on.
void rules_screen(basic_procedure &p, uint32_t first_line, elemento_forest_return_point vole,
                  const char *const *lines, uint32_t count, const char *prompt)
{
    p.stmt(first_line, [&] { rt_cls(0, 0, 0); });
    game_gosub(p, first_line + 1, rp(vole), [&] { draw_vole_picture(p); });
    p.stmt(first_line + 2, [&] { print_line(""); });
    for (uint32_t i = 0; i < count; ++i)
        p.stmt(first_line + 3 + i, [&] { print_line(lines[i]); });
    p.stmt(first_line + 3 + count, [&] { basic_input(text(prompt), enter_prompt_reply); });
}

// The two rules screens. Lines 1250 to 1287.
void elemento_rules(basic_procedure &p)
{
    const char *const game_lines[] = {
        " *****THE NAME OF THE GAME IS ELEMENTO*****",
        " \xF9 I'll show you my cards for a split second",
        " \xF9 Each card will either be Fire, Water, or a Tree.",
        " \xF9 You'll then pair your cards to the opposite of mine.",
        " \xF9 Fire beats Tree; Tree beats Water; Water beats Fire.",
        " \xF9 If you lose the pair I get a point.",
        " \xF9 If you win the pair you get a point.",
        " \xF9 If you choose the same as mine, no one gets a point",
        " \xF9 Beat me at three variations to win your Herb.",
        "",
        " \xF9 Use 'A' and 'D' to cycle through cards.",
        " \xF9 Press 'ENTER' to select a card.",
        " \xF9 Press 'ESC' to return to home.",
        "",
    };
    rules_screen(p, 1250, RP_ELEMENTO_RULES_VOLE, game_lines, 14,
                 " Press ENTER to see the rules to the three variation: ");
    const char *const variation_lines[] = {
        " *****VARIATION 1*****",
        " \xF9 Beat me at a 5 card, 7 card, and 9 card round.",
        " \xF9 Get more points than me and you win the round.",
        " \xF9 Get the same amount of points and you start the round over.",
        " \xF9 Get less points and you start the whole variation over.",
        "",
        " *****VARIATION 2*****",
        " \xF9 Beat me at five 9 card rounds in a row.",
        " \xF9 Get a Super-Majority of points (6) and you win the round.",
        " \xF9 If you don't get a Super-Majority but you beat me, you start",
        " the round over.",
        " \xF9 If I get more points, you start the whole variation over.",
        "",
        " *****VARIATION 3*****",
        " \xF9 Identical to Variation 2, but with a little surprise.",
        "",
    };
    rules_screen(p, 1268, RP_ELEMENTO_VARIATIONS_VOLE, variation_lines, 16,
                 " Press ENTER to begin the game: ");
}

// " We start in 3", 2, 1 on the given row, a second apart. Lines from
// first_line.
void elemento_countdown(basic_procedure &p, uint32_t first_line, int32_t row)
{
    const char *const texts[] = {" We start in 3", " We start in 2", " We start in 1"};
    for (uint32_t i = 0; i < 3; ++i) {
        p.stmt(first_line + i, [&] { locate_row(row); });
        p.stmt(first_line + i, [&] { print_line(texts[i]); });
        p.stmt(first_line + i, [&] { delay_seconds(1.0); });
    }
}

// Once per entry into the rounds: points and streak reset, the card count
// for the variation, the points, the generator seeded from TIMER. Lines
// 1297 to 1302.
void elemento_visit_setup(basic_procedure &p)
{
    p.stmt(1297, [&] {
        player_points = 0.0f;
        vole_points = 0.0f;
        supermajority_streak = 0.0f;
    });
    p.stmt(1298, [&] { rt_cls(0, 0, 0); });
    p.stmt(1299, [&] { round_card_count = 5.0f; });
    p.stmt(1299, [&] {
        if (supermajority_mode == 1.0f)
            round_card_count = 9.0f;
    });
    game_gosub(p, 1300, rp(RP_ELEMENTO_SETUP_POINTS), [&] { draw_points(p); });
    p.stmt(1301, [&] { rt_randomize(rt_timer(0.0, false), RANDOMIZE_SEED_GIVEN); });
    p.stmt(1302, [&] { key_buffers_clear(2, true); });
}

// FOR card_index = 1 TO round_card_count (on for_line) ... NEXT (on
// next_line). The body returns false to leave the loop, and the function then
// returns false too.
template <typename Body>
bool for_each_card(basic_procedure &p, uint32_t for_line, uint32_t next_line, Body &&body)
{
    p.stmt(for_line, [&] { card_index = 1.0f; });
    while (card_index <= round_card_count) {
        if (!body())
            return false;
        p.stmt(next_line, [&] { card_index = card_index + 1.0f; });
    }
    return true;
}

// Deals the Vole's cards face up; never three equal cards in a row. Lines
// 1303 to 1312.
void elemento_deal(basic_procedure &p)
{
    game_gosub(p, 1303, rp(RP_ELEMENTO_DEAL_COLUMN), [&] { set_card_start_column(p); });
    p.stmt(1304, [&] { rt_play(text("t240MBL32<<<<FEE-DC+C>>>>")); });
    for_each_card(p, 1305, 1312, [&] {
        p.stmt(1306, [&] { card_at(vole_cards) = card_drawn(); });
        for (;;) {
            bool repeats = false;
            p.stmt(1307, [&] {
                const int32_t i = round_float_to_int32(card_index);
                repeats = vole_cards(i) == vole_cards(i - 1) && vole_cards(i) == vole_cards(i - 2);
            });
            if (!repeats)
                break;
            p.stmt(1308, [&] { card_at(vole_cards) = card_drawn(); });
        }
        game_gosub(p, 1310, rp(RP_ELEMENTO_DEAL_CARD), [&] { draw_vole_card(p); });
        p.stmt(1311, [&] { card_column = card_column + 7.0f; });
        return true;
    });
}

// Covers the Vole's cards with backs after a second. Lines 1313 to 1318.
void elemento_hide(basic_procedure &p)
{
    p.stmt(1313, [&] { delay_seconds(1.0); });
    game_gosub(p, 1314, rp(RP_ELEMENTO_HIDE_COLUMN), [&] { set_card_start_column(p); });
    for_each_card(p, 1315, 1318, [&] {
        game_gosub(p, 1316, rp(RP_ELEMENTO_HIDE_BACK), [&] { draw_card_back(p); });
        p.stmt(1317, [&] { card_column = card_column + 7.0f; });
        return true;
    });
}

// The choice of one card: A and D (on release) cycle it, Enter or Space
// confirms. False when Esc was released. Lines 1323 to 1335.
bool elemento_choose_card(basic_procedure &p)
{
    for (;;) {
        p.stmt(1324, [&] { frame_rate_limit(20.0); });
        p.stmt(1325, [&] { elemento_key = key_hit_next(); });
        const int32_t key = elemento_key;
        if (key == KEY_A_UP || key == KEY_A_LOWER_UP) {
            p.stmt(1326, [&] { card_at(player_cards) = card_at(player_cards) - 1.0f; });
            p.stmt(1327, [&] {
                if (card_at(player_cards) == 0.0f)
                    card_at(player_cards) = 3.0f;
            });
            game_gosub(p, 1328, rp(RP_ELEMENTO_PREVIOUS_CARD), [&] { draw_player_card(p); });
        } else if (key == KEY_D_UP || key == KEY_D_LOWER_UP) {
            p.stmt(1329, [&] { card_at(player_cards) = card_at(player_cards) + 1.0f; });
            p.stmt(1330, [&] {
                if (card_at(player_cards) == 4.0f)
                    card_at(player_cards) = 1.0f;
            });
            game_gosub(p, 1331, rp(RP_ELEMENTO_NEXT_CARD), [&] { draw_player_card(p); });
        } else if (key == KEY_ENTER_UP || key == KEY_SPACE_UP) {
            p.stmt(1332, [&] { rt_play(text("MBt240L32<<<<DE-E>>>>")); });
            return true;
        } else if (key == KEY_ESC_UP) {
            return false;
        }
    }
}

// The player's cards, each chosen and then the Vole's card revealed and the
// pair scored. False when Esc was released. Lines 1319 to 1345.
bool elemento_choose_and_reveal(basic_procedure &p)
{
    game_gosub(p, 1319, rp(RP_ELEMENTO_CHOOSE_COLUMN), [&] { set_card_start_column(p); });
    return for_each_card(p, 1320, 1345, [&] {
        p.stmt(1321, [&] { card_at(player_cards) = CARD_TREE; });
        game_gosub(p, 1322, rp(RP_ELEMENTO_CHOOSE_CARD), [&] { draw_player_card(p); });
        if (!elemento_choose_card(p))
            return false;
        game_gosub(p, 1336, rp(RP_ELEMENTO_REVEAL_CARD), [&] { draw_vole_card(p); });
        p.stmt(1337, [&] {
            switch (elemento_pair_score(card_at(vole_cards), card_at(player_cards))) {
            case elemento_pair_taker::vole:
                vole_points = vole_points + 1.0f;
                break;
            case elemento_pair_taker::tarvo:
                player_points = player_points + 1.0f;
                break;
            case elemento_pair_taker::nobody:
                break;
            }
        });
        p.stmt(1343, [&] { card_column = card_column + 7.0f; });
        game_gosub(p, 1344, rp(RP_ELEMENTO_CARD_POINTS), [&] { draw_points(p); });
        return true;
    });
}

// A banner on row 2 in the given colour.
void banner(basic_procedure &p, uint32_t line, int32_t column, uint32_t colour, const char *words)
{
    p.stmt(line, [&] { locate(2, column); });
    p.stmt(line, [&] { color(colour); });
    p.stmt(line, [&] { print_line(words); });
}

// What the round's points do; true for the win. Lines 1346 to 1356.
bool elemento_round_end(basic_procedure &p)
{
    elemento_round_outcome outcome = elemento_round_outcome::unchanged;
    p.stmt(1346, [&] { outcome = elemento_round_outcome_of(); });
    if (outcome == elemento_round_outcome::win)
        return true;
    if (outcome == elemento_round_outcome::hardest_mode_begins)
        banner(p, 1348, 28, 18, "HARDEST MODE!");
    if (outcome == elemento_round_outcome::supermajority_begins)
        banner(p, 1352, 27, 2, "SUPER-MAJORITY!");
    p.stmt(1355, [&] { elemento_round_outcome_apply(outcome); });
    return false;
}

// Rounds until Esc or the win. Lines 1303 to 1359.
bool elemento_rounds(basic_procedure &p)
{
    for (;;) {
        elemento_deal(p);
        elemento_hide(p);
        if (!elemento_choose_and_reveal(p))
            return false;
        if (elemento_round_end(p))
            return true;
        p.stmt(1357, [&] { delay_seconds(2.0); });
        p.stmt(1357, [&] { key_buffers_clear(2, true); });
        p.stmt(1358, [&] {
            player_points = 0.0f;
            vole_points = 0.0f;
        });
        p.stmt(1358, [&] { rt_cls(0, 0, 0); });
        game_gosub(p, 1358, rp(RP_ELEMENTO_ROUND_POINTS), [&] { draw_points(p); });
    }
}

// The Vole gives in, the herb, and the way out. Lines 1360 to 1374.
void elemento_win(basic_procedure &p)
{
    game_gosub(p, 1360, rp(RP_ELEMENTO_WIN_WIPE), [&] { screen_wipe(p); });
    p.stmt(1361, [&] { color(2); });
    p.stmt(1361, [&] { rt_cls(0, 0, 0); });
    game_gosub(p, 1362, rp(RP_ELEMENTO_WIN_VOLE), [&] { draw_vole_picture(p); });
    p.stmt(1363, [&] { print_line(""); });
    p.stmt(1363, [&] { print_line(" Oh poo. Looks like I owe you some Angelica."); });
    p.stmt(1364, [&] { delay_seconds(3.5); });
    p.stmt(1365, [&] { rt_cls(0, 0, 0); });
    game_gosub(p, 1365, rp(RP_ELEMENTO_WIN_HERB), [&] { draw_herb_angelica(p); });
    p.stmt(1366, [&] { print_line(""); });
    p.stmt(1366, [&] { print_line(" YOU GOT THE HERB!"); });
    p.stmt(1367, [&] {
        if (herb_angelica == ANGELICA_MARK)
            print_line(" Again...");
    });
    p.stmt(1368, [&] { herb_angelica = ANGELICA_MARK; });
    game_gosub(p, 1368, rp(RP_ELEMENTO_WIN_SAVE), [&] { save_progress(p); });
    p.stmt(1369, [&] {
        hardest_mode = 0.0f;
        supermajority_mode = 0.0f;
    });
    p.stmt(1370, [&] { delay_seconds(3.5); });
    p.stmt(1371, [&] { rt_cls(0, 0, 0); });
    game_gosub(p, 1371, rp(RP_ELEMENTO_GO_ON_VOLE), [&] { draw_vole_picture(p); });
    p.stmt(1372, [&] { print_line(""); });
    p.stmt(1372, [&] { print_line(" Alright, Go on, Gyet!"); });
    p.stmt(1373, [&] { delay_seconds(2.5); });
    game_gosub(p, 1374, rp(RP_ELEMENTO_LEAVE_WIPE), [&] { screen_wipe(p); });
}

} // namespace

scene elemento_quest(basic_procedure &p)
{
    intro_choice choice;
    do
        choice = elemento_intro(p);
    while (choice == intro_choice::again);
    if (choice == intro_choice::quit) {
        game_gosub(p, 1249, rp(RP_ELEMENTO_QUIT_WIPE), [&] { screen_wipe(p); });
        return scene::menu_entry;
    }
    if (choice == intro_choice::rules) {
        elemento_rules(p);
        elemento_countdown(p, 1289, COUNTDOWN_ROW_AFTER_RULES);
    } else {
        elemento_countdown(p, 1293, COUNTDOWN_ROW_SHORT);
    }
    elemento_visit_setup(p);
    if (elemento_rounds(p))
        elemento_win(p);
    return scene::menu_entry;
}
