#include "game/swamp_rules.h"

#include "game/game_test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace
{

class swamp_rules_test : public game_test
{
  protected:
    void SetUp() override
    {
        game_test::SetUp();
        swamp_row_min = 11.0f;
        swamp_row_max = 26.0f;
        swamp_col_min = 8.0f;
        swamp_col_max = 57.0f;
    }
};

} // namespace

TEST_F(swamp_rules_test, a_hornet_that_picks_a_blocked_way_stays_or_is_held_at_the_edge)
{
    const swamp_limits limits = swamp_limits_now();
    float row = 12.0f, col = 30.0f;
    ASSERT_TRUE(hornet_step(HORNET_UP, row, col, limits)); // up to 11...
    hornet_clamp(row, col, limits);
    EXPECT_EQ(row, 12.0f); // ...and back to 12

    row = 26.0f; // off the field's inside (only a clamp can put it back)
    EXPECT_FALSE(hornet_step(HORNET_DOWN, row, col, limits));
    EXPECT_FALSE(hornet_step(HORNET_UP, row, col, limits));
    EXPECT_TRUE(hornet_step(HORNET_RIGHT, row, col, limits));

    row = 18.0f, col = 16.0f;
    EXPECT_FALSE(hornet_step(HORNET_LEFT, row, col, limits));
    col = 17.0f;
    ASSERT_TRUE(hornet_step(HORNET_LEFT, row, col, limits));
    hornet_clamp(row, col, limits);
    EXPECT_EQ(col, 17.0f);
    col = 56.0f;
    ASSERT_TRUE(hornet_step(HORNET_RIGHT, row, col, limits));
    hornet_clamp(row, col, limits);
    EXPECT_EQ(col, 56.0f);

    // Every value of RND gives a direction 1 to 4.
    EXPECT_EQ(hornet_direction_from(0.0f), 1.0f);
    EXPECT_EQ(hornet_direction_from(0.2499999f), 1.0f);
    EXPECT_EQ(hornet_direction_from(0.25f), 2.0f);
    EXPECT_EQ(hornet_direction_from(0.9999999f), 4.0f);
}

TEST_F(swamp_rules_test, the_outline_is_the_sprite_rim_without_corners_and_misses_the_left_lane)
{
    std::set<std::pair<int32_t, int32_t>> cells;
    for (const cell_offset &o : pig_border_offsets) {
        bool rim = o.row == 0 || o.row == 5 || o.col == 0 || o.col == 5;
        bool corner = (o.row == 0 || o.row == 5) && (o.col == 0 || o.col == 5);
        EXPECT_TRUE(rim && !corner) << o.row << "," << o.col;
        cells.insert({o.row, o.col});
        // A pig in columns 8 to 11 reads nothing right of column 16, where no
        // hornet ever flies.
        EXPECT_LE(11 + o.col, 16);
    }
    EXPECT_EQ(cells.size(), 16u);
    for (int32_t code = 0; code < 256; ++code)
        EXPECT_EQ(hornet_code(code), code == 233 || code == 21 || code == 175);
}

TEST_F(swamp_rules_test, crossings_happen_only_in_the_open_lanes_at_the_right_wall)
{
    for (float row = 11.0f; row <= 21.0f; row += 1.0f) {
        for (float col = 8.0f; col <= 54.0f; col += 1.0f) {
            bool lane = row >= 15.0f && row <= 17.0f && col == 54.0f;
            EXPECT_EQ(pig_at_crossing(row, col), lane) << row << "," << col;
        }
    }
    EXPECT_EQ(stage_mark_column(1.0f), 20.0f);
    EXPECT_EQ(stage_mark_column(10.0f), 47.0f);
}
