// The display callback's window policy: the window follows the frame's size,
// full-screen requests are served, reshape reports are recorded. No toolkit
// call is made here; the callback applies the actions returned.
#include "display/display_callback.h"

#include "display/frame_builder.h"
#include "display/keyboard.h"

std::atomic<int32_t> full_screen_request{-1};
std::atomic<int32_t> full_screen_state{0};
std::atomic<int32_t> full_screen_smooth{0};
std::atomic<int32_t> resize_denied{1};
std::atomic<int32_t> stretch_mode{0};
std::atomic<int32_t> resize_pending{0};
std::atomic<int32_t> resize_width{0};
std::atomic<int32_t> resize_height{0};

display_window_state display_window;

namespace
{

constexpr int32_t NO_REQUEST = -1;

bool same_size(window_size a, window_size b)
{
    return a.width == b.width && a.height == b.height;
}

float aspect_of(window_size s)
{
    return float(s.width) / float(s.height > 0 ? s.height : 1);
}

// Asks for a window size and holds full-screen requests back until the
// window has it.
void reshape_ask(window_actions &actions, window_size size, int64_t now_ms)
{
    actions.reshape = true;
    actions.size = size;
    actions.redisplay = true;
    display_window.reshape_in_progress = true;
    display_window.reshape_target_known = true;
    display_window.reshape_target = size;
    display_window.reshape_started_ms = now_ms;
}

// A size the program now wants of the window (a new frame size, new resize
// settings, the end of full screen): asked for at once, as the first of its
// asks.
void size_ask_new(window_actions &actions, window_size size, int64_t now_ms)
{
    display_window.wanted = size;
    display_window.wanted_asks = 1;
    reshape_ask(actions, size, now_ms);
}

// The size the window is to have, asked for again while the window does not
// take it: each ask waits for its answer, and after WINDOW_SIZE_ASKS asks in
// a row the window keeps the size the window manager gives it (a tiling one
// keeps a window at its tile), until the program wants another size, which
// is asked for at once.
void size_want(window_actions &actions, window_size size, bool new_wish, int64_t now_ms)
{
    display_window_state &d = display_window;
    if (new_wish || !same_size(size, d.wanted)) {
        size_ask_new(actions, size, now_ms);
        return;
    }
    if (d.reshape_in_progress || d.wanted_asks >= WINDOW_SIZE_ASKS)
        return;
    ++d.wanted_asks;
    reshape_ask(actions, size, now_ms);
}

// A reshape this code asked for is over once the window has the size, or
// after the time-out (the window manager may refuse the size, and a window
// that already had it gets no report at all).
void reshape_wait_expire(int64_t now_ms)
{
    display_window_state &d = display_window;
    if (!d.reshape_in_progress)
        return;
    if ((d.reshape_target_known && same_size(d.window, d.reshape_target)) ||
        now_ms - d.reshape_started_ms >= RESHAPE_TIMEOUT_MS)
        d.reshape_in_progress = false;
}

// Windowed, no request: a stretched window keeps the frame's shape; otherwise
// the window takes the frame's size when the user may not resize it or the
// frame's size changed. A change of the frame's size or of the resize
// settings is a new wish, asked for at once.
void windowed_follow(window_actions &actions, window_size frame, int64_t now_ms)
{
    display_window_state &d = display_window;
    d.frame_aspect = aspect_of(frame);
    const bool frame_changed = !same_size(frame, d.last_frame);
    d.last_frame = frame;
    const int32_t stretch = stretch_mode.load(std::memory_order_relaxed);
    const bool denied = resize_denied.load(std::memory_order_relaxed) != 0;
    const int32_t settings = stretch * 2 + (denied ? 1 : 0);
    const bool new_wish = frame_changed || settings != d.followed_settings;
    d.followed_settings = settings;

    window_size size = frame;
    if (stretch != 0) {
        if (!stretch_window_off_shape(d.window, d.last_window_aspect, d.frame_aspect)) {
            d.wanted_asks = 0;
            return;
        }
        size = stretch_window_corrected(d.window, d.previous, d.frame_aspect);
        d.last_window_aspect = aspect_of(size);
    } else if (same_size(d.window, frame)) {
        d.wanted_asks = 0;
        return;
    } else if (!denied && !frame_changed) {
        return;
    }
    size_want(actions, size, new_wish, now_ms);
}

// A request equal to the state asks for nothing: it only cancels the one it
// replaced. The program thread cannot make that comparison itself, as the
// state may change under it; the main thread owns the state. A request stored
// meanwhile is kept.
void full_screen_request_drop_if_current()
{
    int32_t request = full_screen_request.load();
    if (request != NO_REQUEST && request == full_screen_state.load(std::memory_order_relaxed))
        full_screen_request.compare_exchange_strong(request, NO_REQUEST);
}

void full_screen_serve(window_actions &actions, window_size frame, int64_t now_ms)
{
    const int32_t request = full_screen_request.exchange(NO_REQUEST);
    if (request == NO_REQUEST)
        return;
    const int32_t state = full_screen_state.load(std::memory_order_relaxed);
    if (request == 0) {
        if (state != 0)
            size_ask_new(actions, frame, now_ms);
        full_screen_state.store(0);
        return;
    }
    if (state == 0)
        actions.full_screen = true;
    full_screen_state.store(request);
}

} // namespace

void display_state_reset(int64_t now_ms)
{
    full_screen_request = NO_REQUEST;
    full_screen_state = 0;
    full_screen_smooth = 0;
    resize_denied = 1;
    stretch_mode = 0;
    resize_pending = 0;
    resize_width = 0;
    resize_height = 0;
    display_window = display_window_state{};
    display_window.reshape_started_ms = now_ms;
}

void full_screen_set(int32_t mode, int32_t flags)
{
    static constexpr int32_t request_of_mode[] = {1, 0, 1, 2};
    if (mode < 0 || mode > 3)
        return;
    const int32_t request = request_of_mode[mode];
    full_screen_smooth.store(flags & 1);
    full_screen_request_put(request);
    frame_force_rebuild.store(1);
}

// The last request wins: it replaces a pending one, whatever that was. One
// equal to the state is dropped by the main thread before the window follows
// the frame (full_screen_request_drop_if_current).
void full_screen_request_put(int32_t request)
{
    full_screen_request.store(request);
}

int32_t full_screen_get()
{
    const int32_t request = full_screen_request.load();
    return request != NO_REQUEST ? request : full_screen_state.load();
}

window_actions display_window_follow(window_size frame, int64_t now_ms)
{
    window_actions actions;
    reshape_wait_expire(now_ms);
    full_screen_request_drop_if_current();
    // Full screen ended by the window manager asks for the windowed size as
    // a request to leave does.
    if (display_window.full_screen_left) {
        display_window.full_screen_left = false;
        size_ask_new(actions, frame, now_ms);
    }
    if (full_screen_state.load(std::memory_order_relaxed) == 0 &&
        full_screen_request.load() == NO_REQUEST)
        windowed_follow(actions, frame, now_ms);
    if (!display_window.reshape_in_progress && display_window.picture_drawn)
        full_screen_serve(actions, frame, now_ms);
    return actions;
}

void display_full_screen_left()
{
    full_screen_state.store(0);
    display_window.full_screen_left = true;
    display_window.force_redraw = true;
}

void display_reshape_note(int32_t width, int32_t height)
{
    display_window_state &d = display_window;
    d.previous = d.window;
    d.window = {width, height};
    resize_width.store(width);
    resize_height.store(height);
    resize_pending.store(-1);
    d.reshape_in_progress = false;
    d.force_redraw = true;
}

void display_alt_enter_serve()
{
    if (!alt_enter_request_take())
        return;
    const full_screen_choice next =
        full_screen_alt_enter_next(full_screen_get(), full_screen_smooth.load() != 0);
    full_screen_smooth.store(next.smooth ? 1 : 0);
    full_screen_request_put(next.mode);
    frame_force_rebuild.store(1);
}

render_viewport display_viewport_of(window_size frame)
{
    const bool held_to_frame = resize_denied.load(std::memory_order_relaxed) != 0;
    const viewport_fit fit =
        viewport_fit_of(full_screen_state.load(std::memory_order_relaxed),
                        full_screen_smooth.load(std::memory_order_relaxed) != 0,
                        stretch_mode.load(std::memory_order_relaxed),
                        held_to_frame && !same_size(display_window.window, frame));
    return viewport_compute(frame.width, frame.height, display_window.window.width,
                            display_window.window.height, fit);
}
