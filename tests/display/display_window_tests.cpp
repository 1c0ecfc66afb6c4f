// The display callback's window policy: following the frame's size, serving
// full-screen requests, the reshape wait and its time-out, Alt+Enter.
#include "display/display_callback.h"
#include "display/frame_builder.h"
#include "display/keyboard.h"

#include <gtest/gtest.h>

#include <array>

namespace
{

constexpr window_size game_frame{528, 296};

class DisplayWindow : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        display_state_reset(0);
        display_window.picture_drawn = true;
        frame_force_rebuild = 0;
        alt_enter_requests = 0;
    }
    void TearDown() override
    {
        display_state_reset(0);
        alt_enter_requests = 0;
    }

    // The window reports the size: as after the toolkit's reshape callback.
    void reshaped(int32_t w, int32_t h) { display_reshape_note(w, h); }
};

bool asks_size(const window_actions &a, int32_t w, int32_t h)
{
    return a.reshape && a.size.width == w && a.size.height == h;
}

} // namespace

TEST_F(DisplayWindow, FullScreenModesAskForTheirRequests)
{
    full_screen_set(3, 1);
    EXPECT_EQ(full_screen_request.load(), 2);
    EXPECT_EQ(full_screen_smooth.load(), 1);
    EXPECT_EQ(frame_force_rebuild.load(), 1u);
    full_screen_set(0, 0);
    EXPECT_EQ(full_screen_request.load(), 1);
    EXPECT_EQ(full_screen_smooth.load(), 0);
    EXPECT_EQ(full_screen_get(), 1);

    // Leaving while windowed asks for nothing: the state is already 0.
    full_screen_request = -1;
    full_screen_set(1, 0);
    EXPECT_EQ(full_screen_get(), 0);
    reshaped(640, 400);
    const window_actions a = display_window_follow({640, 400}, 0);
    EXPECT_FALSE(a.full_screen || a.reshape);
    EXPECT_EQ(full_screen_request.load(), -1);

    frame_force_rebuild = 0;
    full_screen_set(4, 1);
    full_screen_set(-1, 1);
    EXPECT_EQ(full_screen_request.load(), -1);
    EXPECT_EQ(frame_force_rebuild.load(), 0u);
}

TEST_F(DisplayWindow, AltEnterAndTheProgramFollowOneRuleTheLastRequestWins)
{
    // From a window: Alt+Enter (stretched), then the program leaves: windowed.
    reshaped(game_frame.width, game_frame.height);
    alt_enter_requests = 1;
    display_alt_enter_serve();
    full_screen_set(1, 0);
    EXPECT_EQ(full_screen_get(), 0);
    EXPECT_FALSE(display_window_follow(game_frame, 0).full_screen);
    EXPECT_EQ(full_screen_state.load(), 0);

    // From full screen: the program leaves, then Alt+Enter goes on from the
    // pending request to stretched: full screen stays.
    full_screen_state = 1;
    reshaped(1024, 768);
    full_screen_set(1, 0);
    alt_enter_requests = 1;
    display_alt_enter_serve();
    EXPECT_EQ(full_screen_get(), 1);
    EXPECT_FALSE(display_window_follow(game_frame, 0).reshape);
    EXPECT_EQ(full_screen_state.load(), 1);
}

TEST_F(DisplayWindow, RequestWaitsForTheFirstReshapeAndPictureThenEntersFullScreen)
{
    display_window.picture_drawn = false;
    full_screen_set(0, 0);
    window_actions a = display_window_follow({640, 400}, 10);
    EXPECT_FALSE(a.full_screen);
    EXPECT_EQ(full_screen_state.load(), 0);

    reshaped(640, 400);
    EXPECT_FALSE(display_window_follow({640, 400}, 20).full_screen);
    display_drawn_note(1, 0, 0, 0, true);
    a = display_window_follow({640, 400}, 30);
    EXPECT_TRUE(a.full_screen);
    EXPECT_FALSE(a.reshape);
    EXPECT_EQ(full_screen_state.load(), 1);
    EXPECT_EQ(full_screen_request.load(), -1);
}

TEST_F(DisplayWindow, AWindowThatNeverReportsStopsHoldingRequestsAfterTheTimeOut)
{
    full_screen_set(3, 0);
    EXPECT_FALSE(display_window_follow({640, 400}, RESHAPE_TIMEOUT_MS - 1).full_screen);
    EXPECT_TRUE(display_window_follow({640, 400}, RESHAPE_TIMEOUT_MS).full_screen);
    EXPECT_EQ(full_screen_state.load(), 2);
}

TEST_F(DisplayWindow, LeavingFullScreenReshapesToTheFrameAndHoldsTheNextRequest)
{
    reshaped(640, 400);
    full_screen_set(0, 0);
    display_window_follow(game_frame, 0);
    reshaped(1024, 768);

    full_screen_set(1, 0);
    window_actions a = display_window_follow(game_frame, 100);
    EXPECT_TRUE(asks_size(a, 528, 296));
    EXPECT_TRUE(a.redisplay);
    EXPECT_EQ(full_screen_state.load(), 0);

    // The window manager refuses the size: the next request waits for the
    // time-out, not for ever.
    full_screen_set(3, 0);
    EXPECT_FALSE(display_window_follow(game_frame, 200).full_screen);
    EXPECT_TRUE(display_window_follow(game_frame, 100 + RESHAPE_TIMEOUT_MS).full_screen);
}

// The window manager ends full screen (its own key): windowed at once for the
// program, a redraw is due, and the window is asked for the frame's size
// once, even after the asks for that size ran out before full screen.
TEST_F(DisplayWindow, FullScreenEndedByTheWindowManagerIsLeftAsIfAsked)
{
    reshaped(1024, 768);
    display_window.wanted = game_frame;
    display_window.wanted_asks = WINDOW_SIZE_ASKS;
    full_screen_state = 1;
    display_window.force_redraw = false;
    display_full_screen_left();
    EXPECT_EQ(full_screen_get(), 0);
    EXPECT_TRUE(display_redraw_due());
    EXPECT_TRUE(asks_size(display_window_follow(game_frame, 0), 528, 296));
    EXPECT_FALSE(display_window_follow(game_frame, 10).reshape);
}

TEST_F(DisplayWindow, AReshapeToTheSizeTheWindowHasDoesNotHoldRequests)
{
    // A frame as large as the screen: leaving full screen asks for the size
    // the window already has, and no report would come.
    reshaped(1024, 768);
    full_screen_state = 1;
    full_screen_set(1, 0);
    EXPECT_TRUE(asks_size(display_window_follow({1024, 768}, 0), 1024, 768));
    full_screen_set(3, 0);
    EXPECT_TRUE(display_window_follow({1024, 768}, 1).full_screen);
}

TEST_F(DisplayWindow, WindowedFrameKeepsItsSizeUnlessTheUserMayResize)
{
    reshaped(640, 400);
    EXPECT_FALSE(display_window_follow({640, 400}, 0).reshape);

    // Dragged larger while resizing is denied: back to the frame's size.
    reshaped(800, 500);
    EXPECT_TRUE(asks_size(display_window_follow({640, 400}, 0), 640, 400));

    // Allowed: the window keeps the user's size until the frame changes.
    resize_denied = 0;
    reshaped(800, 500);
    EXPECT_FALSE(display_window_follow({640, 400}, 0).reshape);
    EXPECT_TRUE(asks_size(display_window_follow(game_frame, 0), 528, 296));
}

TEST_F(DisplayWindow, StretchedWindowReturnsToTheFramesShape)
{
    stretch_mode = 1;
    resize_denied = 0;
    reshaped(640, 400);
    EXPECT_FALSE(display_window_follow({640, 400}, 0).reshape);
    reshaped(1000, 400);
    EXPECT_TRUE(asks_size(display_window_follow({640, 400}, 0), 1000, 625));
    reshaped(1000, 625);
    EXPECT_FALSE(display_window_follow({640, 400}, 0).reshape);
}

TEST_F(DisplayWindow, ReshapeReportsAreKeptForTheProgram)
{
    reshaped(700, 450);
    EXPECT_EQ(resize_pending.load(), -1);
    EXPECT_EQ(resize_width.load(), 700);
    EXPECT_EQ(resize_height.load(), 450);
    EXPECT_EQ(display_window.previous.width, 640);
    EXPECT_TRUE(display_window.force_redraw);
    EXPECT_FALSE(display_window.reshape_in_progress);
}

TEST_F(DisplayWindow, AltEnterStepsThroughTheFullScreenModes)
{
    reshaped(640, 400);
    struct step {
        int32_t state;
        int32_t smooth;
    };
    const step steps[] = {{1, 0}, {1, 1}, {2, 0}, {2, 1}, {0, 1}};
    for (const step &s : steps) {
        alt_enter_requests = 1;
        frame_force_rebuild = 0;
        display_alt_enter_serve();
        EXPECT_EQ(frame_force_rebuild.load(), 1u);
        display_window_follow(game_frame, 0);
        // Leaving full screen reshapes the window; the report ends the wait.
        reshaped(game_frame.width, game_frame.height);
        EXPECT_EQ(full_screen_state.load(), s.state);
        EXPECT_EQ(full_screen_smooth.load(), s.smooth);
    }
    display_alt_enter_serve();
    EXPECT_EQ(full_screen_request.load(), -1);
}

TEST_F(DisplayWindow, ViewportFollowsTheFullScreenState)
{
    reshaped(1920, 1080);
    full_screen_state = 2;
    full_screen_smooth = 1;
    render_viewport v = display_viewport_of({640, 400});
    EXPECT_EQ(v.x1, 96);
    EXPECT_EQ(v.bar_side, 1);
    EXPECT_EQ(v.smooth, 1);
    full_screen_state = 1;
    v = display_viewport_of({640, 400});
    EXPECT_EQ(v.x1, 0);
    EXPECT_EQ(v.x2, 1919);
    EXPECT_EQ(v.bar_side, 0);
}

// Asks for a size over `ms` of display passes every 16 ms from `from_ms`,
// the window never taking it (a tiling window manager): how many asks.
int32_t asks_while_refused(window_size frame, int64_t from_ms, int64_t ms)
{
    int32_t asks = 0;
    for (int64_t t = from_ms; t < from_ms + ms; t += 16) {
        const window_actions a = display_window_follow(frame, t);
        asks += a.reshape ? 1 : 0;
        EXPECT_EQ(a.redisplay, a.reshape);
    }
    return asks;
}

TEST_F(DisplayWindow, AWindowManagerThatKeepsItsOwnSizeIsAskedAFewTimesThenLeftAlone)
{
    reshaped(1020, 748);
    EXPECT_EQ(asks_while_refused(game_frame, 0, 10000), WINDOW_SIZE_ASKS);

    // The program wants another size: asked at once, and again a few times.
    EXPECT_EQ(asks_while_refused({640, 400}, 10000, 10000), WINDOW_SIZE_ASKS);

    // Leaving full screen is a new wish too; the window manager's new size
    // (the tile) ends the wait at once.
    full_screen_state = 1;
    full_screen_set(1, 0);
    EXPECT_TRUE(asks_size(display_window_follow({640, 400}, 20000), 640, 400));
    reshaped(1020, 748);
    EXPECT_EQ(asks_while_refused({640, 400}, 20016, 10000), WINDOW_SIZE_ASKS - 1);

    // A stretched window held off the frame's shape is not asked for ever.
    stretch_mode = 1;
    EXPECT_EQ(asks_while_refused({640, 400}, 30000, 10000), WINDOW_SIZE_ASKS);
}

TEST_F(DisplayWindow, AWindowManagerThatGivesTheSizeIsAskedAgainAfterEveryChange)
{
    reshaped(528, 296);
    for (int32_t maximised = 0; maximised < 2 * WINDOW_SIZE_ASKS; ++maximised) {
        reshaped(1024, 768);
        EXPECT_TRUE(asks_size(display_window_follow(game_frame, maximised), 528, 296));
        reshaped(528, 296);
        EXPECT_FALSE(display_window_follow(game_frame, maximised).reshape);
    }
}

// A window held to the 528 x 296 frame that has another size all the same
// shows the whole frame, its shape kept, centred between bars; at the
// frame's size it is drawn 1:1.
TEST_F(DisplayWindow, AWindowKeptOffTheFramesSizeShowsTheWholeFrame)
{
    // window width and height; x1, y1, x2, y2, bar side
    const std::array<int32_t, 7> cases[] = {
        {528, 296, 0, 0, 527, 295, 0},    // the frame's size: 1:1
        {508, 748, 0, 232, 507, 515, 2},  // narrower and taller
        {1020, 748, 0, 89, 1019, 659, 2}, // larger and taller
        {1018, 360, 188, 0, 829, 359, 1}, // larger and wider
        {400, 120, 93, 0, 306, 119, 1},   // smaller and wider
    };
    for (const auto &c : cases) {
        reshaped(c[0], c[1]);
        const render_viewport v = display_viewport_of(game_frame);
        EXPECT_EQ((std::array<int32_t, 7>{c[0], c[1], v.x1, v.y1, v.x2, v.y2, v.bar_side}), c);
        EXPECT_EQ(v.smooth, 0);
    }
    // A window the user may resize shows the frame unscaled, as the program
    // asked.
    resize_denied = 0;
    reshaped(1020, 748);
    EXPECT_EQ(display_viewport_of(game_frame).x2, 527);
}
