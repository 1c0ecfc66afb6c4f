#include "display/viewport.h"

#include "core/small_ops.h"

#include <algorithm>
#include <cstdlib>

namespace
{

int32_t at_least_one(int32_t n)
{
    return std::max(n, 1);
}

int32_t truncated(float x)
{
    return double_to_int32_saturating(double(x));
}

// The display rectangle of a frame fitted with its shape kept into a window of
// another shape: full height with bars left and right when the window is
// wider, else full width with bars above and below.
void aspect_rect(render_viewport &v, float window_aspect, float frame_aspect)
{
    if (window_aspect > frame_aspect) {
        int32_t width = truncated(float(v.window_height) * frame_aspect);
        v.x1 = v.window_width / 2 - width / 2;
        v.x2 = v.x1 + width - 1;
        v.y1 = 0;
        v.y2 = v.window_height - 1;
        v.bar_side = 1;
    } else {
        int32_t height = truncated(float(v.window_width) / frame_aspect);
        v.y1 = v.window_height / 2 - height / 2;
        v.y2 = v.y1 + height - 1;
        v.x1 = 0;
        v.x2 = v.window_width - 1;
        v.bar_side = 2;
    }
}

} // namespace

viewport_fit viewport_fit_of(int32_t full_screen_state, bool full_screen_smooth,
                             int32_t stretch_mode, bool window_off_frame)
{
    if (full_screen_state >= 1)
        return {full_screen_state == 2 ? viewport_scaling::aspect : viewport_scaling::stretch,
                full_screen_smooth};
    if (stretch_mode > 0)
        return {viewport_scaling::stretch, stretch_mode == 2};
    if (window_off_frame)
        return {viewport_scaling::aspect, false};
    return {viewport_scaling::none, false};
}

render_viewport viewport_compute(int32_t frame_width, int32_t frame_height, int32_t window_width,
                                 int32_t window_height, viewport_fit fit)
{
    render_viewport v{};
    v.frame_width = at_least_one(frame_width);
    v.frame_height = at_least_one(frame_height);
    v.window_width = at_least_one(window_width);
    v.window_height = at_least_one(window_height);
    v.smooth = fit.scaling != viewport_scaling::none && fit.smooth ? 1 : 0;
    v.bar_side = 0;

    const float window_aspect = float(v.window_width) / float(v.window_height);
    const float frame_aspect = float(v.frame_width) / float(v.frame_height);
    if (v.frame_width == v.window_width && v.frame_height == v.window_height) {
        v.x2 = v.window_width - 1;
        v.y2 = v.window_height - 1;
        v.smooth = 0;
    } else if (fit.scaling == viewport_scaling::aspect && window_aspect != frame_aspect) {
        aspect_rect(v, window_aspect, frame_aspect);
    } else if (fit.scaling != viewport_scaling::none) {
        v.x2 = v.window_width - 1;
        v.y2 = v.window_height - 1;
    } else {
        v.x2 = v.frame_width - 1;
        v.y2 = v.frame_height - 1;
    }
    v.display_width = v.x2 - v.x1 + 1;
    v.display_height = v.y2 - v.y1 + 1;
    v.scale_x = float(v.display_width) / float(v.frame_width);
    v.scale_y = float(v.display_height) / float(v.frame_height);
    return v;
}

int32_t viewport_bars(const render_viewport &v, pixel_rect bars[2])
{
    int32_t count = 0;
    auto add = [&](int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        if (x1 <= x2 && y1 <= y2)
            bars[count++] = {x1, y1, x2, y2};
    };
    const int32_t right = v.window_width - 1, bottom = v.window_height - 1;
    if (v.bar_side == 1) {
        add(0, 0, v.x1 - 1, bottom);
        add(v.x2 + 1, 0, right, bottom);
    } else if (v.bar_side == 2) {
        add(0, 0, right, v.y1 - 1);
        add(0, v.y2 + 1, right, bottom);
    }
    return count;
}

bool stretch_window_off_shape(window_size window, float last_window_aspect, float frame_aspect)
{
    const float aspect = float(at_least_one(window.width)) / float(at_least_one(window.height));
    return aspect != last_window_aspect && aspect != frame_aspect;
}

window_size stretch_window_corrected(window_size window, window_size previous, float frame_aspect)
{
    const int32_t width_change = window.width - previous.width;
    const int32_t height_change = window.height - previous.height;
    const bool keep_height =
        width_change == 0 ? height_change != 0 : std::abs(width_change) <= std::abs(height_change);
    if (keep_height)
        return {truncated(float(window.height) * frame_aspect), window.height};
    return {window.width, truncated(float(window.width) / frame_aspect)};
}

namespace
{

// The overlap of two spans on one axis, negative for the gap between them.
int64_t span_overlap(int32_t a, int32_t a_length, int32_t b, int32_t b_length)
{
    return std::min(int64_t(a) + a_length, int64_t(b) + b_length) - std::max<int64_t>(a, b);
}

} // namespace

screen_rect monitor_nearest(screen_rect window, const screen_rect *monitors, int32_t count,
                            screen_rect screen)
{
    if (count <= 0)
        return screen;
    // Overlapping monitors rank by shared area; the others after them by
    // the gap, the larger of the horizontal and vertical one.
    auto rank = [&](const screen_rect &m) {
        const int64_t ox = span_overlap(window.x, window.width, m.x, m.width);
        const int64_t oy = span_overlap(window.y, window.height, m.y, m.height);
        return ox > 0 && oy > 0 ? ox * oy : std::min(std::min(ox, oy), int64_t(0));
    };
    const screen_rect *best = &monitors[0];
    for (int32_t i = 1; i < count; ++i)
        if (rank(monitors[i]) > rank(*best))
            best = &monitors[i];
    return *best;
}

screen_rect rect_moved_into(screen_rect r, screen_rect area)
{
    auto span_into = [](int32_t at, int32_t length, int32_t area_at, int32_t area_length) {
        const int64_t last_start = int64_t(area_at) + area_length - length;
        return int32_t(std::max<int64_t>(area_at, std::min<int64_t>(at, last_start)));
    };
    return {span_into(r.x, r.width, area.x, area.width),
            span_into(r.y, r.height, area.y, area.height), r.width, r.height};
}

screen_rect rect_back_on_screen(screen_rect r, const screen_rect *monitors, int32_t count,
                                screen_rect screen)
{
    const bool on_screen = span_overlap(r.x, r.width, screen.x, screen.width) == r.width &&
                           span_overlap(r.y, r.height, screen.y, screen.height) == r.height;
    bool on_a_monitor = count <= 0;
    for (int32_t i = 0; i < count && !on_a_monitor; ++i)
        on_a_monitor = span_overlap(r.x, r.width, monitors[i].x, monitors[i].width) > 0 &&
                       span_overlap(r.y, r.height, monitors[i].y, monitors[i].height) > 0;
    if (on_screen && on_a_monitor)
        return r;
    return rect_moved_into(r, monitor_nearest(r, monitors, count, screen));
}

window_frame window_frame_of(screen_rect client, frame_extents e)
{
    window_frame f;
    f.border_width = e.left;
    f.header_height = e.top - e.left;
    f.outer = {client.x - f.border_width, client.y - f.border_width - f.header_height,
               client.width + e.left + e.right, client.height + e.top + e.bottom};
    return f;
}

uint32_t redisplay_timer_interval_ms(double frames_per_second)
{
    const int32_t period = double_to_int32_saturating(1000.0 / frames_per_second);
    return uint32_t(std::max(period - 4, 1));
}
