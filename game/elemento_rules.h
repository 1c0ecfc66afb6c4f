// The rules of the card game Elemento: who takes a pair, and what a round's
// points do to the variation being played.
//
// Card codes: 1 Tree, 2 Water, 3 Fire; Tree beats Water, Water beats Fire,
// Fire beats Tree. The variation is not stored as a number: variation 1 has
// supermajority_mode 0; variation 2 has supermajority_mode 1 and hardest_mode
// 0; variation 3 has both 1. Every value is a SINGLE of the game's state,
// compared exactly.
//
// Program thread only.
#pragma once

#include <cstdint>

constexpr float CARD_TREE = 1.0f;
constexpr float CARD_WATER = 2.0f;
constexpr float CARD_FIRE = 3.0f;

enum class elemento_pair_taker { nobody, vole, tarvo };

// Who takes the point of a pair: nobody for equal cards (or codes outside
// 1 to 3), else the one whose card beats the other's.
elemento_pair_taker elemento_pair_score(float vole_card, float player_card);

// What a finished round does, by the first test that holds.
enum class elemento_round_outcome {
    // Variations 2 and 3:
    win,                 // six super-majority rounds in a row in variation 3, or 9 points
    hardest_mode_begins, // the sixth super-majority round in a row in variation 2
    streak_grows,        // a super-majority (more than 5 points)
    streak_breaks,       // the Vole took more points
    // Variation 1:
    supermajority_begins, // a won 9-card round: variation 2 begins
    card_count_grows,     // a won 5- or 7-card round: two cards more
    card_count_resets,    // a lost round: back to 5 cards
    // Both: a draw in variation 1, or in variations 2 and 3 a round of 5
    // points or fewer that the Vole did not win.
    unchanged,
};

// The outcome of the round just played, from player_points, vole_points,
// round_card_count, supermajority_mode, hardest_mode and supermajority_streak.
elemento_round_outcome elemento_round_outcome_of();

// The outcome's assignments to round_card_count, supermajority_mode,
// hardest_mode and supermajority_streak. The win's own resets belong to the
// win sequence, so it changes nothing here.
void elemento_round_outcome_apply(elemento_round_outcome outcome);
