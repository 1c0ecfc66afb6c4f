#include "game/mouse_talk_rules.h"

#include "game/game_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

class mouse_talk_rules_test : public game_test
{
  protected:
    // A new run: every flag 0, the Badger friend too.
    static void new_run()
    {
        for (float *flag : mouse_visit_flags)
            *flag = 0.0f;
        mouse_badger_friend = 0.0f;
    }
};

// What a stretch of conversation showed and where it stopped.
struct talk_result {
    mouse_scene stop;               // the scene the answers ran out at, or an end scene
    std::vector<std::string> lines; // every line and press-ENTER prompt of the responses
    int answers_used = 0;

    bool said(const std::string &text) const
    {
        for (const auto &line : lines)
            if (line == text)
                return true;
        return false;
    }
};

// Runs a response's steps as the quest does, minus the screen: lines and
// prompts are recorded, flags set.
void run_steps(const mouse_response &response, talk_result &result)
{
    for (const mouse_step &step : response.steps) {
        if (step.kind == mouse_step_kind::set)
            *step.flag = 1.0f;
        else if (step.kind != mouse_step_kind::blank)
            result.lines.emplace_back(step.text);
    }
}

// Answers the talk from the Mouse menu on, one answer per question, until the
// answers run out or the talk reaches the herb award, the walk-away or the
// leaving.
talk_result converse(const std::vector<std::string> &answers)
{
    talk_result result;
    mouse_scene scene = mouse_scene::menu;
    for (;;) {
        if (scene == mouse_scene::herb_award || scene == mouse_scene::walks_away ||
            scene == mouse_scene::leave)
            break;
        mouse_response response;
        if (scene == mouse_scene::herb_request) {
            response = mouse_herb_request_response();
        } else {
            if (size_t(result.answers_used) == answers.size())
                break;
            response = mouse_answer_response(scene, answers[size_t(result.answers_used++)]);
        }
        run_steps(response, result);
        scene = response.next;
    }
    result.stop = scene;
    return result;
}

// Small talk, local news with the Badger named a friend, personal talk, the
// confession and the promise.
const std::vector<std::string> winning_talk = {"2", "1", "3", "1", "1", "4",
                                               "1", "4", "3", "1", "1"};

} // namespace

TEST_F(mouse_talk_rules_test, every_repeated_topic_that_ends_the_talk_makes_the_mouse_walk_away)
{
    const std::vector<std::vector<std::string>> repeats = {
        {"2", "1", "2", "2"},      // weather, either answer
        {"3", "1", "2", "3", "1"}, // deaths
        {"3", "2", "3", "2"},      // newcomers
        {"3", "3", "2", "3", "3"}, // births
        {"4", "1", "4", "1"},      // wellbeing
    };
    for (const auto &answers : repeats) {
        new_run();
        talk_result talk = converse(answers);
        EXPECT_EQ(talk.stop, mouse_scene::walks_away) << answers.size();
        EXPECT_EQ(talk.answers_used, int(answers.size()));
    }
    new_run();
    EXPECT_TRUE(
        converse({"3", "2", "3", "2"}).said("You're pretty bad at conversation. Goodbye!'"));
}

TEST_F(mouse_talk_rules_test, a_repeated_health_question_or_confession_keeps_the_talk_going)
{
    talk_result talk = converse({"4", "2", "4", "2", "4", "3"});
    EXPECT_EQ(talk.stop, mouse_scene::menu);
    EXPECT_TRUE(talk.said("The Mouse says, 'I told you! I have an itchy Butthole!"));
    EXPECT_TRUE(talk.said("The Mouse says, 'Well... Uh... That's a bit personal...'"));
    EXPECT_EQ(mouse_confessed, 0.0f);

    // Confessed, refused, asked again: no second confession.
    new_run();
    talk = converse({"2", "1", "3", "1", "1", "4", "2", "4", "3", "3", "4", "3"});
    EXPECT_EQ(talk.stop, mouse_scene::menu);
    EXPECT_TRUE(talk.said("The Mouse says, 'I told you! I'm in love with a married woman!'"));
    EXPECT_EQ(mouse_potion_promised, 0.0f);
}

TEST_F(mouse_talk_rules_test, rude_questions_and_the_wrong_joke_end_the_talk)
{
    EXPECT_EQ(converse({"4", "4"}).stop, mouse_scene::walks_away);
    new_run();
    EXPECT_EQ(converse({"5", "3"}).stop, mouse_scene::walks_away);
    new_run();
    talk_result talk = converse({"5", "4"});
    EXPECT_EQ(talk.stop, mouse_scene::menu);
    EXPECT_EQ(mouse_smalltalk_done, 0.0f);
}

TEST_F(mouse_talk_rules_test, the_herb_request_answers_by_the_flags_in_order)
{
    EXPECT_EQ(converse({"1"}).stop, mouse_scene::walks_away); // no talk yet

    new_run();
    talk_result polite = converse({"4", "1", "1"});
    EXPECT_EQ(polite.stop, mouse_scene::menu);
    EXPECT_TRUE(polite.said("I worked hard farming this crop.'"));

    // The rumour confirmed blocks the herb even after the promise.
    new_run();
    std::vector<std::string> answers = {"3", "3", "1"};
    answers.insert(answers.end(), winning_talk.begin(), winning_talk.end());
    talk_result blocked = converse(answers);
    EXPECT_EQ(mouse_potion_promised, 1.0f);
    EXPECT_EQ(blocked.stop, mouse_scene::walks_away);
    EXPECT_TRUE(blocked.said("It was nice talking to you, Fox, but I have work to do.'"));
}

TEST_F(mouse_talk_rules_test, the_confession_needs_all_four_flags_and_the_badger_friend_lasts)
{
    // Jokes 1 and 2 stand in for small talk and news; the Badger not yet named.
    talk_result talk = converse({"5", "2", "4", "2", "4", "3"});
    EXPECT_EQ(mouse_smalltalk_done, 1.0f);
    EXPECT_EQ(mouse_local_news_done, 1.0f);
    EXPECT_EQ(talk.stop, mouse_scene::menu);
    EXPECT_EQ(mouse_confessed, 0.0f);

    // Named in one visit...
    new_run();
    converse({"3", "1", "1"});
    EXPECT_EQ(mouse_badger_friend, 1.0f);
    // ...it still counts in the next, whose flags start at 0.
    for (float *flag : mouse_visit_flags)
        *flag = 0.0f;
    EXPECT_FALSE(mouse_trusts_fox());
    talk = converse({"5", "2", "4", "1", "4", "3"});
    EXPECT_EQ(talk.stop, mouse_scene::potion_question);
    EXPECT_EQ(mouse_confessed, 1.0f);
}

TEST_F(mouse_talk_rules_test, answers_match_only_the_exact_digits)
{
    for (const char *near_miss : {" 1", "1 ", "01", "", "one", "6"}) {
        EXPECT_EQ(mouse_answer_response(mouse_scene::menu, near_miss).next, mouse_scene::menu)
            << near_miss;
        EXPECT_EQ(mouse_answer_response(mouse_scene::weather, near_miss).next,
                  mouse_scene::weather);
        EXPECT_EQ(mouse_answer_response(mouse_scene::badger_question, near_miss).next,
                  mouse_scene::badger_question);
    }
    // The joke screen lists no 0 but takes it.
    EXPECT_EQ(mouse_answer_response(mouse_scene::jokes, "0").next, mouse_scene::menu);
    EXPECT_EQ(mouse_answer_response(mouse_scene::menu, "0").next, mouse_scene::leave);
}
