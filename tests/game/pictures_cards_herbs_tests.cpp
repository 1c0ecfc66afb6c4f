#include "game/pictures_cards_herbs.h"

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

} // namespace
