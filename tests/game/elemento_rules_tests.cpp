#include "game/elemento_rules.h"

#include "game/game_state.h"

#include <gtest/gtest.h>

namespace
{

using enum elemento_round_outcome;

class ElementoRules : public ::testing::Test
{
  protected:
    // A visit's set-up in variation 1.
    void SetUp() override
    {
        supermajority_mode = 0.0f;
        hardest_mode = 0.0f;
        supermajority_streak = 0.0f;
        round_card_count = 5.0f;
    }

    // Scores a round and applies its outcome, as the end of a round does.
    static elemento_round_outcome play(float player, float vole)
    {
        player_points = player;
        vole_points = vole;
        const elemento_round_outcome outcome = elemento_round_outcome_of();
        elemento_round_outcome_apply(outcome);
        return outcome;
    }
};

TEST_F(ElementoRules, EachCardBeatsOneAndLosesToOne)
{
    using enum elemento_pair_taker;
    // taker[vole card - 1][player card - 1]
    const elemento_pair_taker taker[3][3] = {
        {nobody, vole, tarvo}, // Tree against Tree, Water, Fire
        {tarvo, nobody, vole}, // Water
        {vole, tarvo, nobody}, // Fire
    };
    for (int v = 1; v <= 3; ++v)
        for (int p = 1; p <= 3; ++p)
            EXPECT_EQ(elemento_pair_score(float(v), float(p)), taker[v - 1][p - 1])
                << v << " against " << p;
    EXPECT_EQ(elemento_pair_score(0.0f, CARD_TREE), nobody);
}

TEST_F(ElementoRules, VariationOneClimbsFiveSevenNineAndFallsBackOnALoss)
{
    EXPECT_EQ(play(3, 2), card_count_grows);
    EXPECT_EQ(round_card_count, 7.0f);
    EXPECT_EQ(play(3, 3), unchanged); // a draw replays the same count
    EXPECT_EQ(round_card_count, 7.0f);
    EXPECT_EQ(play(2, 3), card_count_resets);
    EXPECT_EQ(round_card_count, 5.0f);
    EXPECT_EQ(play(2, 2), unchanged); // one pair equal
    EXPECT_EQ(round_card_count, 5.0f);

    play(5, 0);
    EXPECT_EQ(play(4, 3), card_count_grows);
    EXPECT_EQ(round_card_count, 9.0f);
    EXPECT_EQ(play(4, 4), unchanged);
    EXPECT_EQ(play(3, 6), card_count_resets);
    EXPECT_EQ(round_card_count, 5.0f);
    EXPECT_EQ(supermajority_mode, 0.0f);
}

TEST_F(ElementoRules, AnyWinAtNineCardsStartsVariationTwoEvenNineOfNine)
{
    round_card_count = 9.0f;
    EXPECT_EQ(play(9, 0), supermajority_begins); // no herb in variation 1
    EXPECT_EQ(supermajority_mode, 1.0f);
    EXPECT_EQ(round_card_count, 9.0f);

    SetUp();
    round_card_count = 9.0f;
    EXPECT_EQ(play(4, 3), supermajority_begins);
    EXPECT_EQ(hardest_mode, 0.0f);
}

TEST_F(ElementoRules, SuperMajorityStreakLeadsToHardestModeOnTheSixthRound)
{
    supermajority_mode = 1.0f;
    round_card_count = 9.0f;
    for (int round = 1; round <= 5; ++round) {
        EXPECT_EQ(play(6, 3), streak_grows);
        EXPECT_EQ(supermajority_streak, float(round));
    }
    // A beaten Vole without a super-majority, or a draw, keeps the streak.
    EXPECT_EQ(play(5, 4), unchanged);
    EXPECT_EQ(play(4, 4), unchanged);
    EXPECT_EQ(supermajority_streak, 5.0f);

    EXPECT_EQ(play(6, 3), hardest_mode_begins);
    EXPECT_EQ(supermajority_streak, 0.0f);
    EXPECT_EQ(hardest_mode, 1.0f);
    EXPECT_EQ(supermajority_mode, 1.0f);
    EXPECT_EQ(round_card_count, 9.0f);
}

TEST_F(ElementoRules, StreakBreaksWhenTheVoleWins)
{
    supermajority_mode = 1.0f;
    round_card_count = 9.0f;
    play(7, 2);
    play(6, 1);
    EXPECT_EQ(play(3, 6), streak_breaks);
    EXPECT_EQ(supermajority_streak, 0.0f);
    EXPECT_EQ(play(2, 2), unchanged);
}

TEST_F(ElementoRules, HardestModeIsWonOnTheSixthSuperMajorityRound)
{
    supermajority_mode = 1.0f;
    hardest_mode = 1.0f;
    round_card_count = 9.0f;
    for (int round = 1; round <= 5; ++round)
        EXPECT_EQ(play(6, 0), streak_grows);
    EXPECT_EQ(play(6, 0), win);
    // The win leaves the flags to the win sequence.
    EXPECT_EQ(supermajority_mode, 1.0f);
    EXPECT_EQ(hardest_mode, 1.0f);
}

TEST_F(ElementoRules, NineOfNineWinsAtOnceInVariationsTwoAndThree)
{
    supermajority_mode = 1.0f;
    round_card_count = 9.0f;
    EXPECT_EQ(play(9, 0), win);
    hardest_mode = 1.0f;
    supermajority_streak = 0.0f;
    EXPECT_EQ(play(9, 0), win);
    EXPECT_EQ(play(8, 1), streak_grows);
}

} // namespace
