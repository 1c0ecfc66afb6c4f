#include "display_support.h"

#include "display/window_services.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "core/strings.h"
#include "display/display_callback.h"
#include "display/display_layers.h"
#include "display/window_requests.h"
#include "display/window_state.h"
#include "platform/clipboard.h"
#include "screen/screen_modes.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace
{

class WindowServices : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        unsetenv("DISPLAY");
        errors_reset();
        control_words_reset();
        strings_static_init();
        window_requests_reset();
        window_services_reset();
        display_state_reset(0);
        display_layer_order_reset();
        platform_clipboard_reset();
        window_exists = 0;
        window_hidden = 0;
        window_create_request = 0;
        auto_display = 1;
    }
    void TearDown() override
    {
        window_requests_reset();
        window_services_reset();
        display_layer_order_reset();
        platform_clipboard_reset();
        window_exists = 0;
        window_hidden = 0;
        window_create_request = 0;
        auto_display = 1;
        errors_reset();
        control_words_reset();
    }
};

std::string text_of(string_descriptor *s)
{
    std::string t(reinterpret_cast<const char *>(s->chr), size_t(s->len));
    if (s->tmp)
        string_free(s);
    return t;
}

std::vector<window_request> requests_taken()
{
    std::vector<window_request> all;
    window_request r;
    while (window_request_take(r))
        all.push_back(r);
    return all;
}

} // namespace

TEST_F(WindowServices, TitleIsTheTextUpToItsFirstZeroAndIsTakenOncePerChange)
{
    std::string title;
    EXPECT_EQ(window_title_current(), "Untitled");
    EXPECT_FALSE(window_title_take(title));

    window_title_set(string_from_buffer("TARVO\0 ZUDUZ", 12));
    EXPECT_TRUE(window_title_take(title));
    EXPECT_EQ(title, "TARVO");
    EXPECT_FALSE(window_title_take(title));

    error_raise(5);
    window_title_set(string_from_cstr("ignored"));
    EXPECT_EQ(window_title_current(), "TARVO");
}

TEST_F(WindowServices, ExitRequestTakeHandsExitToTheProgram)
{
    exit_request.fetch_or(1);
    EXPECT_EQ(exit_request_take(), 1);
    EXPECT_EQ(exit_handled.load(), 1u);
    EXPECT_EQ(exit_request_take(), 0);
    exit_request.fetch_or(2);
    EXPECT_EQ(exit_request_take(), 2);
}

TEST_F(WindowServices, WindowMoveChecksItsFormThenQueuesForTheMainThread)
{
    window_exists = 1;
    EXPECT_EQ(error_of([&] { window_move(10, 20, 3); }), 5u);
    EXPECT_EQ(error_of([&] { window_move(10, 20, 0); }), 5u);

    window_move(10, 20, 2);
    window_move(0, 0, 1);
    full_screen_state = 1;
    window_move(30, 40, 2);
    const std::vector<window_request> r = requests_taken();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].kind, window_request_kind::move);
    EXPECT_EQ(r[0].x, 10);
    EXPECT_EQ(r[0].y, 20);
    EXPECT_EQ(r[1].kind, window_request_kind::centre);
}

TEST_F(WindowServices, ShowAsksForTheWindowUntilItExistsHideMarksItHidden)
{
    window_hidden = 1;
    window_show();
    EXPECT_EQ(window_create_request.load(), 1u);
    EXPECT_EQ(window_hidden.load(), 0u);
    EXPECT_TRUE(requests_taken().empty());

    window_exists = 1;
    window_hide();
    window_show();
    const std::vector<window_request> r = requests_taken();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].kind, window_request_kind::hide);
    EXPECT_EQ(r[1].kind, window_request_kind::show);
}

TEST_F(WindowServices, WaitsForTheWindowEndWhenTheProcessEnds)
{
    exit_acknowledged = 1;
    EXPECT_EQ(window_desktop_x(), 0);
    window_move(1, 2, 2);
    EXPECT_TRUE(requests_taken().empty());
}

TEST_F(WindowServices, DisplayNowWithAHiddenWindowReturnsAtOnce)
{
    window_hidden = 1;
    display_now();
    EXPECT_EQ(auto_display.load(), 1);
}

TEST_F(WindowServices, ResizeReportsReachTheProgramOnlyWhileResizingIsAllowed)
{
    display_reshape_note(700, 450);
    EXPECT_EQ(resize_pending_query(), 0);
    resize_mode_set(1, 2);
    EXPECT_EQ(resize_denied.load(), 0);
    EXPECT_EQ(stretch_mode.load(), 2);
    EXPECT_EQ(resize_pending_query(), -1);
    EXPECT_EQ(resize_pending_query(), 0);
    EXPECT_EQ(resize_width_get(), 700);
    EXPECT_EQ(resize_height_get(), 450);
    resize_mode_set(2, 0);
    EXPECT_EQ(resize_denied.load(), 1);
    resize_mode_set(7, 1);
    EXPECT_EQ(resize_denied.load(), 1);
    EXPECT_EQ(stretch_mode.load(), 1);
}

TEST_F(WindowServices, ClipboardRoundTripsInsideTheProcessWithoutADisplay)
{
    clipboard_set(string_from_buffer("line 1\r\n\xE9\x01", 10));
    EXPECT_EQ(text_of(clipboard_get_str()), std::string("line 1\r\n\xE9\x01", 10));
    platform_clipboard_reset();
    EXPECT_EQ(text_of(clipboard_get_str()), "");
}

TEST_F(WindowServices, ConsoleServicesNeedTheConsoleOption)
{
    EXPECT_EQ(console_handle_get(), -1);
    error_raise(5);
    EXPECT_EQ(console_handle_get(), -1);
    error_pending_take();
    console_window_show(1);
    console_title_set(string_from_cstr("console"));
    EXPECT_EQ(error_pending.load(), 0u);
}

TEST_F(WindowServices, TypedTextBecomesKeyStrokes)
{
    const uint8_t text[] = {'a', 'B', '~', 9, 8, 13, 1, 26, 0, 72, 0, 15, 0, 99, 200, 127, 0};
    const std::vector<desktop_key_stroke> s = desktop_text_strokes(text, int32_t(sizeof text));
    const desktop_key_stroke expected[] = {
        {'a', false, false},    {'B', false, false},          {'~', false, false},
        {XK_Tab, false, false}, {XK_BackSpace, false, false}, {XK_Return, false, false},
        {XK_a, true, false},    {XK_z, true, false},          {XK_Up, false, false},
        {XK_Tab, false, true},
    };
    ASSERT_EQ(s.size(), std::size(expected));
    for (size_t i = 0; i < s.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(s[i].keysym, expected[i].keysym);
        EXPECT_EQ(s[i].ctrl, expected[i].ctrl);
        EXPECT_EQ(s[i].shift, expected[i].shift);
    }
}

TEST_F(WindowServices, DebugLogStartsAfreshAndKeepsEveryEntry)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("log_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    {
        std::ofstream old("log.txt");
        old << "old entries";
    }
    debug_log_text(string_from_cstr("score "));
    debug_log_number(-42);
    std::ifstream log("log.txt");
    const std::string content((std::istreambuf_iterator<char>(log)),
                              std::istreambuf_iterator<char>());
    std::filesystem::current_path(before);
    window_services_reset();
    std::filesystem::remove_all(dir);
    EXPECT_EQ(content, "score -42");
}

TEST_F(WindowServices, LayerOrderNamesEachLayerOnce)
{
    display_layer_order_set(2, 0, 1, 0);
    EXPECT_EQ(display_layer_order[DISPLAY_LAYER_HARDWARE].load(), 1);
    EXPECT_EQ(display_layer_order[DISPLAY_LAYER_SOFTWARE].load(), 3);
    EXPECT_EQ(display_layer_order[DISPLAY_LAYER_GL].load(), 0);
    EXPECT_EQ(display_layer_order[DISPLAY_LAYER_HARDWARE2].load(), 0);

    EXPECT_EQ(error_of([&] { display_layer_order_set(1, 2, 1, 3); }), 5u);
    EXPECT_EQ(error_of([&] { display_layer_order_set(1, 5, 0, 0); }), 5u);
    EXPECT_EQ(display_layer_order[DISPLAY_LAYER_HARDWARE].load(), 1);

    display_layer_order_preset(1);
    EXPECT_EQ(display_layer_order[DISPLAY_LAYER_HARDWARE2].load(), 1);
    EXPECT_EQ(display_layer_order[DISPLAY_LAYER_SOFTWARE].load(), 2);
    display_layer_order_preset(3);
    EXPECT_EQ(display_layer_order[DISPLAY_LAYER_HARDWARE2].load(), 1);
    EXPECT_EQ(display_layer_order[DISPLAY_LAYER_SOFTWARE].load(), 0);
    display_layer_order_preset(9);
    EXPECT_EQ(display_layer_order[DISPLAY_LAYER_HARDWARE2].load(), 1);
}

TEST_F(WindowServices, AMovedWindowIsAtThePlaceAskedForUntilItGetsThere)
{
    // The window was at (300, 200) and was asked to go to (10, 20) at 0 ms.
    struct row {
        window_place seen;
        int64_t now_ms;
        window_place expected;
    };
    const row rows[] = {
        {{300, 200}, 0, {10, 20}}, // not moved yet
        {{10, 200}, 50, {10, 20}}, // half of it
        {{10, 20}, 60, {10, 20}},  // there: the wait ends
        {{40, 50}, 70, {40, 50}},  // moved since by the user
    };
    window_move_wait wait{true, 10, 20, 0};
    for (const row &r : rows) {
        const window_place got = window_move_wait_place(wait, r.seen, r.now_ms);
        EXPECT_EQ(got.x, r.expected.x) << r.now_ms;
        EXPECT_EQ(got.y, r.expected.y) << r.now_ms;
    }
    // A window manager that puts it elsewhere: the place seen after the time-out.
    wait = {true, 10, 20, 0};
    EXPECT_EQ(window_move_wait_place(wait, {15, 40}, MOVE_TIMEOUT_MS - 1).x, 10);
    EXPECT_EQ(window_move_wait_place(wait, {15, 40}, MOVE_TIMEOUT_MS).x, 15);
}
