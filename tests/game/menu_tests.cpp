#include "core/control_words.h"
#include "core/gosub_stack.h"
#include "game/game_basic.h"
#include "game/game_state.h"
#include "game/game_test_support.h"
#include "game/menu_texts.h"
#include "game/save_file.h"
#include "game/scenes.h"
#include "screen/image_slots.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

namespace
{

constexpr int32_t ENTER = 13, SPACE = 32, KEY_A = 'a', KEY_D = 'd', KEY_E = 'e', KEY_P = 'p';
constexpr int32_t STOP = KEY_SCRIPT_STOP;

enum class outcome { returned, stopped, ended };

struct run_result {
    outcome how;
    scene next;
};

// A released key: its press and its release.
std::vector<int32_t> tap(int32_t key)
{
    return {key, -key};
}

class menu_test : public game_test
{
  protected:
    void SetUp() override
    {
        game_test::SetUp();
        screen_setup();
        scene_clock_install();
    }

    run_result run_menu(std::vector<int32_t> script)
    {
        key_script_set(std::move(script));
        basic_procedure p;
        try {
            return {outcome::returned, menu_scene(p)};
        } catch (const script_stopped &) {
            return {outcome::stopped, scene::title};
        } catch (const program_ended &) {
            return {outcome::ended, scene::title};
        }
    }

    // The help line at a row: blank, bullet, blank, text.
    static std::string help_at(int32_t row, size_t length)
    {
        return chars_at(row, 1, int32_t(length + 3));
    }
    static std::string help(const char *text) { return std::string(" \xF9 ") + text; }

    static bool rows_blank(int32_t first, int32_t last)
    {
        for (int32_t row = first; row <= last; ++row)
            if (chars_at(row, 1, 64) != std::string(64, ' '))
                return false;
        return true;
    }
};

TEST_F(menu_test, d_and_a_move_the_highlight_on_release_with_wrap_around)
{
    run_result r = run_menu(tap(KEY_D) + std::vector<int32_t>{STOP});
    ASSERT_EQ(r.how, outcome::stopped);
    EXPECT_EQ(menu_selection, 1.0f);
    EXPECT_EQ(char_at(7, 8), '*');
    EXPECT_EQ(char_at(7, 14), '*');
    EXPECT_EQ(chars_at(10, 11, 3), "- -");
    EXPECT_EQ(char_at(17, 2), ' ');
    EXPECT_EQ(help_at(24, std::strlen(tarvo_help[0])), help(tarvo_help[0]));

    // From BADGER, A goes to QUIT; from QUIT, D comes back to BADGER.
    r = run_menu(tap(KEY_A) + std::vector<int32_t>{STOP});
    EXPECT_EQ(menu_selection, 5.0f);
    EXPECT_EQ(char_at(17, 59), '*');
    EXPECT_EQ(char_at(17, 64), '*');
    EXPECT_EQ(help_at(24, std::strlen(quit_help[0])), help(quit_help[0]));
    r = run_menu(tap(KEY_A) + tap(KEY_D) + std::vector<int32_t>{STOP});
    EXPECT_EQ(menu_selection, 0.0f);
    EXPECT_EQ(char_at(17, 2), '*');
    EXPECT_EQ(char_at(17, 9), '*');
}

TEST_F(menu_test, a_held_key_does_nothing_until_it_is_released)
{
    run_result r = run_menu({KEY_A, KEY_SCRIPT_IDLE, KEY_SCRIPT_IDLE, STOP});
    ASSERT_EQ(r.how, outcome::stopped);
    EXPECT_EQ(menu_selection, 0.0f);
    EXPECT_EQ(char_at(17, 2), '*');
}

TEST_F(menu_test, each_entry_changes_its_face_and_shows_its_herb_when_won)
{
    herb_mugwort = MUGWORT_MARK;
    run_menu(tap(KEY_D) + tap(KEY_D) + std::vector<int32_t>{STOP});
    EXPECT_EQ(chars_at(12, 25, 2), "\x16 ");  // ECHIDNA's snout
    EXPECT_EQ(chars_at(24 + 7, 1, 3), "   "); // no herb line
    run_menu(tap(KEY_D) + tap(KEY_D) + tap(KEY_D) + std::vector<int32_t>{STOP});
    EXPECT_EQ(char_at(11, 38), 'o'); // PIG's mouth
    EXPECT_EQ(chars_at(24 + pig_help.size() + 1, 1, 25), "  ***YOU HAVE THE HERB***");
    run_menu(tap(KEY_A) + tap(KEY_A) + std::vector<int32_t>{STOP});
    EXPECT_EQ(chars_at(10, 53, 3), "o o"); // FOX's eyes
}

TEST_F(menu_test, badger_offers_the_ending_and_the_bonus_only_once_the_ending_was_seen)
{
    run_menu({STOP});
    EXPECT_EQ(help_at(24, std::strlen(badger_help_not_seen)), help(badger_help_not_seen));
    EXPECT_TRUE(rows_blank(24 + 6, 33));

    ending_seen = ENDING_SEEN_MARK;
    run_menu({STOP});
    EXPECT_EQ(help_at(24, std::strlen(badger_help_seen)), help(badger_help_seen));
    EXPECT_EQ(help_at(31, std::strlen(badger_help_bonus)), help(badger_help_bonus));
}

// Every help line of every entry, written out here as the game must show them,
// each on its own row from row 24: blank, bullet, blank, text, and blanks to
// the edge of the help area; then for a quest an empty line and the herb line
// when that herb is won; every row after that blank up to row 33.
TEST_F(menu_test, every_entry_shows_all_its_help_lines_at_their_rows)
{
    const std::string herb = "  ***YOU HAVE THE HERB***";
    const std::vector<std::string> badger_common = {
        "Press 'A' or 'D' to highlight an animal.", "Press 'ENTER' to select them.",
        "Press 'SPACE BAR' to see the credits.", "Press 'ALT' + 'ENTER' to toggle Fullscreen.",
        "Select 'QUIT' to quit."};
    struct entry_case {
        const char *what;
        std::vector<int32_t> keys;
        std::vector<std::string> lines; // "" an empty line; a leading blank: no bullet
    };
    auto with = [](std::vector<std::string> a, std::vector<std::string> b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    herb_angelica = 1710.0f; // TARVO's and FOX's herbs won, the others not
    herb_cotton_root = 3032.0f;
    const entry_case before_ending[] = {
        {"BADGER",
         {},
         with({"Come back to me when you have retrieved all 4 Herbs."}, badger_common)},
        {"TARVO",
         tap(KEY_D),
         {"The local Gin distiller has a surplus of Angelica Root.",
          "Beat him at 'Elemento', a bizarre card game of his creation.",
          "Memorize his cards and then select each card's opposite.",
          "Fire beats Tree; Tree beats Water; Water beats Fire.",
          "Beat him at three variations of Elemento to get the Herb.",
          "Use 'A' and 'D' to cycle through cards.", "Press 'ENTER' to select a card.",
          "Press 'ESC' at any time to return to this menu.", "", herb}},
        {"ECHIDNA",
         tap(KEY_D) + tap(KEY_D),
         {"There is a patch of Pennyroyal deep in the bamboo forest.",
          "Navigate the maze of bamboo and find the herb.",
          "Then, bring the herb all of the way back to the clearing.",
          "Type the direction (In all Caps) that you want to go.",
          "Some paths are blocked by obstacles. Find a detour.",
          "Type the obstacle name to get a closer look.",
          "Type 'QUIT' at any time to return to this menu.", ""}},
        {"PIG",
         tap(KEY_D) + tap(KEY_D) + tap(KEY_D),
         {"There is a patch of Mugwort deep in the swamp.",
          "Sadly, hornets have built their hive near the patch.",
          "Navigate the swamp while dodging hornets.",
          "Then, smoke bomb the nest and return to the clearing.", "Use 'WASD' to move.",
          "Hornets can't reach you on the far left of the screen.",
          "If you get stung you start all over, so be patient!",
          "Press 'ESC' at any time to return to this menu.", ""}},
        {"FOX",
         tap(KEY_A) + tap(KEY_A),
         {"The local Cotton Farmer has plenty of Cotton Root Bark.",
          "Sadly, he is not charitable in the least.",
          "Use your wit to convince the farmer to part with some crop.",
          "Since he's a Mouse he's easily intimidated, so be cautious!",
          "If the Mouse ditches you, you'll have to start over.",
          "Select '0' at any time to return to this menu.", "", herb}},
        {"QUIT", tap(KEY_A), {"Quit the Game (Progress is autosaved)."}},
    };
    auto expect_help_area = [&](const entry_case &c) {
        SCOPED_TRACE(c.what);
        int32_t row = 24;
        for (const std::string &line : c.lines) {
            std::string shown = line.empty() || line[0] == ' ' ? line : " \xF9 " + line;
            shown.resize(64, ' ');
            EXPECT_EQ(chars_at(row, 1, 64), shown) << "row " << row;
            ++row;
        }
        EXPECT_TRUE(rows_blank(row, 33)) << "rows " << row << "-33";
    };
    for (const entry_case &c : before_ending) {
        ASSERT_EQ(run_menu(c.keys + std::vector<int32_t>{STOP}).how, outcome::stopped);
        expect_help_area(c);
    }

    ending_seen = 400.0f;
    entry_case badger_after = {"BADGER after the ending",
                               {},
                               with(with({"Press 'E' to watch the Ending again."}, badger_common),
                                    {"", "Press 'P' to exit and play 'Wobblenook'."})};
    ASSERT_EQ(run_menu({STOP}).how, outcome::stopped);
    expect_help_area(badger_after);
}

TEST_F(menu_test, space_prints_the_credits_over_the_help_lines)
{
    run_menu(tap(KEY_D) + std::vector<int32_t>{SPACE, STOP});
    for (int i = 0; i < CREDIT_LINES; ++i)
        EXPECT_EQ(chars_at(24 + i, 1, 64), credit_lines[i]);
    EXPECT_EQ(chars_at(10, 11, 3), "- -"); // the menu is drawn again
    // A or D afterwards draws the menu over the credits.
    run_menu({SPACE, -KEY_D, STOP});
    EXPECT_EQ(help_at(24, std::strlen(tarvo_help[0])), help(tarvo_help[0]));
}

TEST_F(menu_test, enter_chooses_a_quest_after_the_wipe_in_its_colour)
{
    run_result r = run_menu(tap(KEY_D) + tap(KEY_D) + tap(KEY_D) + tap(ENTER));
    ASSERT_EQ(r.how, outcome::returned);
    EXPECT_EQ(r.next, scene::swamp);
    EXPECT_EQ(write_page.record->fore_color, 4u);
    EXPECT_TRUE(rows_blank(1, 33));
    EXPECT_EQ(gosub_count, 0u);

    const struct {
        int taps;
        scene quest;
        uint32_t colour;
    } quests[] = {{1, scene::elemento, 2}, {2, scene::bamboo_forest, 3}, {4, scene::mouse_talk, 5}};
    for (const auto &q : quests) {
        std::vector<int32_t> script;
        for (int i = 0; i < q.taps; ++i)
            script = script + tap(KEY_D);
        r = run_menu(script + tap(ENTER));
        EXPECT_EQ(r.next, q.quest);
        EXPECT_EQ(write_page.record->fore_color, q.colour);
    }
}

TEST_F(menu_test, echidna_drops_a_carried_herb_only_while_the_pennyroyal_is_not_won)
{
    const std::vector<int32_t> choose_echidna = tap(KEY_D) + tap(KEY_D) + tap(ENTER);
    forest_herb_carried = PENNYROYAL_MARK;
    run_menu(choose_echidna);
    EXPECT_EQ(forest_herb_carried, 0.0f);

    herb_pennyroyal = PENNYROYAL_MARK;
    forest_herb_carried = PENNYROYAL_MARK;
    run_menu(choose_echidna);
    EXPECT_EQ(forest_herb_carried, PENNYROYAL_MARK);
}

TEST_F(menu_test, badger_leads_to_the_ending_only_with_four_herbs_and_the_ending_unseen)
{
    EXPECT_EQ(run_menu(tap(ENTER)).next, scene::menu_entry);
    herb_angelica = ANGELICA_MARK;
    herb_pennyroyal = PENNYROYAL_MARK;
    herb_mugwort = MUGWORT_MARK;
    herb_cotton_root = COTTON_ROOT_MARK;
    EXPECT_EQ(run_menu(tap(ENTER)).next, scene::ending);
    ending_seen = ENDING_SEEN_MARK;
    EXPECT_EQ(run_menu(tap(ENTER)).next, scene::menu_entry);
    // Once seen, the ending comes back with E.
    EXPECT_EQ(run_menu({KEY_E}).next, scene::ending);
}

TEST_F(menu_test, e_and_p_do_nothing_before_the_ending_was_seen)
{
    run_result r = run_menu({KEY_E, -KEY_E, KEY_P, -KEY_P, STOP});
    EXPECT_EQ(r.how, outcome::stopped);
    EXPECT_TRUE(game_box_captions.empty());
    EXPECT_EQ(char_at(17, 2), '*');
}

int64_t release_time_ms;

TEST_F(menu_test, a_held_enter_chooses_only_once_released_and_a_tenth_of_a_second_later)
{
    std::vector<int32_t> script{ENTER};
    for (int i = 0; i < 20; ++i)
        script.push_back(KEY_SCRIPT_IDLE);
    script.push_back(-ENTER);
    key_script_set(script);
    release_time_ms = -1;
    // The sleep callback runs just before the script's step: the last time it
    // sees the release still waiting is the time the release comes.
    scene_clock_on_sleep([](uint32_t) {
        if (key_script_left() == 1)
            release_time_ms = scene_clock_now();
    });
    run_result r = run_menu(script);
    EXPECT_EQ(r.next, scene::menu_entry);
    ASSERT_GT(release_time_ms, 0);
    EXPECT_GE(scene_clock_now() - release_time_ms, 100);
}

TEST_F(menu_test, the_wait_for_the_enter_release_sleeps_and_serves_the_close_request)
{
    // Enter stays down; the window's close button is clicked meanwhile.
    scene_clock_on_sleep([](uint32_t) {
        if (scene_clock_sleeps() == 2000)
            exit_acknowledged = 1;
    });
    uint64_t sleeps_before = scene_clock_sleeps();
    run_result r = run_menu({ENTER});
    EXPECT_EQ(r.how, outcome::ended);
    EXPECT_GE(scene_clock_sleeps() - sleeps_before, 2000u);
}

TEST_F(menu_test, quit_ends_the_program_and_leaves_the_save_file_alone)
{
    file_write_all(SAVE_FILE_NAME, "1,2,3,4,5,6\r\n");
    run_result r = run_menu(tap(KEY_A) + tap(ENTER));
    EXPECT_EQ(r.how, outcome::ended);
    EXPECT_EQ(program_stop_flag.load(), 1);
    EXPECT_TRUE(rows_blank(1, 33));
    EXPECT_EQ(file_read_all(SAVE_FILE_NAME), "1,2,3,4,5,6\r\n");
}

TEST_F(menu_test, p_starts_the_bonus_program_in_place_of_the_game)
{
    ending_seen = ENDING_SEEN_MARK;
    file_write_all("WBNK", "#!/bin/sh\necho ran > wbnk_ran\n");
    std::filesystem::permissions("WBNK", std::filesystem::perms::owner_all);
    run_result r = run_menu({KEY_P});
    EXPECT_EQ(r.how, outcome::ended);
    EXPECT_EQ(program_stop_flag.load(), 1);
    for (int i = 0; i < 200 && !std::filesystem::exists("wbnk_ran"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(std::filesystem::exists("wbnk_ran"));
}

TEST_F(menu_test, a_bonus_program_that_cannot_start_shows_the_error_and_the_menu_goes_on)
{
    ending_seen = ENDING_SEEN_MARK;
    // The wipe before the RUN takes 0.825 s; keys during it are dropped.
    std::vector<int32_t> script{KEY_P};
    script.resize(1 + 1000 / KEY_SCRIPT_GAP_MS, KEY_SCRIPT_IDLE);
    run_result r = run_menu(script + std::vector<int32_t>{-KEY_D, STOP});
    EXPECT_EQ(r.how, outcome::stopped);
    ASSERT_EQ(game_box_captions.size(), 1u);
    EXPECT_EQ(game_box_captions[0], "Unhandled Error #53");
    EXPECT_EQ(menu_selection, 1.0f);
}

} // namespace
