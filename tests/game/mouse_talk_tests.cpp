#include "game/mouse_talk.h"

#include "core/control_words.h"
#include "core/gosub_stack.h"
#include "display/keyboard.h"
#include "game/game_state.h"
#include "game/mouse_talk_rules.h"
#include "game/pictures_cards_herbs.h"
#include "game/quest_screen_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace
{

constexpr int32_t ENTER = 13;
constexpr int32_t STOP = KEY_SCRIPT_STOP;

// Small talk, local news with the Badger named a friend, personal talk, the
// confession, the promise and the herb; "" answers a press-ENTER prompt.
const std::vector<std::string> winning_talk = {"2", "1", "",  "3", "1", "1", "", "4", "1",
                                               "",  "4", "3", "1", "",  "1", "", ""};

const std::string SAVE_FILE = "TarvoData";

class mouse_talk_test : public quest_screen_test
{
  protected:
    enum class outcome { returned, stopped };

    void SetUp() override
    {
        quest_screen_test::SetUp();
        // A talk left waiting for keys that never come ends the test.
        scene_clock_on_sleep(stop_after_an_hour);
    }

    // Talks to the Mouse from the quest's entry with the keys of the script.
    outcome talk(const std::vector<int32_t> &script)
    {
        key_script_set(script);
        basic_procedure p;
        try {
            EXPECT_EQ(mouse_talk_quest(p), scene::menu_entry);
        } catch (const script_stopped &) {
            return outcome::stopped;
        }
        EXPECT_EQ(gosub_count, 0u);
        return outcome::returned;
    }

    static std::string trimmed_row(int32_t row)
    {
        std::string s = row_at(row);
        return s.substr(0, s.find_last_not_of(' ') + 1);
    }
};

} // namespace

TEST_F(mouse_talk_test, the_menu_lists_its_topics_under_the_picture_and_asks_below_them)
{
    ASSERT_EQ(talk(typed_lines({"9"}) + std::vector<int32_t>{STOP}), outcome::stopped);
    EXPECT_EQ(chars_at(1, 1, 27), std::string(27, '\xDC'));
    EXPECT_EQ(chars_at(7, 15, 5), "O.-.O");
    const char *topics[] = {"1. Ask for the Herb", "2. The Weather", "3. Local Affairs",
                            "4. Personal Affairs", "5. Tell a Joke", "0. Leave"};
    for (int32_t i = 0; i < 6; ++i)
        EXPECT_EQ(trimmed_row(11 + i), topics[i]);
    // Asked again after a wrong answer: the screen drawn afresh.
    EXPECT_EQ(trimmed_row(17), "What do you want to talk about?");
    EXPECT_EQ(cursor(), std::make_pair(17, 33));
    EXPECT_EQ(trimmed_row(18), "");
}

TEST_F(mouse_talk_test, the_winning_talk_gives_the_herb_and_saves_it_and_a_second_win_says_again)
{
    std::vector<std::string> to_the_herb(winning_talk.begin(), winning_talk.end() - 1);
    ASSERT_EQ(talk(typed_lines(to_the_herb) + std::vector<int32_t>{STOP}), outcome::stopped);
    for (int32_t r = 0; r < 10; ++r)
        EXPECT_EQ(chars_at(1 + r, 1, 27), herb_cotton_root_rows[r]) << "row " << r + 1;
    EXPECT_EQ(trimmed_row(11), "You got the Herb!");
    EXPECT_EQ(trimmed_row(13), "Press ENTER to go back to the Clearing:");
    EXPECT_EQ(herb_cotton_root, COTTON_ROOT_MARK);
    EXPECT_EQ(file_read_all(SAVE_FILE), "0,0,0,3032,0,0\r\n"); // saved before the prompt

    // On a later visit, with the herb already won: "Again..." a second later.
    std::filesystem::remove(SAVE_FILE);
    std::vector<int32_t> a_second(20, KEY_SCRIPT_IDLE);
    ASSERT_EQ(talk(typed_lines(to_the_herb) + a_second + std::vector<int32_t>{STOP}), outcome::stopped);
    EXPECT_EQ(trimmed_row(11), "You got the Herb!");
    EXPECT_EQ(trimmed_row(12), "Again...");
    EXPECT_EQ(trimmed_row(14), "Press ENTER to go back to the Clearing:");
    EXPECT_EQ(file_read_all(SAVE_FILE), "0,0,0,3032,0,0\r\n");

    EXPECT_EQ(talk(typed_lines(winning_talk)), outcome::returned);
    EXPECT_EQ(trimmed_row(11), ""); // wiped
}

TEST_F(mouse_talk_test, a_repeated_topic_makes_the_mouse_walk_away_over_the_last_line)
{
    // Newcomers asked, then asked again.
    const std::vector<std::string> answers = {"3", "2", "", "3", "2"};
    ASSERT_EQ(talk(typed_lines(answers) + std::vector<int32_t>{STOP}), outcome::stopped);
    for (int32_t r = 7; r <= 9; ++r)
        EXPECT_EQ(chars_at(r, 13, 14), std::string(14, ' ')) << r;
    EXPECT_EQ(trimmed_row(16), "The Mouse says, 'We already talked about this!");
    // Row 17 is written over, not cleared: the end of the longer line stays.
    EXPECT_EQ(trimmed_row(17), "The Mouse walks away.conversation. Goodbye!'");
    EXPECT_EQ(trimmed_row(18), "");
    EXPECT_EQ(trimmed_row(19), "Press ENTER to return to the clearing:");

    EXPECT_EQ(talk(typed_lines(answers) + typed_lines({""})), outcome::returned);
    EXPECT_FALSE(std::filesystem::exists(SAVE_FILE));
    EXPECT_EQ(herb_cotton_root, 0.0f);
    // The next visit starts afresh: the same topic is welcome again.
    EXPECT_EQ(talk(typed_lines({"3", "2", "", "0"})), outcome::returned);
    EXPECT_EQ(mouse_asked_newcomers, 1.0f);
}

TEST_F(mouse_talk_test, a_question_is_asked_again_on_the_next_row_and_leaving_drops_the_typed_keys)
{
    const std::vector<std::string> answers = {"3", "1", "x", "11"};
    ASSERT_EQ(talk(typed_lines(answers) + std::vector<int32_t>{STOP}), outcome::stopped);
    EXPECT_EQ(trimmed_row(20), "1. 'Yes, we're pretty tight.'");
    EXPECT_EQ(trimmed_row(22), "What do you say? x");
    EXPECT_EQ(trimmed_row(23), "What do you say? 11");
    EXPECT_EQ(trimmed_row(24), "What do you say?");

    EXPECT_EQ(talk(typed_lines(answers) + typed_lines({"2", "", "0"})), outcome::returned);
    EXPECT_EQ(mouse_badger_friend, 0.0f);
    // Leaving read every key-hit entry up to the release of the last Enter.
    EXPECT_EQ(key_hit_next(), 0);
}

TEST_F(mouse_talk_test, leaving_waits_for_the_enter_release_sleeping_and_checking_events_each_pass)
{
    // "0" and Enter held down; some passes later the window is closed.
    static uint64_t first_pass;
    first_pass = 0;
    scene_clock_on_sleep([](uint32_t ms) {
        // The INPUT editor waits in steps of 10 ms; the leaving loop's are 1 ms.
        if (key_script_left() > 0 || (first_pass == 0 && ms != 1))
            return;
        if (first_pass == 0)
            first_pass = scene_clock_sleeps();
        EXPECT_EQ(ms, 1u);
        if (scene_clock_sleeps() == first_pass + 40)
            exit_acknowledged = 1;
    });
    key_script_set({'0', -'0', ENTER});
    basic_procedure p;
    EXPECT_THROW(mouse_talk_quest(p), program_ended);
    // The pass whose sleep saw the close went on to its event check, which
    // stopped the program thread at once: its next sleep is the end.
    EXPECT_EQ(scene_clock_sleeps(), first_pass + 41);
}
