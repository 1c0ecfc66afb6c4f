#include "game/swamp_rules.h"

#include "core/rnd.h"
#include "game/game_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
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
        rnd_reset();
        swamp_row_min = 11.0f;
        swamp_row_max = 26.0f;
        swamp_col_min = 8.0f;
        swamp_col_max = 57.0f;
    }
    void TearDown() override
    {
        rnd_reset();
        game_test::TearDown();
    }
};

// A text screen of character codes, 37 rows of 66 columns, 1-based.
struct fake_screen {
    std::array<std::array<uint8_t, 67>, 38> cells{};

    fake_screen()
    {
        for (auto &row : cells)
            row.fill(' ');
    }
    void put(int32_t row, int32_t col, const char *text)
    {
        for (size_t i = 0; text[i]; ++i)
            cells[size_t(row)][size_t(col) + i] = uint8_t(text[i]);
    }
    void put_sprite(float row, float col, const std::array<const char *, 6> &rows)
    {
        for (int32_t r = 0; r < 6; ++r)
            put(int32_t(row) + r, int32_t(col), rows[size_t(r)]);
    }
    // The quest's scan: the 16 outline cells into pig_border_cells, then the
    // first sting.
    int32_t scan(float row, float col)
    {
        for (size_t k = 0; k < 16; ++k) {
            const cell_offset &o = pig_border_offsets[k];
            pig_border_cells(int32_t(k) + 1) =
                int16_t(cells[size_t(int32_t(row) + o.row)][size_t(int32_t(col) + o.col)]);
        }
        for (int32_t k = 1; k <= 16; ++k)
            if (hornet_code(pig_border_cells(k)))
                return k;
        return 0;
    }
};

// One frame of hornet flight for hornets 1 to count, as the quest flies them.
void fly_hornets(int32_t count)
{
    const swamp_limits limits = swamp_limits_now();
    for (int32_t i = 1; i <= count; ++i) {
        hornet_dir = hornet_direction_from(rt_rnd(0.0f, false));
        float &row = hornet_row(i);
        float &col = hornet_col(i);
        if (hornet_step(hornet_dir, row, col, limits))
            hornet_clamp(row, col, limits);
    }
}

} // namespace

TEST_F(swamp_rules_test, hornets_stay_inside_the_field_over_many_frames_and_seeds)
{
    for (double seed : {0.0, 1234.0, 40000.0, 65535.0}) {
        rt_randomize(seed, RANDOMIZE_SEED_GIVEN);
        for (size_t i = 0; i < 5; ++i) {
            hornet_row(int32_t(i) + 1) = hornet_start_cells[i].row;
            hornet_col(int32_t(i) + 1) = hornet_start_cells[i].col;
        }
        std::set<std::pair<float, float>> visited;
        for (int frame = 0; frame < 20000; ++frame) {
            fly_hornets(5);
            for (int32_t i = 1; i <= 5; ++i) {
                float row = hornet_row(i), col = hornet_col(i);
                ASSERT_GE(row, 12.0f);
                ASSERT_LE(row, 25.0f);
                ASSERT_GE(col, 17.0f);
                ASSERT_LE(col, 56.0f); // its three cells end at 58, inside the right wall
                visited.insert({row, col});
            }
        }
        // They roam the whole field, edges included.
        EXPECT_TRUE(visited.count({12.0f, 17.0f}) || visited.count({12.0f, 56.0f}) ||
                    visited.count({25.0f, 17.0f}) || visited.count({25.0f, 56.0f}));
        EXPECT_GT(visited.size(), 14u * 40u * 3u / 4u) << seed;
    }
}

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

TEST_F(swamp_rules_test, a_sting_is_seen_on_the_pig_outline_cells_and_nowhere_else)
{
    const float row = 15.0f, col = 20.0f;
    std::set<std::pair<int32_t, int32_t>> outline;
    for (const cell_offset &o : pig_border_offsets)
        outline.insert({o.row, o.col});
    ASSERT_EQ(outline.size(), 16u);

    for (const char *code : {"\xe9", "\x15", "\xaf"}) {
        for (int32_t dr = -2; dr <= 7; ++dr) {
            for (int32_t dc = -2; dc <= 7; ++dc) {
                fake_screen screen;
                screen.put(int32_t(row) + dr, int32_t(col) + dc, code);
                bool expected = outline.count({dr, dc}) > 0;
                EXPECT_EQ(screen.scan(row, col) != 0, expected)
                    << "offset " << dr << "," << dc << " code " << int(uint8_t(code[0]));
            }
        }
    }
    // The outline is the sprite's rim without its corners.
    for (const cell_offset &o : pig_border_offsets) {
        bool rim = o.row == 0 || o.row == 5 || o.col == 0 || o.col == 5;
        bool corner = (o.row == 0 || o.row == 5) && (o.col == 0 || o.col == 5);
        EXPECT_TRUE(rim && !corner) << o.row << "," << o.col;
    }
}

TEST_F(swamp_rules_test, the_pig_never_stings_itself_and_a_whole_hornet_beside_it_does)
{
    for (const auto *sprite : {&pig_right_rows, &pig_left_rows}) {
        for (const char *row : *sprite)
            EXPECT_EQ(std::strlen(row), 6u);
        fake_screen screen;
        screen.put_sprite(15.0f, 20.0f, *sprite);
        EXPECT_EQ(screen.scan(15.0f, 20.0f), 0);
        // A hornet drawn over the sprite's right edge.
        screen.put(17, 24, hornet_picture);
        EXPECT_EQ(screen.scan(15.0f, 20.0f), 9); // outline cell (2,5)
    }
    // A hornet on the field's far side of the left lane cannot reach a pig at
    // columns 8 to 11: its sprite ends at 16, the hornets start at 17.
    fake_screen screen;
    screen.put_sprite(15.0f, 11.0f, pig_right_rows);
    for (int32_t row = 12; row <= 25; ++row)
        screen.put(row, 17, hornet_picture);
    EXPECT_EQ(screen.scan(15.0f, 11.0f), 0);
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

TEST_F(swamp_rules_test, the_field_has_its_walls_track_and_open_lanes)
{
    auto code_at = [](int32_t row, int32_t col) { return swamp_field_row(row)[col - 1]; };
    for (float stage = 1.0f; stage <= 10.0f; stage += 1.0f)
        EXPECT_EQ(code_at(9, int32_t(stage_mark_column(stage))), 250);
    for (int32_t col = 7; col <= 60; ++col) {
        EXPECT_EQ(code_at(10, col), 220);
        EXPECT_EQ(code_at(27, col), 223);
    }
    for (int32_t row = 11; row <= 26; ++row) {
        bool lane = row >= 15 && row <= 22;
        EXPECT_EQ(code_at(row, 7), lane ? ' ' : 221) << row;
        EXPECT_EQ(code_at(row, 60), lane ? ' ' : 222) << row;
        for (int32_t col = 8; col <= 59; ++col)
            ASSERT_EQ(code_at(row, col), ' ');
    }
    EXPECT_EQ(swamp_field_row(8), nullptr);
    EXPECT_EQ(swamp_field_row(28), nullptr);
}

TEST_F(swamp_rules_test, the_nest_burns_as_the_pig_walks_past)
{
    EXPECT_STREQ(hornet_nest_frame_for(8.0f)->rows[1], "(_-_)");
    EXPECT_STREQ(hornet_nest_frame_for(29.0f)->rows[1], "(_-_)");
    for (float col : {30.0f, 31.0f, 32.0f})
        EXPECT_EQ(hornet_nest_frame_for(col), nullptr);
    int tunes = 0;
    for (float col = 8.0f; col <= 55.0f; col += 1.0f) {
        const hornet_nest_frame *frame = hornet_nest_frame_for(col);
        if (!frame)
            continue;
        tunes += frame->tune;
        for (const char *row : frame->rows)
            EXPECT_EQ(std::strlen(row), 5u);
    }
    EXPECT_EQ(tunes, 1);
    EXPECT_TRUE(hornet_nest_frame_for(33.0f)->tune);
    EXPECT_STREQ(hornet_nest_frame_for(55.0f)->rows[1], "     ");
}
