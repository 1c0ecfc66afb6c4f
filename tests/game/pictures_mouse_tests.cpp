#include "game/pictures_mouse.h"

#include "core/errors.h"
#include "core/gosub_stack.h"
#include "game/game_basic.h"
#include "game/game_test_support.h"
#include "game/pictures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{

class pictures_mouse_test : public game_test
{
  protected:
    void SetUp() override
    {
        game_test::SetUp();
        screen_setup();
    }
    // CLS, then GOSUB the routine, as the Mouse talk does.
    void draw_after_cls(void (*routine)(basic_procedure &))
    {
        rt_cls(0, 0, 0);
        basic_procedure p;
        game_gosub(p, 1, RP_QUESTS_FIRST, [&] { routine(p); });
        EXPECT_EQ(gosub_count, 0u);
        EXPECT_EQ(error_pending_take(), 0u);
    }
};

struct routine_case {
    const char *name;
    void (*routine)(basic_procedure &);
    const char *const *rows;
};

const routine_case routines[] = {
    {"mouse", draw_mouse_picture, mouse_picture_rows},
    {"tarvo", draw_tarvo_portrait, tarvo_portrait_rows},
    {"striped", draw_striped_portrait, striped_portrait_rows},
    {"echidna", draw_echidna_portrait, echidna_portrait_rows},
};

// Characters of a picture row from a screen column, as PRINTed from column 1.
std::string row_at(const char *const *rows, int32_t screen_row, int32_t col, size_t count)
{
    return std::string(rows[screen_row - 1]).substr(size_t(col - 1), count);
}

} // namespace

TEST_F(pictures_mouse_test,
       each_picture_fills_rows_1_to_10_in_its_frame_and_leaves_the_cursor_below)
{
    for (const routine_case &r : routines) {
        SCOPED_TRACE(r.name);
        draw_after_cls(r.routine);
        EXPECT_EQ(chars_at(1, 1, 27), std::string(27, '\xDC'));
        EXPECT_EQ(chars_at(10, 1, 27), std::string(27, '\xDF'));
        for (int32_t row = 2; row <= 9; ++row) {
            EXPECT_EQ(char_at(row, 1), 0xDD) << row;
            EXPECT_EQ(char_at(row, 27), 0xDE) << row;
            EXPECT_EQ(chars_at(row, 1, 27), r.rows[row - 1]);
        }
        for (int32_t row = 1; row <= 11; ++row)
            EXPECT_EQ(char_at(row, 28), ' ') << row; // no row is longer
        EXPECT_EQ(cursor_row(), 11);
        EXPECT_EQ(cursor_col(), 1);
    }
}

TEST_F(pictures_mouse_test, the_mouse_stands_alone_where_the_walk_away_blanks_it)
{
    draw_after_cls(draw_mouse_picture);
    EXPECT_EQ(chars_at(7, 15, 5), "O.-.O");
    EXPECT_EQ(chars_at(8, 15, 5), " \xAF\xA7\xAE ");
    EXPECT_EQ(chars_at(9, 15, 5), " }o{ ");
    // Blanking those cells leaves nothing of it: only the FOX and the frame.
    for (int32_t row = MOUSE_FIRST_ROW; row <= MOUSE_LAST_ROW; ++row) {
        basic_locate(row, MOUSE_FIRST_COLUMN);
        basic_print(text("     "));
        EXPECT_EQ(chars_at(row, 13, 14), std::string(14, ' ')) << row;
    }
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(pictures_mouse_test, the_diamond_and_the_heart_are_drawn_as_glyphs)
{
    draw_after_cls(draw_mouse_picture);
    EXPECT_EQ(char_at(6, 11), 4);
    EXPECT_EQ(chars_at(6, 12, 16), ")              \xDE");
    draw_after_cls(draw_striped_portrait);
    EXPECT_EQ(char_at(6, 11), 3);
    EXPECT_EQ(chars_at(6, 12, 16), "/              \xDE");
}

TEST(pictures_mouse, figures_wear_the_menu_faces)
{
    // The menu's faces (rows 9 to 14) moved five rows up and into the frame.
    auto menu = [](int32_t row, int32_t col, size_t count) {
        return std::string(menu_picture_rows[row - MENU_PICTURE_ROW])
            .substr(size_t(col - 1), count);
    };
    // FOX, the fourth face, with its body: every row, 45 columns to the left.
    EXPECT_EQ(row_at(mouse_picture_rows, 4, 6, 6), menu(9, 51, 6));
    EXPECT_EQ(row_at(mouse_picture_rows, 5, 6, 6), menu(10, 51, 6));
    EXPECT_EQ(row_at(mouse_picture_rows, 6, 4, 9), menu(11, 49, 9));
    EXPECT_EQ(row_at(mouse_picture_rows, 7, 4, 4), menu(12, 49, 4));
    EXPECT_EQ(row_at(mouse_picture_rows, 8, 5, 6), menu(13, 50, 6));
    EXPECT_EQ(row_at(mouse_picture_rows, 9, 7, 3), menu(14, 52, 3));
    // TARVO, the first face.
    EXPECT_EQ(row_at(tarvo_portrait_rows, 4, 6, 8), menu(9, 8, 8));
    EXPECT_EQ(row_at(tarvo_portrait_rows, 5, 7, 6), menu(10, 9, 6));
    EXPECT_EQ(row_at(tarvo_portrait_rows, 6, 7, 6), menu(11, 9, 6));
    // ECHIDNA, the second face, with its body.
    EXPECT_EQ(row_at(echidna_portrait_rows, 5, 8, 4), menu(10, 24, 4));
    EXPECT_EQ(row_at(echidna_portrait_rows, 6, 6, 7), menu(11, 22, 7));
    EXPECT_EQ(row_at(echidna_portrait_rows, 7, 5, 8), menu(12, 21, 8));
    EXPECT_EQ(row_at(echidna_portrait_rows, 8, 5, 7), menu(13, 21, 7));
    EXPECT_EQ(row_at(echidna_portrait_rows, 9, 7, 4), menu(14, 23, 4));
}
