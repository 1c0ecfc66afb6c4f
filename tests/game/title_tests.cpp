#include "core/control_words.h"
#include "game/game_basic.h"
#include "game/game_state.h"
#include "game/game_test_support.h"
#include "game/scenes.h"
#include "screen/screen_modes.h"

namespace
{

constexpr int32_t ENTER = 13, ESC = 27, LEFT_ALT = 100308;

enum class outcome { returned, stopped, ended };

class title_test : public game_test
{
  protected:
    void SetUp() override
    {
        game_test::SetUp();
        screen_setup();
        scene_clock_install();
        // As after the splash and the wipe: colour 1, the cursor on row 2.
        rt_color(1, 0, 0, 1);
        basic_locate(2, 1);
    }

    outcome run_title(std::vector<int32_t> script)
    {
        key_script_set(std::move(script));
        basic_procedure p;
        try {
            EXPECT_EQ(title_screen(p), scene::menu_entry);
            return outcome::returned;
        } catch (const script_stopped &) {
            return outcome::stopped;
        } catch (const program_ended &) {
            return outcome::ended;
        }
    }
};

TEST_F(title_test, the_title_waits_with_press_enter_under_the_picture)
{
    ASSERT_EQ(run_title({KEY_SCRIPT_STOP}), outcome::stopped);
    EXPECT_EQ(chars_at(32, 27, 11), "PRESS ENTER");
    EXPECT_EQ(chars_at(9, 8, 8), "( )__( )");
    EXPECT_EQ(char_at(3, 6), 0xB2);
}

TEST_F(title_test, enter_released_after_its_press_tells_the_story_and_goes_to_the_menu)
{
    prompt_responder_install();
    EXPECT_EQ(run_title({ENTER, -ENTER}), outcome::returned);
    EXPECT_EQ(prompts_seen().size(), 27u);
}

TEST_F(title_test, alt_enter_toggles_full_screen_without_starting_the_story)
{
    prompt_responder_install();
    // Alt+Enter gives only the release of Enter; an Enter release left from
    // before the title counts no more.
    EXPECT_EQ(run_title({-ENTER, LEFT_ALT, ENTER, -ENTER, -LEFT_ALT, KEY_SCRIPT_IDLE, ESC}),
              outcome::ended);
    EXPECT_TRUE(prompts_seen().empty());
    EXPECT_EQ(program_stop_flag.load(), 1);
    EXPECT_EQ(chars_at(32, 27, 11), std::string(11, ' ')); // wiped before SYSTEM
}

TEST_F(title_test, the_title_loop_sleeps_on_every_pass_and_serves_the_close_request)
{
    scene_clock_on_sleep([](uint32_t ms) {
        EXPECT_EQ(ms, 1u);
        if (scene_clock_sleeps() == 500)
            exit_acknowledged = 1;
    });
    uint64_t before = scene_clock_sleeps();
    EXPECT_EQ(run_title({}), outcome::ended);
    EXPECT_EQ(scene_clock_sleeps() - before, 501u);
}

} // namespace
