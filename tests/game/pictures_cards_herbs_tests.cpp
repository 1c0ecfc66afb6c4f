#include "game/pictures_cards_herbs.h"

#include "core/basic.h"
#include "core/errors.h"
#include "core/gosub_stack.h"
#include "game/elemento_forest_return_points.h"
#include "game/game_state.h"
#include "game/quest_screen_support.h"
#include "screen/text_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{

// Bytes that PRINT acts on instead of drawing them: a picture holding one
// would move the cursor or clear the screen.
bool prints_as_glyphs(const char *row)
{
    for (const char *c = row; *c != '\0'; ++c)
        if (std::strchr("\x07\x09\x0A\x0B\x0C\x0D\x1C\x1D\x1E\x1F", *c) != nullptr)
            return false;
    return true;
}

// A 10-row picture of the given width inside a half-block frame: the top row
// lower halves, the bottom row upper halves, the side rows between `left` and
// `right` (blank corners for the cards).
void expect_framed(const char *const *rows, size_t width, uint8_t left, uint8_t right,
                   bool blank_corners)
{
    for (int32_t r = 0; r < PICTURE_ROWS; ++r) {
        SCOPED_TRACE("row " + std::to_string(r + 1));
        const std::string row = rows[r];
        ASSERT_EQ(row.size(), width);
        EXPECT_TRUE(prints_as_glyphs(rows[r]));
        const size_t inner_from = blank_corners ? 1 : 0, inner_to = width - inner_from;
        if (r == 0 || r == PICTURE_ROWS - 1) {
            const char half = r == 0 ? '\xDC' : '\xDF';
            EXPECT_EQ(row.substr(inner_from, inner_to - inner_from),
                      std::string(inner_to - inner_from, half));
            if (blank_corners) {
                EXPECT_EQ(row.front(), ' ');
                EXPECT_EQ(row.back(), ' ');
            }
        } else {
            EXPECT_EQ(uint8_t(row.front()), left);
            EXPECT_EQ(uint8_t(row.back()), right);
        }
    }
}

TEST(CardAndHerbPictures, CardsFaceTheirFrameInwards)
{
    for (const char *const *card :
         {card_tree_rows, card_water_rows, card_fire_rows, card_back_rows})
        expect_framed(card, CARD_COLUMNS, 222, 221, true);
}

TEST(CardAndHerbPictures, FramedPicturesFaceTheirFrameOutwards)
{
    for (const char *const *picture :
         {vole_picture_rows, herb_pennyroyal_rows, herb_cotton_root_rows, herb_angelica_rows})
        expect_framed(picture, FRAMED_PICTURE_COLUMNS, 221, 222, false);
    // The glyphs the Vole and the Pennyroyal are drawn with.
    EXPECT_EQ(std::string(vole_picture_rows[7]).substr(17, 3), "\xF7\xA7\xF7");
    EXPECT_EQ(std::string(herb_pennyroyal_rows[4]).substr(8, 3), "\x0F\xCE\x0F");
}

TEST(CardAndHerbPictures, MugwortIsSixUnframedRows)
{
    for (const char *row : herb_mugwort_rows) {
        EXPECT_EQ(std::strlen(row), size_t(MUGWORT_COLUMNS));
        EXPECT_TRUE(prints_as_glyphs(row));
    }
}

// Runs a picture routine as a GOSUB and checks that its RETURN took the
// return point back and raised nothing.
void gosub(void (*routine)(basic_procedure &))
{
    basic_procedure p;
    game_gosub(p, 1, rp(RP_ELEMENTO_INTRO_VOLE), [&] { routine(p); });
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(gosub_count, 0u);
}

class CardAndHerbDrawing : public quest_screen_test
{
};

TEST_F(CardAndHerbDrawing, NineCardRowsTouchWithoutOverlapOrWrap)
{
    const char *const *faces[] = {card_tree_rows, card_water_rows, card_fire_rows};
    round_card_count = 9.0f;
    // The player's row first, then the Vole's, as a round leaves card_row.
    for (int32_t row = 19; row >= 9; row -= 10) {
        gosub(set_card_start_column);
        EXPECT_EQ(card_column, 2.0f);
        for (card_index = 1.0f; card_index <= 9.0f; card_index += 1.0f) {
            const int32_t i = int32_t(card_index);
            vole_cards(i) = float(i % 3 + 1);
            player_cards(i) = float((i + 1) % 3 + 1);
            gosub(row == 9 ? draw_vole_card : draw_player_card);
            EXPECT_EQ(card_row, float(row));
            card_column += 7.0f;
        }
    }
    for (int32_t i = 1; i <= 9; ++i) {
        const int32_t column = 2 + 7 * (i - 1);
        for (int32_t k = 0; k < PICTURE_ROWS; ++k) {
            EXPECT_EQ(chars_at(9 + k, column, 7), faces[i % 3][k]) << "Vole card " << i;
            EXPECT_EQ(chars_at(19 + k, column, 7), faces[(i + 1) % 3][k]) << "card " << i;
        }
    }
    // The ninth card ends in column 64; nothing spilled onto the next rows.
    EXPECT_EQ(chars_at(9, 65, 2), "  ");
    EXPECT_EQ(chars_at(29, 1, 66), std::string(66, ' '));

    // The backs, drawn at the row draw_vole_card left, cover the faces exactly.
    gosub(set_card_start_column);
    for (int32_t i = 1; i <= 9; ++i) {
        gosub(draw_card_back);
        card_column += 7.0f;
    }
    for (int32_t k = 0; k < PICTURE_ROWS; ++k) {
        EXPECT_EQ(chars_at(9 + k, 2, 63), [&] {
            std::string row;
            for (int i = 0; i < 9; ++i)
                row += card_back_rows[k];
            return row;
        }());
        EXPECT_EQ(chars_at(19 + k, 2, 7), faces[2][k]);
    }
}

TEST_F(CardAndHerbDrawing, StartColumnsAndAnUnknownCode)
{
    const float counts[] = {5, 7, 9, 11};
    const float columns[] = {16, 9, 2, 2};
    for (int i = 0; i < 4; ++i) {
        round_card_count = counts[i];
        gosub(set_card_start_column);
        EXPECT_EQ(card_column, columns[i]);
    }
    // A code other than 1 to 3 draws nothing.
    card_index = 1.0f;
    card_column = 16.0f;
    player_cards(1) = 4.0f;
    gosub(draw_player_card);
    EXPECT_EQ(chars_at(19, 16, 7), std::string(7, ' '));
}

TEST_F(CardAndHerbDrawing, PointsLinesAndStreakMarks)
{
    player_points = 3.0f;
    vole_points = 2.0f;
    round_card_count = 5.0f;
    gosub(draw_points);
    EXPECT_EQ(chars_at(32, 23, 23), "Tarvo's Points: 3 / 5  ");
    EXPECT_EQ(chars_at(5, 23, 23), " Vole's Points: 2 / 5  ");
    EXPECT_EQ(attribute_at(32, 23) & 0x0F, 2);
    EXPECT_EQ(chars_at(34, 29, 9), std::string(9, ' ')); // no marks in variation 1
    EXPECT_EQ(fore_color(), 2u);

    // Variation 2 with two rounds in the streak: two squares, three dots.
    supermajority_mode = 1.0f;
    supermajority_streak = 2.0f;
    round_card_count = 9.0f;
    gosub(draw_points);
    EXPECT_EQ(chars_at(34, 29, 9), "\xFE \xFE \xFA \xFA \xFA");
    EXPECT_EQ(fore_color(), 2u);

    // Variation 3: the lines stay colour 2, and what follows blinks.
    hardest_mode = 1.0f;
    supermajority_streak = 5.0f;
    gosub(draw_points);
    EXPECT_EQ(chars_at(34, 29, 9), "\xFE \xFE \xFE \xFE \xFE");
    EXPECT_EQ(attribute_at(5, 23) & 0x8F, 2);
    EXPECT_EQ(fore_color(), 18u);
}

TEST_F(CardAndHerbDrawing, HerbPicturesLandWhereTheirCallersExpect)
{
    // Pennyroyal clears the screen itself; the cursor ends on row 11.
    fill('x');
    gosub(draw_herb_pennyroyal);
    for (int32_t k = 0; k < PICTURE_ROWS; ++k)
        EXPECT_EQ(chars_at(1 + k, 1, 28), std::string(herb_pennyroyal_rows[k]) + " ");
    EXPECT_EQ(row_at(20), std::string(66, ' '));
    EXPECT_EQ(cursor(), std::make_pair(11, 1));

    // The Vole, Cotton Root and Angelica print from the cursor.
    using routine_fn = void (*)(basic_procedure &);
    const std::pair<routine_fn, const char *const *> from_cursor[] = {
        {draw_vole_picture, vole_picture_rows},
        {draw_herb_cotton_root, herb_cotton_root_rows},
        {draw_herb_angelica, herb_angelica_rows}};
    for (auto [routine, rows] : from_cursor) {
        rt_locate(3, 1, 0, 0, 0, LOCATE_ROW | LOCATE_COLUMN);
        gosub(routine);
        for (int32_t k = 0; k < PICTURE_ROWS; ++k)
            EXPECT_EQ(chars_at(3 + k, 1, 27), rows[k]);
        EXPECT_EQ(cursor(), std::make_pair(13, 1));
    }

    // The Mugwort goes over the screen at rows 14 to 19, column 28.
    fill('x');
    gosub(draw_herb_mugwort);
    for (int32_t k = 0; k < MUGWORT_ROWS; ++k)
        EXPECT_EQ(chars_at(14 + k, 27, 11), "x" + std::string(herb_mugwort_rows[k]) + "x");
    EXPECT_EQ(chars_at(13, 28, 9), std::string(9, 'x'));
    EXPECT_EQ(chars_at(20, 28, 9), std::string(9, 'x'));
}

} // namespace
