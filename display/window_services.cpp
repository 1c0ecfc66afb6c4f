#include "display/window_services.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "core/strings.h"
#include "display/display_callback.h"
#include "display/frame_builder.h"
#include "display/window_requests.h"
#include "display/window_state.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "screen/screen_modes.h"

#include <X11/keysym.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace
{

constexpr uint32_t WINDOW_WAIT_STEP_MS = 100;
constexpr int32_t AUTO_DISPLAY_SWITCHING = -1;

bool console_present = false;
std::atomic<int32_t> console_image{-1};
std::atomic<int32_t> console_visible{0};
std::string console_title;
std::FILE *debug_log = nullptr;

bool error_is_pending()
{
    return error_pending.load(std::memory_order_relaxed) != 0;
}

// The bytes of a string argument; a temporary is freed.
std::string text_take(string_descriptor *text)
{
    if (!text)
        return {};
    std::string bytes(reinterpret_cast<const char *>(text->chr), size_t(text->len));
    if (text->tmp)
        string_free(text);
    return bytes;
}

// Waits until the window exists; false when the process ends first.
bool window_wait()
{
    while (!window_exists.load()) {
        if (exit_acknowledged.load())
            return false;
        clock_sleep_ms(WINDOW_WAIT_STEP_MS);
    }
    return true;
}

// Sleeps in 1 ms steps until `done` holds or the process ends.
template <typename Done> void wait_until(Done done)
{
    while (!done() && !exit_acknowledged.load())
        clock_sleep_ms(1);
}

// The extended keys of a 0 and scan-byte pair.
bool extended_key_stroke(uint8_t scan, desktop_key_stroke &stroke)
{
    struct pair {
        uint8_t scan;
        uint32_t keysym;
    };
    static constexpr pair table[] = {
        {71, XK_Home}, {72, XK_Up},   {73, XK_Prior}, {75, XK_Left},   {77, XK_Right},
        {79, XK_End},  {80, XK_Down}, {81, XK_Next},  {82, XK_Insert}, {83, XK_Delete},
    };
    if (scan == 15) {
        stroke = {XK_Tab, false, true};
        return true;
    }
    for (const pair &p : table) {
        if (p.scan == scan) {
            stroke = {p.keysym, false, false};
            return true;
        }
    }
    return false;
}

bool character_key_stroke(uint8_t c, desktop_key_stroke &stroke)
{
    if (c == 9)
        stroke = {XK_Tab, false, false};
    else if (c == 8)
        stroke = {XK_BackSpace, false, false};
    else if (c == 13)
        stroke = {XK_Return, false, false};
    else if (c >= 1 && c <= 26)
        stroke = {uint32_t(XK_a + c - 1), true, false};
    else if (c >= 32 && c <= 126)
        stroke = {uint32_t(c), false, false};
    else
        return false;
    return true;
}

} // namespace

void window_title_set(string_descriptor *text)
{
    if (error_is_pending()) {
        text_take(text);
        return;
    }
    std::string title = text_take(text);
    title.resize(std::strlen(title.c_str()));
    window_title_store(title);
}

void display_auto_set()
{
    auto_display.store(1);
}

void display_now()
{
    if (window_hidden.load())
        return;
    if (auto_display.load() != 0) {
        auto_display.store(AUTO_DISPLAY_SWITCHING);
        wait_until([] { return auto_display.load() == 0; });
        return;
    }
    software_frame_build();
}

void display_frame_wait()
{
    if (auto_display.load() != 0) {
        frame_done.store(0);
        wait_until([] { return frame_done.load(std::memory_order_acquire) != 0; });
        return;
    }
    software_frame_build();
}

int32_t exit_request_take()
{
    exit_handled.store(1);
    return int32_t(exit_request.exchange(0));
}

void clipboard_set(string_descriptor *text)
{
    platform_clipboard_set(text_take(text));
}

string_descriptor *clipboard_get_str()
{
    const std::string text = platform_clipboard_get();
    const int32_t length = text.size() > size_t(INT32_MAX) ? INT32_MAX : int32_t(text.size());
    string_descriptor *s = string_new(length, true);
    std::memcpy(s->chr, text.data(), size_t(length));
    return s;
}

int32_t window_desktop_x()
{
    if (!window_wait() || !window_geometry_refresh())
        return 0;
    return window_geometry_published().desktop_x;
}

int32_t window_desktop_y()
{
    if (!window_wait() || !window_geometry_refresh())
        return 0;
    return window_geometry_published().desktop_y;
}

void window_move(int32_t x, int32_t y, uint32_t passed)
{
    if (error_is_pending())
        return;
    if (passed == 0 || passed == 3) {
        error_raise(5);
        return;
    }
    if (full_screen_state.load() != 0 || !window_wait())
        return;
    if (passed == 2)
        window_request_post({window_request_kind::move, x, y});
    else
        window_request_post({window_request_kind::centre, 0, 0});
}

void window_show()
{
    if (window_exists.load())
        window_request_post({window_request_kind::show, 0, 0});
    else
        window_create_request.store(1);
    window_hidden.store(0);
}

void window_hide()
{
    if (window_exists.load())
        window_request_post({window_request_kind::hide, 0, 0});
    window_hidden.store(1);
}

void resize_mode_set(int32_t mode, int32_t how)
{
    if (mode == 1)
        resize_denied.store(0);
    else if (mode == 2)
        resize_denied.store(1);
    stretch_mode.store(how);
}

int32_t resize_pending_query()
{
    if (resize_denied.load() != 0)
        return 0;
    return resize_pending.exchange(0) == -1 ? -1 : 0;
}

int32_t resize_width_get()
{
    return resize_width.load();
}

int32_t resize_height_get()
{
    return resize_height.load();
}

void console_option_set(bool has_console)
{
    console_present = has_console;
    console_visible.store(has_console ? 1 : 0);
}

int32_t console_handle_get()
{
    return error_is_pending() ? -1 : console_image.load();
}

void console_window_show(int32_t on)
{
    if (!console_present)
        return;
    if (on == 1)
        console_visible.store(1);
    else
        console_visible.store(0);
}

// The console is the process's own terminal: its title is set with the
// terminal's title sequence when standard output is one.
void console_title_set(string_descriptor *text)
{
    if (error_is_pending()) {
        text_take(text);
        return;
    }
    console_title = text_take(text);
    console_title.resize(std::strlen(console_title.c_str()));
    if (console_present && console_visible.load() && isatty(STDOUT_FILENO)) {
        std::printf("\033]0;%s\007", console_title.c_str());
        std::fflush(stdout);
    }
}

void desktop_mouse_click(int32_t x, int32_t y)
{
    desktop_pointer_click(x, y);
}

std::vector<desktop_key_stroke> desktop_text_strokes(const uint8_t *text, int32_t length)
{
    std::vector<desktop_key_stroke> strokes;
    for (int32_t i = 0; i < length; ++i) {
        desktop_key_stroke stroke{};
        if (text[i] == 0) {
            if (i + 1 < length && extended_key_stroke(text[i + 1], stroke))
                strokes.push_back(stroke);
            ++i;
        } else if (character_key_stroke(text[i], stroke)) {
            strokes.push_back(stroke);
        }
    }
    return strokes;
}

void desktop_type_text(string_descriptor *text)
{
    const std::string bytes = text_take(text);
    const std::vector<desktop_key_stroke> strokes = desktop_text_strokes(
        reinterpret_cast<const uint8_t *>(bytes.data()), int32_t(bytes.size()));
    desktop_keys_type(strokes.data(), strokes.size());
}

// Each entry is flushed at once: the process ends without running the C
// library's clean-up.
void debug_log_text(string_descriptor *text)
{
    const std::string bytes = text_take(text);
    if (!debug_log)
        debug_log = std::fopen("log.txt", "w");
    if (!debug_log)
        return;
    std::fwrite(bytes.data(), 1, bytes.size(), debug_log);
    std::fflush(debug_log);
}

void debug_log_number(int32_t n)
{
    if (!debug_log)
        debug_log = std::fopen("log.txt", "w");
    if (!debug_log)
        return;
    std::fprintf(debug_log, "%d", n);
    std::fflush(debug_log);
}

void window_services_reset()
{
    console_present = false;
    console_image.store(-1);
    console_visible.store(0);
    console_title.clear();
    if (debug_log)
        std::fclose(debug_log);
    debug_log = nullptr;
}
