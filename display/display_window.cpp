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
// frame's size changed.
void windowed_follow(window_actions &actions, window_size frame, int64_t now_ms)
{
    display_window_state &d = display_window;
    d.frame_aspect = aspect_of(frame);
    const bool frame_changed = !same_size(frame, d.last_frame);
    d.last_frame = frame;

    if (stretch_mode.load(std::memory_order_relaxed) != 0) {
        if (!stretch_window_off_shape(d.window, d.last_window_aspect, d.frame_aspect))
            return;
        window_size size = stretch_window_corrected(d.window, d.previous, d.frame_aspect);
        d.last_window_aspect = aspect_of(size);
        reshape_ask(actions, size, now_ms);
        return;
    }
    if (!same_size(d.window, frame) &&
        (resize_denied.load(std::memory_order_relaxed) != 0 || frame_changed))
        reshape_ask(actions, frame, now_ms);
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
            reshape_ask(actions, frame, now_ms);
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
    if (full_screen_state.load(std::memory_order_relaxed) == 0 &&
        full_screen_request.load() == NO_REQUEST)
        windowed_follow(actions, frame, now_ms);
    if (!display_window.reshape_in_progress)
        full_screen_serve(actions, frame, now_ms);
    return actions;
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
    const viewport_fit fit =
        viewport_fit_of(full_screen_state.load(std::memory_order_relaxed),
                        full_screen_smooth.load(std::memory_order_relaxed) != 0,
                        stretch_mode.load(std::memory_order_relaxed));
    return viewport_compute(frame.width, frame.height, display_window.window.width,
                            display_window.window.height, fit);
}
