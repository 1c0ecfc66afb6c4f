#include "game/mouse_talk.h"

#include "core/control_words.h"
#include "core/gosub_stack.h"
#include "display/keyboard.h"
#include "game/game_state.h"
#include "game/mouse_talk_rules.h"
#include "game/pictures_cards_herbs.h"
#include "input_script_support.h"
#include "quest_screen_support.h"
#include "screen/text_output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

class mouse_talk_test : public quest_screen_test
{
  protected:
    void SetUp() override
    {
        quest_screen_test::SetUp();
        scene_clock_install();
        keyboard_reset();
    }

    scene talk(std::vector<std::string> script)
    {
        input_script_set(std::move(script));
        basic_procedure p;
        scene next = mouse_talk_quest(p);
        EXPECT_EQ(input_script_left(), 0u);
        EXPECT_EQ(gosub_count, 0u);
        return next;
    }

    // The question asked with this prompt (the last one, when asked again).
    static const input_asked &question(const std::string &prompt)
    {
        const auto &questions = input_script_questions();
        for (auto it = questions.rbegin(); it != questions.rend(); ++it)
            if (it->prompt == prompt)
                return *it;
        static const input_asked none{};
        ADD_FAILURE() << "never asked: " << prompt;
        return none;
    }
};

std::string padded(const std::string &text)
{
    return text + std::string(66 - text.size(), ' ');
}

// Small talk, local news with the Badger named a friend, personal talk, the
// confession, the promise and the herb.
const std::vector<std::string> winning_talk = {"2", "1", "",  "3", "1", "1", "", "4", "1",
                                               "",  "4", "3", "1", "",  "1", "", ""};

} // namespace

TEST_F(mouse_talk_test, the_menu_lists_its_topics_under_the_picture)
{
    EXPECT_EQ(talk({"9", "0"}), scene::menu_entry);
    const auto &questions = input_script_questions();
    ASSERT_EQ(questions.size(), 2u); // asked again after a wrong answer
    const input_asked &menu = questions[1];
    EXPECT_EQ(menu.rows[0], padded(std::string(27, '\xDC')));
    EXPECT_EQ(menu.rows[6].substr(14, 5), "O.-.O");
    const char *topics[] = {"1. Ask for the Herb", "2. The Weather", "3. Local Affairs",
                            "4. Personal Affairs", "5. Tell a Joke", "0. Leave"};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(menu.rows[10 + i], padded(topics[i]));
    EXPECT_EQ(menu.row, 17);
    EXPECT_EQ(menu.prompt, "What do you want to talk about? ");
}

TEST_F(mouse_talk_test, the_winning_talk_gives_the_herb_and_saves_it_and_a_second_win_says_again)
{
    EXPECT_EQ(talk(winning_talk), scene::menu_entry);
    const input_asked &won = question("Press ENTER to go back to the Clearing: ");
    for (int32_t r = 0; r < 10; ++r)
        EXPECT_EQ(won.rows[size_t(r)], padded(herb_cotton_root_rows[r]));
    EXPECT_EQ(won.rows[10], padded("You got the Herb!"));
    EXPECT_EQ(won.row, 13);
    EXPECT_EQ(herb_cotton_root, 3032.0f);
    EXPECT_EQ(file_read_all("TarvoData"), "0,0,0,3032,0,0\r\n");
    EXPECT_EQ(quest_screen::row(11), std::string(66, ' ')); // wiped
    EXPECT_EQ(question("Press ENTER to continue: ").rows[13],
              padded("Thanks a lot, Fox. You're the best!!!!!!!!!!!!!!!!!!!!!!'"));

    // Won again on another visit: the same herb, saved again, and "Again...".
    file_write_all("TarvoData", "");
    EXPECT_EQ(talk(winning_talk), scene::menu_entry);
    const input_asked &again = question("Press ENTER to go back to the Clearing: ");
    EXPECT_EQ(again.rows[10], padded("You got the Herb!"));
    EXPECT_EQ(again.rows[11], padded("Again..."));
    EXPECT_EQ(again.row, 14);
    EXPECT_EQ(file_read_all("TarvoData"), "0,0,0,3032,0,0\r\n");
}

TEST_F(mouse_talk_test, a_repeated_topic_makes_the_mouse_walk_away_over_the_last_line)
{
    // Newcomers asked, then asked again.
    EXPECT_EQ(talk({"3", "2", "", "3", "2", ""}), scene::menu_entry);
    const input_asked &gone = question("Press ENTER to return to the clearing: ");
    EXPECT_EQ(gone.row, 19);
    for (int32_t r = 7; r <= 9; ++r)
        EXPECT_EQ(gone.rows[size_t(r - 1)].substr(12, 14), std::string(14, ' ')) << r;
    EXPECT_EQ(gone.rows[15], padded("The Mouse says, 'We already talked about this!"));
    // Row 17 is written over, not cleared: the end of the longer line stays.
    EXPECT_EQ(gone.rows[16], padded("The Mouse walks away.conversation. Goodbye!'"));
    EXPECT_EQ(gone.rows[17], std::string(66, ' '));
    EXPECT_EQ(file_read_all("TarvoData"), ""); // nothing saved
    EXPECT_EQ(herb_cotton_root, 0.0f);

    // The next visit starts afresh: the same topic is welcome again.
    EXPECT_EQ(talk({"3", "2", "", "0"}), scene::menu_entry);
    EXPECT_EQ(mouse_asked_newcomers, 1.0f);
}

TEST_F(mouse_talk_test, answers_asked_again_stay_on_their_rows_and_leaving_drops_the_typed_keys)
{
    // The Badger question asked again on the next row until it gets 1 or 2.
    EXPECT_EQ(talk({"3", "1", "x", "11", "2", "", "0"}), scene::menu_entry);
    int32_t badger_rows = 0, first_row = 0;
    for (const input_asked &q : input_script_questions())
        if (q.prompt == "What do you say? " && q.row > 15) {
            first_row = first_row ? first_row : q.row;
            EXPECT_EQ(q.row, first_row + badger_rows++);
        }
    EXPECT_EQ(badger_rows, 3);
    EXPECT_EQ(first_row, 22);
    EXPECT_EQ(mouse_badger_friend, 0.0f);
    // Leaving read every key-hit entry up to the release of the last Enter.
    EXPECT_EQ(key_hit_next(), 0);
}

TEST_F(mouse_talk_test, leaving_waits_for_the_enter_release_sleeping_and_checking_events_each_pass)
{
    // Enter stays down after "0"; 40 passes later the window is closed.
    input_script_set({"0"});
    input_script_hold_last_enter();
    static uint64_t sleeps_at_answer;
    sleeps_at_answer = UINT64_MAX;
    scene_clock_on_sleep([](uint32_t ms) {
        if (input_script_left() == 0 && sleeps_at_answer == UINT64_MAX)
            sleeps_at_answer = scene_clock_sleeps();
        EXPECT_EQ(ms, 1u);
        if (scene_clock_sleeps() == sleeps_at_answer + 40)
            exit_acknowledged = 1;
    });
    basic_procedure p;
    EXPECT_THROW(mouse_talk_quest(p), program_ended);
    // The pass whose sleep saw the close went on to its event check, which
    // stopped the program thread at once: its next sleep is the end.
    EXPECT_EQ(scene_clock_sleeps(), sleeps_at_answer + 41);
    scene_clock_on_sleep(nullptr);
}
