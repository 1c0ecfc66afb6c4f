#include "game/shared_routines.h"

#include "core/gosub_stack.h"
#include "display/keyboard.h"
#include "game/game_basic.h"
#include "game/game_test_support.h"
#include "screen/screen_modes.h"

namespace
{

class shared_routines_test : public game_test
{
  protected:
    void SetUp() override
    {
        game_test::SetUp();
        screen_setup();
        scene_clock_install();
    }

    // Runs a routine through GOSUB; false when the routine was stopped.
    template <typename Routine> bool gosub(Routine routine)
    {
        gosub_stack_init();
        basic_procedure p;
        try {
            game_gosub(p, 1, RP_SPLASH_WIPE, [&] { routine(p); });
        } catch (const script_stopped &) {
            return false;
        }
        return true;
    }
};

int64_t stop_at_ms;

// Stops the running routine once the fake clock reaches stop_at_ms.
void stop_at_time(uint32_t)
{
    if (game_test::scene_clock_now() >= stop_at_ms)
        throw script_stopped{};
}

TEST_F(shared_routines_test, the_wipe_blanks_rows_1_to_33_from_the_bottom_and_drops_the_keys)
{
    rt_color(2, 1, 0, 3);
    for (int32_t row = 1; row <= 37; ++row) {
        basic_locate(row, 1);
        rt_print(text(std::string(66, '#').c_str()), PRINT_STAY);
    }
    keyboard_key_down_event('x');
    int64_t start = scene_clock_now();
    ASSERT_TRUE(gosub(screen_wipe));
    EXPECT_EQ(gosub_count, 0u);
    for (int32_t row = 1; row <= 33; ++row) {
        EXPECT_EQ(chars_at(row, 1, 64), std::string(64, ' ')) << row;
        EXPECT_EQ(attribute_at(row, 1), 0x12) << row;
        EXPECT_EQ(chars_at(row, 65, 2), "##") << row;
    }
    for (int32_t row = 34; row <= 37; ++row)
        EXPECT_EQ(chars_at(row, 1, 1), "#") << row;
    EXPECT_EQ(cursor_row(), 2);
    EXPECT_EQ(cursor_col(), 1);
    EXPECT_EQ(key_hit_next(), 0);
    EXPECT_NEAR(double(scene_clock_now() - start), 33 * 25, 33);
}

TEST_F(shared_routines_test, a_key_pressed_during_the_wipe_is_dropped_at_its_end)
{
    key_script_set({'x', -'x'});
    ASSERT_TRUE(gosub(screen_wipe));
    EXPECT_EQ(key_script_left(), 0u);
    EXPECT_EQ(key_hit_next(), 0);
}

TEST_F(shared_routines_test, the_splash_draws_the_logo_blinks_it_and_wipes_it_away)
{
    int64_t start = scene_clock_now();
    // In the half second after the logo's first half second the gap in its
    // row 4 is open.
    stop_at_ms = start + 1750;
    scene_clock_on_sleep(stop_at_time);
    ASSERT_FALSE(gosub(show_splash));
    EXPECT_EQ(chars_at(11, 29, 8), "\xDB      \xDB");

    // After the caption: the gap is closed, the top row is colour 15, the
    // other rows colour 9 and the caption colour 15.
    screen_setup();
    stop_at_ms = scene_clock_now() + 2500;
    ASSERT_FALSE(gosub(show_splash));
    EXPECT_EQ(chars_at(7, 25, 16), splash_logo_rows[0]);
    EXPECT_EQ(attribute_at(7, 30) & 15, 15);
    for (int32_t row = 1; row < SPLASH_LOGO_ROWS; ++row) {
        EXPECT_EQ(chars_at(7 + row, 25, 16), splash_logo_rows[row]) << row;
        EXPECT_EQ(attribute_at(7 + row, 33) & 15, 9) << row;
    }
    EXPECT_EQ(chars_at(27, 25, 16), splash_caption);
    EXPECT_EQ(attribute_at(27, 25) & 15, 15);

    // To the end: the wipe leaves nothing of it.
    screen_setup();
    scene_clock_on_sleep(nullptr);
    start = scene_clock_now();
    ASSERT_TRUE(gosub(show_splash));
    EXPECT_EQ(chars_at(7, 25, 16), std::string(16, ' '));
    EXPECT_EQ(chars_at(27, 25, 16), std::string(16, ' '));
    EXPECT_EQ(gosub_count, 0u);
    EXPECT_NEAR(double(scene_clock_now() - start), 3000 + 33 * 25, 50);
}

} // namespace
