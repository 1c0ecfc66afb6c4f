#include "game/pictures_forest.h"

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

} // namespace
