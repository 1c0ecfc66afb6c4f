#include "game/game_state.h"

string_descriptor *save_file_name;
float herb_angelica;
float herb_pennyroyal;
float herb_mugwort;
float herb_cotton_root;
float ending_seen;
float save_spare;
float menu_selection;
float forest_herb_carried;
int32_t title_key;
int32_t menu_key;
string_descriptor *enter_prompt_reply;
float wipe_row;
float splash_row;
float splash_col;

string_descriptor *mouse_answer;
string_descriptor *mouse_reply;
float mouse_smalltalk_done, mouse_local_news_done, mouse_personal_done;
float mouse_asked_weather, mouse_asked_deaths, mouse_asked_newcomers;
float mouse_asked_births, mouse_knows_pregnancy, mouse_asked_wellbeing;
float mouse_asked_health, mouse_confessed, mouse_potion_promised;
float mouse_badger_friend;

string_descriptor *forest_command;

float pig_row, pig_col, pig_row_old, pig_col_old;
float hornet_index, hornet_dir, swamp_stage;
float swamp_row_min, swamp_row_max, swamp_col_min, swamp_col_max;
string_descriptor *pig_facing;
basic_array<float, 1, 5> hornet_row, hornet_col, hornet_row_old, hornet_col_old;
basic_array<int16_t, 1, 17> pig_border_cells;
int16_t swamp_key_dummy;

basic_array<float, -1, 10> vole_cards;
basic_array<float, 1, 10> player_cards;
float player_points, vole_points, round_card_count;
float supermajority_mode, hardest_mode, supermajority_streak;
float card_index, card_column, card_row, streak_mark_index;
string_descriptor *elemento_answer;
int32_t elemento_key;

namespace
{

// A new empty string variable (a permanent heap string, not a temporary).
string_descriptor *string_variable_new()
{
    return string_new(0, false);
}

void core_state_create()
{
    save_file_name = string_variable_new();
    herb_angelica = herb_pennyroyal = herb_mugwort = herb_cotton_root = 0;
    ending_seen = save_spare = 0;
    menu_selection = forest_herb_carried = 0;
    title_key = menu_key = 0;
    enter_prompt_reply = string_variable_new();
    wipe_row = splash_row = splash_col = 0;
}

void quest_state_create()
{
    mouse_answer = string_variable_new();
    mouse_reply = string_variable_new();
    mouse_smalltalk_done = mouse_local_news_done = mouse_personal_done = 0;
    mouse_asked_weather = mouse_asked_deaths = mouse_asked_newcomers = 0;
    mouse_asked_births = mouse_knows_pregnancy = mouse_asked_wellbeing = 0;
    mouse_asked_health = mouse_confessed = mouse_potion_promised = 0;
    mouse_badger_friend = 0;

    forest_command = string_variable_new();

    pig_row = pig_col = pig_row_old = pig_col_old = 0;
    hornet_index = hornet_dir = swamp_stage = 0;
    swamp_row_min = swamp_row_max = swamp_col_min = swamp_col_max = 0;
    pig_facing = string_variable_new();
    hornet_row.clear();
    hornet_col.clear();
    hornet_row_old.clear();
    hornet_col_old.clear();
    pig_border_cells.clear();
    swamp_key_dummy = 0;

    vole_cards.clear();
    player_cards.clear();
    player_points = vole_points = round_card_count = 0;
    supermajority_mode = hardest_mode = supermajority_streak = 0;
    card_index = card_column = card_row = streak_mark_index = 0;
    elemento_answer = string_variable_new();
    elemento_key = 0;
}

} // namespace

void game_state_create()
{
    core_state_create();
    quest_state_create();
}

bool game_all_herbs_won()
{
    return herb_angelica == ANGELICA_MARK && herb_pennyroyal == PENNYROYAL_MARK &&
           herb_mugwort == MUGWORT_MARK && herb_cotton_root == COTTON_ROOT_MARK;
}
