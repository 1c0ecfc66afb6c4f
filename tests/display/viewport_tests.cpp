#include "display/viewport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace
{

constexpr viewport_fit none{viewport_scaling::none, false};
constexpr viewport_fit stretch{viewport_scaling::stretch, false};
constexpr viewport_fit aspect{viewport_scaling::aspect, false};
constexpr viewport_fit aspect_smooth{viewport_scaling::aspect, true};

struct viewport_case {
    const char *what;
    int32_t frame_w, frame_h, window_w, window_h;
    viewport_fit fit;
    int32_t x1, y1, x2, y2, bar_side, smooth;
    float scale_x, scale_y;
};

} // namespace

TEST(Viewport, FitsTheFrameAsTheSettingsAsk)
{
    const viewport_case cases[] = {
        {"same size: 1:1, never smoothed", 640, 400, 640, 400, aspect_smooth, 0, 0, 639, 399, 0, 0,
         1.0f, 1.0f},
        {"no scaling: top left, unscaled", 528, 296, 640, 400, none, 0, 0, 527, 295, 0, 0, 1.0f,
         1.0f},
        {"aspect in a wider screen: bars left and right", 640, 400, 1920, 1080, aspect, 96, 0, 1823,
         1079, 1, 0, 2.7f, 2.7f},
        {"aspect in a taller screen: bars above and below", 528, 296, 1024, 768, aspect, 0, 97,
         1023, 670, 2, 0, 1024.0f / 528, 574.0f / 296},
        {"aspect with the same shape: the whole window", 640, 400, 1280, 800, aspect, 0, 0, 1279,
         799, 0, 0, 2.0f, 2.0f},
        {"stretched: the whole window", 640, 400, 1024, 768, stretch, 0, 0, 1023, 767, 0, 0, 1.6f,
         1.92f},
        {"scaled and smoothed", 640, 400, 1920, 1080, aspect_smooth, 96, 0, 1823, 1079, 1, 1, 2.7f,
         2.7f},
        {"a window smaller than the frame", 640, 400, 320, 400, aspect, 0, 100, 319, 299, 2, 0,
         0.5f, 0.5f},
    };
    for (const viewport_case &c : cases) {
        SCOPED_TRACE(c.what);
        const render_viewport v =
            viewport_compute(c.frame_w, c.frame_h, c.window_w, c.window_h, c.fit);
        EXPECT_EQ(v.x1, c.x1);
        EXPECT_EQ(v.y1, c.y1);
        EXPECT_EQ(v.x2, c.x2);
        EXPECT_EQ(v.y2, c.y2);
        EXPECT_EQ(v.display_width, c.x2 - c.x1 + 1);
        EXPECT_EQ(v.display_height, c.y2 - c.y1 + 1);
        EXPECT_EQ(v.bar_side, c.bar_side);
        EXPECT_EQ(v.smooth, c.smooth);
        EXPECT_FLOAT_EQ(v.scale_x, c.scale_x);
        EXPECT_FLOAT_EQ(v.scale_y, c.scale_y);
        EXPECT_EQ(v.window_width, c.window_w);
        EXPECT_EQ(v.frame_height, c.frame_h);
    }
}

TEST(Viewport, ZeroSizesCountAsOnePixel)
{
    const render_viewport v = viewport_compute(640, 400, 0, 0, aspect);
    EXPECT_EQ(v.window_width, 1);
    EXPECT_EQ(v.window_height, 1);
    EXPECT_TRUE(std::isfinite(v.scale_x));
    EXPECT_TRUE(std::isfinite(v.scale_y));
}

TEST(Viewport, FullScreenWinsOverTheWindowsStretchMode)
{
    struct fit_case {
        int32_t state;
        bool smooth;
        int32_t stretch_mode;
        bool off_frame;
        viewport_scaling scaling;
        bool expect_smooth;
    };
    const fit_case cases[] = {
        {0, true, 0, false, viewport_scaling::none, false},
        {0, false, 1, false, viewport_scaling::stretch, false},
        {0, false, 2, false, viewport_scaling::stretch, true},
        {1, false, 2, false, viewport_scaling::stretch, false},
        {1, true, 0, false, viewport_scaling::stretch, true},
        {2, false, 1, false, viewport_scaling::aspect, false},
        {2, true, 0, false, viewport_scaling::aspect, true},
        // A window kept off the frame's size shows it whole, unless scaled
        // otherwise already.
        {0, true, 0, true, viewport_scaling::aspect, false},
        {0, false, 2, true, viewport_scaling::stretch, true},
        {1, false, 0, true, viewport_scaling::stretch, false},
    };
    for (const fit_case &c : cases) {
        SCOPED_TRACE(testing::Message() << "state " << c.state << " stretch " << c.stretch_mode
                                        << " off " << c.off_frame);
        const viewport_fit fit = viewport_fit_of(c.state, c.smooth, c.stretch_mode, c.off_frame);
        EXPECT_EQ(fit.scaling, c.scaling);
        EXPECT_EQ(fit.smooth, c.expect_smooth);
    }
}

// The game's frame fitted with its shape kept into screens and tiles: the
// display rectangle starts where the table says, and the bars and the
// rectangle tile the window, every pixel covered exactly once.
TEST(Viewport, BarsAndTheDisplayRectangleTileTheWindow)
{
    struct tile_case {
        int32_t width, height;
        int32_t first; // the rectangle's first column (bars left and right) or row
    };
    const tile_case cases[] = {
        {1600, 900, 2},  {1440, 900, 47},  {1280, 1024, 154}, {2560, 1080, 317},
        {800, 600, 76},  {1280, 720, 2},   {1366, 768, 2},    {1920, 1080, 2},
        {508, 748, 232}, {1020, 300, 243}, {640, 400, 21},
    };
    for (const tile_case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        const render_viewport v = viewport_compute(528, 296, c.width, c.height, aspect);
        EXPECT_EQ(v.bar_side == 1 ? v.x1 : v.y1, c.first);
        pixel_rect parts[3] = {{v.x1, v.y1, v.x2, v.y2}};
        const int32_t count = 1 + viewport_bars(v, parts + 1);
        std::vector<uint8_t> covered(size_t(c.width) * size_t(c.height), 0);
        for (int32_t i = 0; i < count; ++i) {
            const pixel_rect &r = parts[i];
            ASSERT_TRUE(r.x1 >= 0 && r.y1 >= 0 && r.x2 < c.width && r.y2 < c.height);
            for (int32_t y = r.y1; y <= r.y2; ++y)
                for (int32_t x = r.x1; x <= r.x2; ++x)
                    ++covered[size_t(y) * size_t(c.width) + size_t(x)];
        }
        EXPECT_EQ(std::count(covered.begin(), covered.end(), 1), std::ssize(covered));
    }
    pixel_rect bars[2];
    EXPECT_EQ(viewport_bars(viewport_compute(640, 400, 1024, 768, stretch), bars), 0);
}

TEST(Viewport, StretchedWindowKeepsTheSideTheUserChanged)
{
    const float fa = 1.6f;
    struct stretch_case {
        const char *what;
        window_size now, before, expected;
    };
    const stretch_case cases[] = {
        {"width dragged: height follows", {1000, 400}, {640, 400}, {1000, 625}},
        {"height dragged: width follows", {640, 500}, {640, 400}, {800, 500}},
        {"both, width more", {900, 450}, {640, 400}, {900, 562}},
        {"both, height more", {700, 600}, {640, 400}, {960, 600}},
        {"both by as much: the height wins", {700, 460}, {640, 400}, {736, 460}},
        {"neither: the width is kept", {700, 500}, {700, 500}, {700, 437}},
    };
    for (const stretch_case &c : cases) {
        SCOPED_TRACE(c.what);
        const window_size got = stretch_window_corrected(c.now, c.before, fa);
        EXPECT_EQ(got.width, c.expected.width);
        EXPECT_EQ(got.height, c.expected.height);
    }
}

TEST(Viewport, StretchedWindowOffShapeOnlyWhenItMatchesNeitherAspect)
{
    EXPECT_TRUE(stretch_window_off_shape({1000, 400}, 1.6f, 1.6f));
    EXPECT_FALSE(stretch_window_off_shape({800, 500}, 2.0f, 1.6f));
    EXPECT_FALSE(stretch_window_off_shape({1000, 500}, 2.0f, 1.6f));
}

TEST(Viewport, RedisplayTimerLeavesRoomForItsOwnSleep)
{
    EXPECT_EQ(redisplay_timer_interval_ms(60.0), 12u);
    EXPECT_EQ(redisplay_timer_interval_ms(1.0), 996u);
    EXPECT_EQ(redisplay_timer_interval_ms(200.0), 1u);
    EXPECT_EQ(redisplay_timer_interval_ms(std::numeric_limits<double>::quiet_NaN()), 1u);
}

TEST(Viewport, FullScreenTakesTheMonitorTheWindowBelongsTo)
{
    // Two monitors side by side, the right one lower and smaller.
    const screen_rect monitors[] = {{0, 0, 1920, 1080}, {1920, 200, 1280, 1024}};
    const screen_rect screen{0, 0, 3200, 1224};
    struct row {
        screen_rect window;
        int32_t count;
        int32_t expected_x;
    };
    const row rows[] = {
        {{200, 100, 640, 400}, 2, 0},     // inside the left one
        {{1700, 300, 640, 400}, 2, 1920}, // more on the right one
        {{1500, 300, 640, 400}, 2, 0},    // more on the left one
        {{2000, 150, 640, 40}, 2, 1920},  // above the right one, nearest to it
        {{-900, -500, 640, 400}, 2, 0},   // off the screen at the top left
        {{200, 100, 640, 400}, 0, 0},     // no monitors: the screen
    };
    for (const row &r : rows) {
        const screen_rect got = monitor_nearest(r.window, monitors, r.count, screen);
        EXPECT_EQ(got.x, r.expected_x) << r.window.x << "," << r.window.y;
        EXPECT_EQ(got.width, r.count == 0 ? 3200 : r.expected_x == 0 ? 1920 : 1280);
    }
}

TEST(Viewport, AFrameComesBackWhollyOnItsMonitor)
{
    // A 532 x 319 frame and the right one of two monitors.
    const screen_rect monitor{1920, 200, 1280, 1024};
    struct row {
        screen_rect frame;
        int32_t x, y;
    };
    const row rows[] = {
        {{2000, 300, 532, 319}, 2000, 300},   // inside: stays
        {{1918, 179, 532, 319}, 1920, 200},   // title bar above the top left
        {{2900, 1000, 532, 319}, 2668, 905},  // past the bottom right
        {{1800, 300, 1400, 319}, 1920, 300},  // wider than the monitor
        {{-5000, 9000, 532, 319}, 1920, 905}, // far away
    };
    for (const row &r : rows) {
        const screen_rect got = rect_moved_into(r.frame, monitor);
        EXPECT_EQ(got.x, r.x) << r.frame.x << "," << r.frame.y;
        EXPECT_EQ(got.y, r.y) << r.frame.x << "," << r.frame.y;
        EXPECT_EQ(got.width, r.frame.width);
        EXPECT_EQ(got.height, r.frame.height);
    }
}

TEST(Viewport, AfterTheScreenChangedAFrameOffItComesBack)
{
    // A 528 x 296 frame on a screen shrunk to 1024 x 768, and on one of two
    // monitors of different heights (a part of the screen shows on neither).
    const screen_rect one{0, 0, 1024, 768};
    const screen_rect two[] = {{0, 176, 1280, 1024}, {1280, 0, 1920, 1200}};
    const screen_rect wide{0, 0, 3200, 1200};
    struct row {
        screen_rect frame;
        bool two_monitors;
        int32_t x, y;
    };
    const row rows[] = {
        {{100, 100, 528, 296}, false, 100, 100},   // on the screen: stays
        {{1300, 1000, 528, 296}, false, 496, 472}, // wholly off
        {{700, 600, 528, 296}, false, 496, 472},   // partly off
        {{1100, 900, 528, 296}, true, 1100, 900},  // across both: stays
        {{100, 0, 528, 150}, true, 100, 176},      // on neither monitor
        {{3000, 1100, 528, 296}, true, 2672, 904}, // off the screen's corner
    };
    for (const row &r : rows) {
        const screen_rect got = r.two_monitors ? rect_back_on_screen(r.frame, two, 2, wide)
                                               : rect_back_on_screen(r.frame, nullptr, 0, one);
        EXPECT_EQ(got.x, r.x) << r.frame.x << "," << r.frame.y;
        EXPECT_EQ(got.y, r.y) << r.frame.x << "," << r.frame.y;
    }
}

TEST(Viewport, TheFrameCountsItsBorderOnce)
{
    // A 528 x 296 client area at (201, 121) under frames as window managers
    // draw them: the top extent holds the border and the title bar.
    struct row {
        frame_extents extents;
        int32_t border, header;
        screen_rect outer;
    };
    const row rows[] = {
        {{0, 0, 0, 0}, 0, 0, {201, 121, 528, 296}},   // no window manager
        {{1, 1, 21, 1}, 1, 20, {200, 100, 530, 318}}, // one-pixel border
        {{5, 5, 26, 5}, 5, 21, {196, 95, 538, 327}},  // wide border
        {{0, 0, 24, 0}, 0, 24, {201, 97, 528, 320}},  // no side border
        {{2, 3, 21, 4}, 2, 19, {199, 100, 533, 321}}, // every side its own
    };
    for (const row &r : rows) {
        const window_frame f = window_frame_of({201, 121, 528, 296}, r.extents);
        SCOPED_TRACE(testing::Message() << r.extents.left << "," << r.extents.top);
        EXPECT_EQ(f.border_width, r.border);
        EXPECT_EQ(f.header_height, r.header);
        EXPECT_EQ(f.outer.x, r.outer.x);
        EXPECT_EQ(f.outer.y, r.outer.y);
        EXPECT_EQ(f.outer.width, r.outer.width);
        EXPECT_EQ(f.outer.height, r.outer.height);
    }
}
