#include "core/basic.h"
#include "core/errors.h"
#include "core/gosub_stack.h"
#include "game/forest_map.h"
#include "game/game_state.h"
#include "game/pictures_cards_herbs.h"
#include "game/pictures_forest.h"
#include "game/quest_screen_support.h"
#include "game/scenes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace
{

constexpr int32_t STOP = KEY_SCRIPT_STOP;

// The shortest way from the entrance to the herb, and back.
const std::vector<std::string> way_in = {"SOUTH", "SOUTH", "EAST",  "SOUTH", "WEST", "SOUTH",
                                         "EAST",  "EAST",  "EAST",  "NORTH", "EAST", "NORTH",
                                         "NORTH", "WEST",  "NORTH", "EAST",  "EAST", "SOUTH"};
const std::vector<std::string> way_out = {"NORTH", "WEST", "WEST",  "SOUTH", "EAST",  "SOUTH",
                                          "SOUTH", "WEST", "SOUTH", "WEST",  "WEST",  "WEST",
                                          "NORTH", "EAST", "NORTH", "WEST",  "NORTH", "NORTH"};

const std::string SAVE_FILE = "TarvoData";

class forest_test : public quest_screen_test
{
  protected:
    enum class outcome { returned, stopped };

    void SetUp() override
    {
        quest_screen_test::SetUp();
        // A scene left waiting for keys that never come ends the test.
        scene_clock_on_sleep(stop_after_an_hour);
    }

    // Walks the forest from its entry with the keys of the script.
    outcome walk(const std::vector<int32_t> &script)
    {
        key_script_set(script);
        basic_procedure p;
        try {
            EXPECT_EQ(bamboo_forest_quest(p), scene::menu_entry);
        } catch (const script_stopped &) {
            return outcome::stopped;
        }
        return outcome::returned;
    }

    // Rows 1 to 10 hold a picture.
    static void expect_picture(const char *const *rows)
    {
        for (int32_t k = 0; k < PICTURE_ROWS; ++k)
            EXPECT_EQ(chars_at(1 + k, 1, 27), rows[k]) << "row " << k + 1;
    }
    static std::string trimmed_row(int32_t row)
    {
        std::string s = row_at(row);
        return s.substr(0, s.find_last_not_of(' ') + 1);
    }
};

TEST_F(forest_test, the_herb_is_carried_out_and_saved)
{
    EXPECT_EQ(walk(typed_lines(way_in) + typed_lines(way_out) + typed("NORTH")), outcome::returned);
    EXPECT_EQ(herb_pennyroyal, PENNYROYAL_MARK);
    EXPECT_EQ(forest_herb_carried, PENNYROYAL_MARK);
    EXPECT_EQ(file_read_all(SAVE_FILE), "0,2.6,0,0,0,0\r\n");
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(gosub_count, 0u);
}

TEST_F(forest_test, the_herb_room_shows_the_herb_until_it_is_delivered)
{
    ASSERT_EQ(walk(typed_lines(way_in) + std::vector<int32_t>{STOP}), outcome::stopped);
    expect_picture(herb_pennyroyal_rows);
    EXPECT_EQ(trimmed_row(11), "You got the Herb!!!");
    EXPECT_EQ(trimmed_row(12), "You can go NORTH");
    EXPECT_EQ(cursor(), std::make_pair(13, 1));
    EXPECT_EQ(forest_herb_carried, PENNYROYAL_MARK);

    // Once delivered: the forest view and the way on only.
    herb_pennyroyal = PENNYROYAL_MARK;
    forest_herb_carried = 0.0f;
    ASSERT_EQ(walk(typed_lines(way_in) + std::vector<int32_t>{STOP}), outcome::stopped);
    expect_picture(forest_view_rows);
    EXPECT_EQ(trimmed_row(11), "");
    EXPECT_EQ(trimmed_row(12), "You can go NORTH");
    EXPECT_EQ(cursor(), std::make_pair(13, 1));
    EXPECT_EQ(forest_herb_carried, 0.0f);
}

TEST_F(forest_test, a_quit_word_drops_the_herb_and_saves_nothing)
{
    for (const char *word : {"QUIT", "GIVE UP", "EXIT"}) {
        forest_herb_carried = 0.0f;
        EXPECT_EQ(walk(typed_lines(way_in) + typed("SOUTH") + typed(word)), outcome::returned)
            << word;
        EXPECT_EQ(forest_herb_carried, 0.0f);
        EXPECT_EQ(herb_pennyroyal, 0.0f);
        EXPECT_FALSE(std::filesystem::exists(SAVE_FILE));
    }
    // Leaving without the herb saves nothing either.
    EXPECT_EQ(walk(typed("NORTH")), outcome::returned);
    EXPECT_FALSE(std::filesystem::exists(SAVE_FILE));
}

TEST_F(forest_test, room_texts_follow_the_view_and_come_again_below_the_input)
{
    ASSERT_EQ(walk(std::vector<int32_t>{STOP}), outcome::stopped);
    expect_picture(forest_view_rows);
    EXPECT_EQ(trimmed_row(12), "You're at the Entrance of the Bamboo Forest.");
    EXPECT_EQ(trimmed_row(13), "You can go EAST or SOUTH.");
    EXPECT_EQ(trimmed_row(14), "Or you can go NORTH to the Clearing.");
    EXPECT_EQ(trimmed_row(15), "");
    EXPECT_EQ(cursor(), std::make_pair(16, 1));

    // A wall, a direction in lower case and an empty line print the texts
    // again below the typed line, without clearing.
    ASSERT_EQ(walk(typed("WEST") + std::vector<int32_t>{STOP}), outcome::stopped);
    EXPECT_EQ(trimmed_row(16), "WEST");
    EXPECT_EQ(trimmed_row(17), "You're at the Entrance of the Bamboo Forest.");
    EXPECT_EQ(cursor(), std::make_pair(21, 1));
    ASSERT_EQ(walk(typed_lines({"south", "", "boulder"}) + std::vector<int32_t>{STOP}),
              outcome::stopped);
    EXPECT_EQ(trimmed_row(16), "south");
    EXPECT_EQ(trimmed_row(21), "");
    EXPECT_EQ(trimmed_row(26), "boulder");
    EXPECT_EQ(trimmed_row(27), "You're at the Entrance of the Bamboo Forest.");
}

TEST_F(forest_test, an_obstacle_shows_its_picture_above_the_room_texts)
{
    // Room 6's SOUTH and room 7's NORTH meet the same boulder.
    ASSERT_EQ(walk(typed_lines({"EAST", "SOUTH"}) + std::vector<int32_t>{STOP}), outcome::stopped);
    expect_picture(obstacle_boulder_rows);
    EXPECT_EQ(trimmed_row(12), "The SOUTH path is blocked by a boulder.");
    EXPECT_EQ(trimmed_row(13), "You can go EAST or WEST.");
    EXPECT_EQ(cursor(), std::make_pair(15, 1));

    ASSERT_EQ(
        walk(typed_lines({"EAST", "EAST", "SOUTH", "WEST", "NORTH"}) + std::vector<int32_t>{STOP}),
        outcome::stopped);
    expect_picture(obstacle_boulder_rows);
    EXPECT_EQ(trimmed_row(12), "The NORTH path is blocked by a boulder.");
    EXPECT_EQ(trimmed_row(13), "You can go EAST.");
}

TEST_F(forest_test, every_later_delivery_plays_and_saves_again)
{
    herb_pennyroyal = PENNYROYAL_MARK;
    forest_herb_carried = PENNYROYAL_MARK;
    EXPECT_EQ(walk(typed("NORTH")), outcome::returned);
    EXPECT_EQ(file_read_all(SAVE_FILE), "0,2.6,0,0,0,0\r\n");
}

} // namespace
