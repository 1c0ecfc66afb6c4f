#include "core/basic.h"
#include "core/errors.h"
#include "core/gosub_stack.h"
#include "core/small_ops.h"
#include "game/elemento_rules.h"
#include "game/game_state.h"
#include "game/pictures_cards_herbs.h"
#include "game/quest_screen_support.h"
#include "game/scenes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace
{

constexpr int32_t ENTER = 13, ESC = 27, KEY_D = 'd';
constexpr int32_t STOP = KEY_SCRIPT_STOP;
const std::string SAVE_FILE = "TarvoData";

// The card that beats a card.
float beater(float card)
{
    return card == CARD_TREE ? CARD_FIRE : card == CARD_WATER ? CARD_TREE : CARD_WATER;
}

// How the player answers the Vole's cards.
enum class play_style {
    perfect,    // every pair won
    eight_of_9, // in variations 2 and 3 the last pair drawn: 8 points
    escape,     // Esc at the first card
};

// What the player saw while playing.
struct sightings {
    int rounds = 0;
    bool three_equal_dealt = false;
    bool supermajority_banner = false;
    bool hardest_banner = false;
    bool five_streak_marks = false;
    bool blinking_card = false;
    bool herb_shown = false;
    bool again_shown = false;
};

play_style style;
sightings seen;
float choosing_index; // the card whose keys are queued, 0 between rounds
game_test *running;   // the test whose key script the player fills

class elemento_test : public quest_screen_test
{
  protected:
    void SetUp() override
    {
        quest_screen_test::SetUp();
        seen = {};
        choosing_index = 0.0f;
        running = this;
        scene_clock_on_sleep(watch_and_play);
    }

    // The player: on every sleep, looks at the screen and, when a card of
    // the player's row waits for a choice, queues the keys that pick it.
    static void watch_and_play(uint32_t)
    {
        if (scene_clock_now() > 1000000 + 4 * 3600 * 1000)
            throw script_stopped{};
        seen.supermajority_banner |= chars_at(2, 27, 15) == "SUPER-MAJORITY!";
        seen.hardest_banner |= chars_at(2, 28, 13) == "HARDEST MODE!";
        seen.five_streak_marks |= chars_at(34, 29, 9) == "\xFE \xFE \xFE \xFE \xFE";
        seen.herb_shown |= chars_at(12, 1, 18) == " YOU GOT THE HERB!" &&
                           chars_at(3, 1, 27) == herb_angelica_rows[2];
        seen.again_shown |= chars_at(13, 1, 9) == " Again...";
        if (card_row != 19.0f) {
            choosing_index = 0.0f;
            return;
        }
        if (card_index == choosing_index || key_script_left() != 0)
            return;
        choosing_index = card_index;
        if (card_index == 1.0f)
            deal_seen();
        const int32_t i = round_float_to_int32(card_index);
        if (hardest_mode == 1.0f)
            seen.blinking_card |= (attribute_at(19, round_float_to_int32(card_column)) & 0x80) != 0;
        if (style == play_style::escape) {
            running->key_script_set({ESC, -ESC});
            return;
        }
        float wanted = beater(vole_cards(i));
        if (style == play_style::eight_of_9 && supermajority_mode == 1.0f && i == 9)
            wanted = vole_cards(i);
        std::vector<int32_t> keys;
        for (float card = player_cards(i); card != wanted; card = card == 3.0f ? 1.0f : card + 1)
            keys = keys + std::vector<int32_t>{KEY_D, -KEY_D};
        running->key_script_set(keys + std::vector<int32_t>{ENTER, -ENTER});
    }

    // The Vole's deal of a round, as it stands when the choice begins.
    static void deal_seen()
    {
        ++seen.rounds;
        for (int32_t i = 3; i <= round_float_to_int32(round_card_count); ++i)
            seen.three_equal_dealt |=
                vole_cards(i) == vole_cards(i - 1) && vole_cards(i) == vole_cards(i - 2);
    }

    // Plays from the menu's entry into the quest with the given first keys.
    scene play(play_style how, const std::vector<int32_t> &script)
    {
        style = how;
        key_script_set(script);
        basic_procedure p;
        return elemento_quest(p);
    }
};

TEST_F(elemento_test, a_perfect_player_wins_with_nine_of_nine_in_variation_two)
{
    EXPECT_EQ(play(play_style::perfect, typed("2")), scene::menu_entry);
    // 5, 7 and 9 cards in variation 1, then one 9-card round.
    EXPECT_EQ(seen.rounds, 4);
    EXPECT_TRUE(seen.supermajority_banner);
    EXPECT_FALSE(seen.hardest_banner);
    EXPECT_TRUE(seen.herb_shown);
    EXPECT_FALSE(seen.again_shown);
    EXPECT_FALSE(seen.three_equal_dealt);
    EXPECT_EQ(herb_angelica, ANGELICA_MARK);
    EXPECT_EQ(file_read_all(SAVE_FILE), "1710,0,0,0,0,0\r\n");
    EXPECT_EQ(supermajority_mode, 0.0f);
    EXPECT_EQ(hardest_mode, 0.0f);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(gosub_count, 0u);

    // The next visit starts at variation 1 again, and the herb comes again.
    EXPECT_EQ(play(play_style::perfect, typed("2")), scene::menu_entry);
    EXPECT_EQ(seen.rounds, 8);
    EXPECT_TRUE(seen.again_shown);
    EXPECT_EQ(file_read_all(SAVE_FILE), "1710,0,0,0,0,0\r\n");
}

TEST_F(elemento_test, six_super_majorities_in_a_row_lead_to_hardest_mode_and_the_win)
{
    EXPECT_EQ(play(play_style::eight_of_9, typed("2")), scene::menu_entry);
    // Variation 1 in three rounds, six rounds of 8 points in variation 2 and
    // six more in variation 3.
    EXPECT_EQ(seen.rounds, 15);
    EXPECT_TRUE(seen.supermajority_banner);
    EXPECT_TRUE(seen.five_streak_marks);
    EXPECT_TRUE(seen.hardest_banner);
    EXPECT_TRUE(seen.blinking_card);
    EXPECT_TRUE(seen.herb_shown);
    EXPECT_FALSE(seen.three_equal_dealt);
    EXPECT_EQ(file_read_all(SAVE_FILE), "1710,0,0,0,0,0\r\n");
}

TEST_F(elemento_test, esc_leaves_at_once_and_keeps_the_variation)
{
    supermajority_mode = 1.0f;
    EXPECT_EQ(play(play_style::escape, typed("2")), scene::menu_entry);
    EXPECT_EQ(seen.rounds, 1);
    EXPECT_EQ(round_card_count, 9.0f);
    EXPECT_EQ(supermajority_mode, 1.0f);
    EXPECT_FALSE(std::filesystem::exists(SAVE_FILE));
    // No wipe: the cards are still on the screen.
    EXPECT_EQ(chars_at(19, 2, 7), card_tree_rows[0]);
}

TEST_F(elemento_test, the_intro_asks_again_until_it_gets_a_choice)
{
    // "4" and an empty line show the intro again; "3" wipes and leaves.
    EXPECT_EQ(play(play_style::perfect, typed("4") + typed("") + typed("3")), scene::menu_entry);
    EXPECT_EQ(seen.rounds, 0);
    EXPECT_EQ(chars_at(1, 1, 27), std::string(27, ' '));

    ASSERT_THROW(play(play_style::perfect, typed("4") + std::vector<int32_t>{STOP}),
                 script_stopped);
    EXPECT_EQ(chars_at(1, 1, 27), vole_picture_rows[0]);
    EXPECT_EQ(chars_at(13, 1, 40), " And an old Badger told you you could wi");
    EXPECT_EQ(chars_at(19, 1, 16), " Type a number: ");
    EXPECT_EQ(chars_at(20, 1, 10), std::string(10, ' '));
}

TEST_F(elemento_test, the_rules_take_two_screens_before_the_countdown)
{
    ASSERT_THROW(play(play_style::perfect, typed("1") + std::vector<int32_t>{STOP}),
                 script_stopped);
    EXPECT_EQ(chars_at(12, 1, 43), " *****THE NAME OF THE GAME IS ELEMENTO*****");
    EXPECT_EQ(chars_at(24, 1, 33), " \xF9 Press 'ESC' to return to home.");
    EXPECT_EQ(chars_at(26, 1, 54), " Press ENTER to see the rules to the three variation: ");

    ASSERT_THROW(play(play_style::perfect, typed("1") + typed("") + std::vector<int32_t>{STOP}),
                 script_stopped);
    EXPECT_EQ(chars_at(22, 1, 16), " the round over.");
    EXPECT_EQ(chars_at(28, 1, 32), " Press ENTER to begin the game: ");

    // The countdown stands on row 31 after the rules, and the game goes on.
    style = play_style::escape;
    EXPECT_EQ(play(play_style::escape, typed("1") + typed("") + typed("")), scene::menu_entry);
    EXPECT_EQ(seen.rounds, 1);
}

} // namespace
