#include "screen_support.h"

#include "core/strings.h"
#include "screen/data/screen_data.h"
#include "screen/fonts.h"
#include "screen/images.h"
#include "screen/screen_modes.h"
#include "support/test_support.h"

#include <cstring>
#include <filesystem>
#include <string>

namespace {

// A string descriptor over a literal, as the compiled program passes one.
struct text_arg {
    std::string bytes;
    string_descriptor d{};
    explicit text_arg(const char *s) : bytes(s)
    {
        d.chr = reinterpret_cast<uint8_t *>(bytes.data());
        d.len = int32_t(bytes.size());
    }
};

class fonts : public screen_test {};

TEST(glyph_data, raw_tables_are_the_vga_sets)
{
    EXPECT_EQ(sha256_hex(stored_glyphs_8x8, STORED_GLYPHS_8X8_SIZE),
              "75c79a7e7fa423dda67ec6d6d76cec86b63f85677726368750c75b0920ddf319");
    EXPECT_EQ(sha256_hex(stored_glyphs_8x16, STORED_GLYPHS_8X16_SIZE),
              "c7dd5990fa5401649cf69e9bbb4c8a51f86865939b9318281a27de7f314eda3a");
}

TEST(glyph_data, digest_of_known_texts)
{
    EXPECT_EQ(sha256_hex(nullptr, 0),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    const char *abc = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(sha256_hex(reinterpret_cast<const uint8_t *>(abc), std::strlen(abc)),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST_F(fonts, working_glyphs_expand_one_byte_a_pixel_leftmost_bit_first)
{
    // Row by row, bit 7 is the leftmost pixel: compare every pixel of both sets.
    for (size_t i = 0; i < STORED_GLYPHS_8X8_SIZE * 8; i++)
        ASSERT_EQ(glyphs_8x8[i] != 0, (stored_glyphs_8x8[i / 8] >> (7 - i % 8) & 1) != 0) << i;
    for (size_t i = 0; i < STORED_GLYPHS_8X16_SIZE * 8; i++)
        ASSERT_EQ(glyphs_8x16[i] != 0, (stored_glyphs_8x16[i / 8] >> (7 - i % 8) & 1) != 0) << i;
    // A full block (219) is solid, a space is empty, values are 0 or 0xFF.
    for (int i = 0; i < 64; i++) {
        EXPECT_EQ(glyphs_8x8[219 * 64 + i], 0xFF);
        EXPECT_EQ(glyphs_8x8[32 * 64 + i], 0);
    }
    // Font 14 starts at the second row of the 8x16 glyph.
    EXPECT_EQ(font_glyph(14, 'A'), font_glyph(16, 'A') + 8);
    EXPECT_EQ(font_glyph(9, 'A'), nullptr);
}

TEST_F(fonts, builtin_metrics)
{
    struct { uint32_t font, width, height; } expected[] = {
        {8, 8, 8}, {14, 8, 14}, {16, 8, 16}, {9, 16, 8}, {15, 16, 14}, {17, 16, 16}};
    for (auto e : expected) {
        EXPECT_EQ(font_width_of(e.font), e.width) << e.font;
        EXPECT_EQ(font_height_of(e.font), e.height) << e.font;
        EXPECT_EQ(font_table.flags[e.font], FONT_MONOSPACE) << e.font;
    }
    EXPECT_EQ(font_table.top, 48u);
    EXPECT_EQ(font_height_of(10), 0u);
}

TEST_F(fonts, font_set_on_text_screen_changes_every_page_and_keeps_the_cursor)
{
    image_slot *p0 = page_record(0);
    p0->cursor_col = 7;
    p0->cursor_row = 3;
    frame_previous_valid = 1;
    EXPECT_EQ(error_of([&] { image_font_set(8, 0, false); }), 0u);
    for (uint32_t p = 0; p < 8; p++)
        EXPECT_EQ(page_record(p)->font, 8u) << p;
    EXPECT_EQ(p0->cursor_col, 7);
    EXPECT_EQ(p0->cursor_row, 3);
    EXPECT_EQ(frame_previous_valid.load(), 0u);
}

TEST_F(fonts, font_numbers_that_name_no_font)
{
    EXPECT_EQ(error_of([&] { image_font_set(10, 0, false); }), 258u);
    EXPECT_EQ(error_of([&] { image_font_set(9, 0, false); }), 0u);
    EXPECT_EQ(page_record(0)->font, 9u);
    EXPECT_EQ(font_width(9, true), 0);
    EXPECT_EQ(error_pending_take(), 258u);
    EXPECT_EQ(font_height(14, true), 14);
    EXPECT_EQ(font_width(0, false), 16); // the write page's font 9
    EXPECT_EQ(error_of([&] { font_free(8); }), 258u);
}

TEST_F(fonts, font_set_on_a_graphics_image_moves_its_cursor_home)
{
    int32_t h = image_new(320, 200, 13, true);
    image_slot *r = image_slot_get(uint32_t(-h));
    r->cursor_row = 5;
    image_font_set(16, h, true);
    EXPECT_EQ(r->font, 16u);
    EXPECT_EQ(r->cursor_row, 1);
    EXPECT_EQ(r->view_print_bottom, 200 / 16 - 1);
    EXPECT_EQ(image_font_get(h, true), 16);
}

TEST_F(fonts, loading_never_makes_a_font)
{
    const std::string dir = test_temp_dir("fonttest");
    const std::string path = dir + "/not_a_font";
    file_write_all(path, "not a font");
    text_arg name(path.c_str()), missing("/nonexistent/font.ttf"), empty("");
    text_arg good(" bold , Italic,MONOSPACE "), twice("BOLD,bold"), unknown("HEAVY");

    EXPECT_EQ(font_load(&name.d, 16, &good.d), -1);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(font_load(&missing.d, 16, nullptr), -1);
    EXPECT_EQ(font_load(&empty.d, 16, nullptr), -1);
    EXPECT_EQ(font_load(&name.d, 2049, nullptr), -1);
    EXPECT_EQ(error_pending_take(), 0u);

    EXPECT_EQ(font_load(&name.d, 0, nullptr), 0);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(font_load(&name.d, 16, &twice.d), 0);
    EXPECT_EQ(error_pending_take(), 5u);
    EXPECT_EQ(font_load(&name.d, 16, &unknown.d), 0);
    EXPECT_EQ(error_pending_take(), 5u);
    std::filesystem::remove_all(dir);
}

} // namespace
