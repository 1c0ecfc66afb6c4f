// GOSUB return points of the card game, its pictures and the bamboo forest.
//
// They take the top of the game's range, 146 to 180, and leave the numbers
// from RP_QUESTS_FIRST up to 145 to the other quests.
#pragma once

#include "game/game_basic.h"

enum elemento_forest_return_point : uint32_t {
    // Elemento
    RP_ELEMENTO_INTRO_VOLE = 146,
    RP_ELEMENTO_RULES_VOLE,
    RP_ELEMENTO_VARIATIONS_VOLE,
    RP_ELEMENTO_QUIT_WIPE,
    RP_ELEMENTO_SETUP_POINTS,
    RP_ELEMENTO_DEAL_COLUMN,
    RP_ELEMENTO_DEAL_CARD,
    RP_ELEMENTO_HIDE_COLUMN,
    RP_ELEMENTO_HIDE_BACK,
    RP_ELEMENTO_CHOOSE_COLUMN,
    RP_ELEMENTO_CHOOSE_CARD,
    RP_ELEMENTO_PREVIOUS_CARD,
    RP_ELEMENTO_NEXT_CARD,
    RP_ELEMENTO_REVEAL_CARD,
    RP_ELEMENTO_CARD_POINTS,
    RP_ELEMENTO_ROUND_POINTS,
    RP_ELEMENTO_WIN_WIPE,
    RP_ELEMENTO_WIN_VOLE,
    RP_ELEMENTO_WIN_HERB,
    RP_ELEMENTO_WIN_SAVE,
    RP_ELEMENTO_GO_ON_VOLE,
    RP_ELEMENTO_LEAVE_WIPE,
    // The card faces, from the Vole's row and the player's
    RP_VOLE_CARD_TREE,
    RP_VOLE_CARD_WATER,
    RP_VOLE_CARD_FIRE,
    RP_PLAYER_CARD_TREE,
    RP_PLAYER_CARD_WATER,
    RP_PLAYER_CARD_FIRE,
    // The bamboo forest
    RP_FOREST_VIEW,
    RP_FOREST_HERB_PICTURE,
    RP_FOREST_HERB_ROOM_VIEW,
    RP_FOREST_OBSTACLE,
    RP_FOREST_QUIT_WIPE,
    RP_FOREST_SAVE,
    RP_FOREST_LEAVE_WIPE,
    RP_ELEMENTO_FOREST_LAST = RP_FOREST_LEAVE_WIPE,
};

static_assert(RP_ELEMENTO_FOREST_LAST == GAME_HIGHEST_RETURN_POINT);
static_assert(uint32_t(RP_QUESTS_FIRST) < uint32_t(RP_ELEMENTO_INTRO_VOLE));

// A return point of this range as the game's return point type.
constexpr return_point rp(elemento_forest_return_point point)
{
    return return_point(point);
}
