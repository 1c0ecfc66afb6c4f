#include "game/elemento_rules.h"

#include "game/game_state.h"

elemento_pair_taker elemento_pair_score(float vole_card, float player_card)
{
    if (vole_card == player_card)
        return elemento_pair_taker::nobody;
    // The card each card beats.
    const auto beats = [](float card) {
        if (card == CARD_TREE)
            return CARD_WATER;
        if (card == CARD_WATER)
            return CARD_FIRE;
        if (card == CARD_FIRE)
            return CARD_TREE;
        return 0.0f;
    };
    if (beats(vole_card) == player_card)
        return elemento_pair_taker::vole;
    if (beats(player_card) == vole_card)
        return elemento_pair_taker::tarvo;
    return elemento_pair_taker::nobody;
}

elemento_round_outcome elemento_round_outcome_of()
{
    using enum elemento_round_outcome;
    const float p = player_points, v = vole_points;
    if (supermajority_mode == 1.0f) {
        if ((p > 5.0f && hardest_mode == 1.0f && supermajority_streak > 4.0f) || p == 9.0f)
            return win;
        if (p > 5.0f && supermajority_streak > 4.0f)
            return hardest_mode_begins;
        if (p > 5.0f)
            return streak_grows;
        if (v > p)
            return streak_breaks;
        return unchanged;
    }
    if (p > v && round_card_count == 9.0f)
        return supermajority_begins;
    if (p == v)
        return unchanged;
    if (p > v)
        return card_count_grows;
    return card_count_resets;
}

void elemento_round_outcome_apply(elemento_round_outcome outcome)
{
    using enum elemento_round_outcome;
    switch (outcome) {
    case hardest_mode_begins:
        supermajority_streak = 0.0f;
        hardest_mode = 1.0f;
        break;
    case streak_grows:
        supermajority_streak = supermajority_streak + 1.0f;
        break;
    case streak_breaks:
        supermajority_streak = 0.0f;
        break;
    case supermajority_begins:
        supermajority_mode = 1.0f;
        break;
    case card_count_grows:
        round_card_count = round_card_count + 2.0f;
        break;
    case card_count_resets:
        round_card_count = 5.0f;
        break;
    case win:
    case unchanged:
        break;
    }
}
