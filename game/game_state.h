// The game's program-wide variables.
//
// Every variable of the game is a global that lives for the whole run: SINGLE
// values are float, LONG int32_t, INTEGER int16_t and strings runtime string
// variables. At start every number and array element is 0 and every string is
// empty (game_state_create). The herb markers and ending_seen are the six
// fields of the save file.
//
// Program thread only.
#pragma once

#include "core/small_ops.h"
#include "core/strings.h"

#include <cstdint>

// Marker values of a won herb and of the seen ending. A field counts as set
// only when it equals its marker exactly (the Pennyroyal's 2.6 as a SINGLE).
constexpr float ANGELICA_MARK = 1710.0f;
constexpr float PENNYROYAL_MARK = 2.6f;
constexpr float MUGWORT_MARK = 2245.0f;
constexpr float COTTON_ROOT_MARK = 3032.0f;
constexpr float ENDING_SEEN_MARK = 400.0f;

// A BASIC array with fixed bounds lower TO upper. Every access makes the
// runtime's subscript check: an index out of bounds raises error 9 and the
// access goes to the first element.
template <typename T, int32_t lower, int32_t upper> struct basic_array {
    static constexpr uint32_t count = uint32_t(upper - lower + 1);
    T elements[count];

    T &operator()(int32_t index)
    {
        return elements[array_index_check(uint32_t(index - lower), count)];
    }
    void clear()
    {
        for (T &element : elements)
            element = T{};
    }
};

// ---- Core state ------------------------------------------------------------

extern string_descriptor *save_file_name; // "TarvoData", set before each OPEN

// The six save fields, in file order.
extern float herb_angelica;    // 1710: won in Elemento
extern float herb_pennyroyal;  // 2.6: carried out of the bamboo forest
extern float herb_mugwort;     // 2245: taken in the swamp
extern float herb_cotton_root; // 3032: given by the Mouse
extern float ending_seen;      // 400: the ending has been shown
extern float save_spare;       // read and written, never set by the game

extern float menu_selection;                  // 0 BADGER, 1 TARVO, 2 ECHIDNA, 3 PIG, 4 FOX, 5 QUIT
extern float forest_herb_carried;             // 2.6 while the forest herb is carried
extern int32_t title_key;                     // last key code read by the title loop
extern int32_t menu_key;                      // last key code read by the menu loop
extern string_descriptor *enter_prompt_reply; // ignored text of dialogue prompts
extern float wipe_row;                        // row counter of screen_wipe
extern float splash_row;                      // top row of the splash logo
extern float splash_col;                      // left column of the splash logo

// ---- Mouse conversation ----------------------------------------------------

extern string_descriptor *mouse_answer;
extern string_descriptor *mouse_reply;
extern float mouse_smalltalk_done, mouse_local_news_done, mouse_personal_done;
extern float mouse_asked_weather, mouse_asked_deaths, mouse_asked_newcomers;
extern float mouse_asked_births, mouse_knows_pregnancy, mouse_asked_wellbeing;
extern float mouse_asked_health, mouse_confessed, mouse_potion_promised;
extern float mouse_badger_friend;

// ---- Bamboo forest ---------------------------------------------------------

extern string_descriptor *forest_command;

// ---- Swamp -----------------------------------------------------------------

extern float pig_row, pig_col, pig_row_old, pig_col_old;
extern float hornet_index, hornet_dir, swamp_stage;
extern float swamp_row_min, swamp_row_max, swamp_col_min, swamp_col_max;
extern string_descriptor *pig_facing; // "RIGHT" or "LEFT"
extern basic_array<float, 1, 5> hornet_row, hornet_col, hornet_row_old, hornet_col_old;
extern basic_array<int16_t, 1, 17> pig_border_cells;
extern int16_t swamp_key_dummy;

// ---- Elemento --------------------------------------------------------------

extern basic_array<float, -1, 10> vole_cards;
extern basic_array<float, 1, 10> player_cards;
extern float player_points, vole_points, round_card_count;
extern float supermajority_mode, hardest_mode, supermajority_streak;
extern float card_index, card_column, card_row, streak_mark_index;
extern string_descriptor *elemento_answer;
extern int32_t elemento_key;

// Creates every variable with its start value: numbers and arrays 0, strings
// empty. Run once by the game's start-up; tests run it again to start afresh
// (after the string tables have been made anew).
void game_state_create();

// True when all four herbs are won.
bool game_all_herbs_won();
