#include "game/pictures_forest.h"

#include "core/basic.h"
#include "core/errors.h"
#include "core/gosub_stack.h"
#include "game/elemento_forest_return_points.h"
#include "game/quest_screen_support.h"
#include "screen/text_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{

const char *const *const forest_pictures[] = {
    forest_view_rows,
    obstacle_boulder_rows,
    obstacle_sink_hole_rows,
    obstacle_bear_carcass_rows,
    obstacle_log_rows,
    obstacle_spider_web_rows,
    obstacle_termite_mound_rows,
    obstacle_briar_patch_rows,
};

TEST(ForestPictures, TenFramedRowsOfTwentySevenGlyphs)
{
    for (const char *const *picture : forest_pictures) {
        EXPECT_EQ(std::string(picture[0]), std::string(27, '\xDC'));
        EXPECT_EQ(std::string(picture[9]), std::string(27, '\xDF'));
        for (int32_t r = 1; r < 9; ++r) {
            const std::string row = picture[r];
            ASSERT_EQ(row.size(), 27u) << picture[r];
            EXPECT_EQ(row.front(), '\xDD');
            EXPECT_EQ(row.back(), '\xDE');
            // Only glyphs: no byte that PRINT would act on.
            for (char c : row)
                EXPECT_TRUE(uint8_t(c) >= 32 || c == '\x04') << r;
        }
    }
}

TEST(ForestPictures, BearCarcassDrawsItsControlCodeGlyphs)
{
    const std::string eyes = obstacle_bear_carcass_rows[6], nose = obstacle_bear_carcass_rows[8];
    EXPECT_EQ(eyes[4], '\x7F');
    EXPECT_EQ(eyes[7], '\x7F');
    EXPECT_EQ(nose[3], '\x04');
    EXPECT_NE(std::string(obstacle_spider_web_rows[7])
                  .find("\xF7"
                        "0\xF7"),
              std::string::npos);
}

class ForestDrawing : public quest_screen_test
{
  protected:
    static void gosub(void (*routine)(basic_procedure &))
    {
        basic_procedure p;
        game_gosub(p, 1, rp(RP_FOREST_OBSTACLE), [&] { routine(p); });
        EXPECT_EQ(error_pending_take(), 0u);
        EXPECT_EQ(gosub_count, 0u);
    }

    // Rows 1 to 10 hold the picture, row 11 is blank and the cursor waits on
    // row 12, column 1.
    static void expect_picture_on_top(const char *const *rows)
    {
        for (int32_t k = 0; k < PICTURE_ROWS; ++k)
            EXPECT_EQ(chars_at(1 + k, 1, 28), std::string(rows[k]) + " ") << "row " << k + 1;
        EXPECT_EQ(row_at(11), std::string(66, ' '));
        EXPECT_EQ(cursor(), std::make_pair(12, 1));
    }
};

TEST_F(ForestDrawing, ObstaclesClearTheScreenFirst)
{
    const std::pair<void (*)(basic_procedure &), const char *const *> obstacles[] = {
        {draw_obstacle_boulder, obstacle_boulder_rows},
        {draw_obstacle_sink_hole, obstacle_sink_hole_rows},
        {draw_obstacle_bear_carcass, obstacle_bear_carcass_rows},
        {draw_obstacle_log, obstacle_log_rows},
        {draw_obstacle_spider_web, obstacle_spider_web_rows},
        {draw_obstacle_termite_mound, obstacle_termite_mound_rows},
        {draw_obstacle_briar_patch, obstacle_briar_patch_rows},
    };
    for (auto [routine, rows] : obstacles) {
        fill('x');
        rt_locate(30, 40, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
        gosub(routine);
        expect_picture_on_top(rows);
        EXPECT_EQ(row_at(30), std::string(66, ' '));
    }
}

TEST_F(ForestDrawing, ForestViewDrawsOnWhatItsCallerCleared)
{
    fill('x');
    rt_cls(0, 0, 0);
    gosub(draw_forest_view);
    expect_picture_on_top(forest_view_rows);
    // It does not clear: what stood below the picture stays.
    fill('x');
    rt_locate(20, 1, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
    gosub(draw_forest_view);
    EXPECT_EQ(chars_at(1, 1, 27), forest_view_rows[0]);
    EXPECT_EQ(chars_at(1, 28, 39), std::string(39, 'x'));
    EXPECT_EQ(chars_at(20, 1, 1), "x");
}

} // namespace
