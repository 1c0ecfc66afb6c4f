#include "game/pictures.h"

#include "core/errors.h"
#include "core/gosub_stack.h"
#include "game/game_basic.h"
#include "game/game_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <span>
#include <string>

namespace
{

struct picture_case {
    const char *name;
    std::span<const char *const> rows;
    int first_row;       // screen row of rows[0]
    int min_col;         // leftmost column the picture may use
    int max_col;         // rightmost
    std::set<int> codes; // the codes besides printable ASCII it may use
};

const std::set<int> menu_codes{4, 127, 179, 186, 210, 223, 229, 236, 240, 248};

std::set<int> with(std::set<int> a, std::initializer_list<int> more)
{
    a.insert(more);
    return a;
}

std::vector<picture_case> pictures()
{
    return {
        {"title name", title_name_rows, 3, 6, 61, {176, 177, 178}},
        {"title herbs", title_herbs_rows, 17, 10, 61, {178}},
        {"title quest", title_quest_rows, 23, 19, 61, {178}},
        {"menu", menu_picture_rows, MENU_PICTURE_ROW, 8, 57, menu_codes},
        {"home", story_home_rows, STORY_PICTURE_FIRST_ROW, 10, 50, {179, 186, 206, 223}},
        {"forest", story_forest_rows, STORY_PICTURE_FIRST_ROW, 4, 62, with(menu_codes, {206, 211})},
        {"clearing", story_clearing_rows, STORY_PICTURE_FIRST_ROW, 4, 62,
         with(menu_codes, {3, 191, 206, 211, 233})},
    };
}

// The character at a screen cell of a picture laid out from its first row,
// each row PRINTed from column 1; a blank outside the rows.
char cell(const picture_case &picture, int row, int col)
{
    int index = row - picture.first_row;
    if (index < 0 || index >= int(picture.rows.size()))
        return ' ';
    const char *text = picture.rows[size_t(index)];
    return col <= int(std::strlen(text)) ? text[col - 1] : ' ';
}

std::string cells(const picture_case &picture, int row, int col, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i)
        out += cell(picture, row, col + i);
    return out;
}

const picture_case &picture_named(const char *name)
{
    static const std::vector<picture_case> all = pictures();
    for (const picture_case &picture : all)
        if (std::strcmp(picture.name, name) == 0)
            return picture;
    throw std::runtime_error(name);
}

TEST(pictures, rows_stay_in_their_columns_and_use_only_their_characters)
{
    for (const picture_case &picture : pictures()) {
        std::set<int> used;
        for (const char *row : picture.rows) {
            std::string text = row;
            SCOPED_TRACE(std::string(picture.name) + ": " + text);
            size_t first = text.find_first_not_of(' ');
            if (first == std::string::npos)
                continue;
            EXPECT_GE(int(first) + 1, picture.min_col);
            EXPECT_LE(int(text.find_last_not_of(' ')) + 1, picture.max_col);
            for (unsigned char c : text) {
                if (c >= 32 && c < 127)
                    continue;
                EXPECT_TRUE(picture.codes.count(c)) << "code " << int(c);
                used.insert(c);
            }
        }
        EXPECT_EQ(used, picture.codes) << picture.name;
    }
}

TEST(pictures, menu_rows_have_their_exact_lengths_and_leave_room_for_the_face_changes)
{
    const size_t lengths[] = {56, 56, 57, 55, 55, 54};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(std::strlen(menu_picture_rows[i]), lengths[i]) << "row " << 9 + i;
    const picture_case &menu = picture_named("menu");
    EXPECT_EQ(cells(menu, 10, 11, 3), "o o");       // TARVO's eyes close
    EXPECT_EQ(cells(menu, 12, 25, 2), "-\xBA");     // ECHIDNA's snout
    EXPECT_EQ(cells(menu, 11, 38, 1), "_");         // PIG's mouth opens
    EXPECT_EQ(cells(menu, 10, 53, 3), "\xE5 \xE5"); // FOX's eyes open
}

TEST(pictures, story_mouths_and_eyes_sit_where_the_scenes_draw_them)
{
    struct mouth {
        const char *picture;
        int row, col;
    };
    const mouth mouths[] = {
        {"home", 16, 29},     {"forest", 16, 12},   {"forest", 16, 27},
        {"forest", 17, 40},   {"forest", 16, 54},   {"clearing", 16, 22},
        {"clearing", 16, 30}, {"clearing", 16, 43}, {"clearing", 17, 53},
    };
    for (const mouth &m : mouths)
        EXPECT_EQ(cell(picture_named(m.picture), m.row, m.col), '_')
            << m.picture << " (" << m.row << ", " << m.col << ")";
    EXPECT_EQ(cells(picture_named("clearing"), 15, 20, 3), "o o");
    // The ending turns TARVO's belly at (18, 52) of the forest into a line.
    EXPECT_EQ(cell(picture_named("forest"), 18, 52), '(');
}

TEST(pictures, story_pictures_fill_their_rows_and_no_row_wraps)
{
    EXPECT_EQ(std::size(story_home_rows), 14u);
    EXPECT_EQ(std::size(story_forest_rows), 17u);
    EXPECT_EQ(std::size(story_clearing_rows), 17u);
    for (const picture_case &picture : pictures())
        for (const char *row : picture.rows)
            EXPECT_LT(std::strlen(row), 66u) << picture.name;
}

class picture_routine_test : public game_test
{
  protected:
    void SetUp() override
    {
        game_test::SetUp();
        screen_setup();
    }
    template <typename Routine> void gosub(Routine routine)
    {
        basic_procedure p;
        game_gosub(p, 1, RP_TITLE_PICTURE, [&] { routine(p); });
        EXPECT_EQ(gosub_count, 0u);
        EXPECT_EQ(error_pending_take(), 0u);
    }
};

TEST_F(picture_routine_test, title_picture_fills_rows_2_to_28_with_the_faces_on_rows_9_to_14)
{
    basic_locate(2, 1);
    gosub(draw_title_picture);
    EXPECT_EQ(char_at(3, 6), 0xB2);
    EXPECT_EQ(char_at(7, 7), 0xB0);
    EXPECT_EQ(chars_at(9, 8, 8), "( )__( )");
    EXPECT_EQ(chars_at(14, 52, 3), "U U");
    EXPECT_EQ(char_at(17, 10), 0xB2);
    EXPECT_EQ(char_at(27, 20), 0xB2);
    EXPECT_EQ(cursor_row(), 29);
    EXPECT_EQ(cursor_col(), 1);
}

TEST_F(picture_routine_test, menu_faces_land_on_rows_9_to_14_from_any_cursor_row)
{
    basic_locate(30, 1);
    gosub(draw_menu_picture);
    EXPECT_EQ(chars_at(10, 9, 6), "\xB3 o o\xB3");
    EXPECT_EQ(chars_at(11, 54, 4), "=_\x04)");
    EXPECT_EQ(cursor_row(), 15);
}

TEST_F(picture_routine_test, story_pictures_put_the_mouths_on_their_cells_after_cls)
{
    rt_cls(0, 0, 0);
    gosub(draw_story_home);
    EXPECT_EQ(char_at(16, 29), '_');
    EXPECT_EQ(cursor_row(), 23);

    rt_cls(0, 0, 0);
    gosub(draw_story_forest);
    EXPECT_EQ(chars_at(16, 12, 1) + chars_at(16, 27, 1) + chars_at(17, 40, 1) + chars_at(16, 54, 1),
              "____");
    EXPECT_EQ(cursor_row(), 26);

    rt_cls(0, 0, 0);
    gosub(draw_story_clearing);
    EXPECT_EQ(chars_at(16, 22, 1) + chars_at(16, 30, 1) + chars_at(16, 43, 1) + chars_at(17, 53, 1),
              "____");
    EXPECT_EQ(chars_at(15, 20, 3), "o o");
    EXPECT_EQ(cursor_row(), 26);
}

} // namespace
