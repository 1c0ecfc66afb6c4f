// Where the frame goes in the window, and what shape a window keeps that
// follows a stretched frame.
//
// Pure functions over sizes: they keep no state and touch no window, so every
// rule can be checked with plain numbers. The display callback feeds them the
// frame size, the window size and the display settings, and applies what they
// return.
#pragma once

#include "display/gl_renderer.h"

#include <cstdint>

// How the frame is fitted into the window.
enum class viewport_scaling {
    none,    // the frame unscaled at the top left
    stretch, // the frame fills the whole window
    aspect,  // as large as fits with its shape kept, bars on the free sides
};

struct viewport_fit {
    viewport_scaling scaling;
    bool smooth; // linear filtering while scaled
};

// The fit the display settings ask for: full screen (state 1 stretched, 2
// aspect kept, smoothed by its own flag) wins over the window's stretch mode
// (1 stretch, 2 stretch smoothed). A window held to the frame's size that has
// another size all the same (a tiling window manager keeps it at its tile)
// shows the whole frame with its shape kept.
viewport_fit viewport_fit_of(int32_t full_screen_state, bool full_screen_smooth,
                             int32_t stretch_mode, bool window_off_frame);

// The viewport of a frame in a window. A frame as large as the window is drawn
// 1:1 and never smoothed. Sizes below 1 count as 1.
render_viewport viewport_compute(int32_t frame_width, int32_t frame_height, int32_t window_width,
                                 int32_t window_height, viewport_fit fit);

// A rectangle in window pixels, corners inclusive.
struct pixel_rect {
    int32_t x1, y1, x2, y2;
};

// The bars that cover the window outside the display rectangle, in window
// pixels: on the viewport's bar side, each from the rectangle's edge to the
// window's, so that bars and rectangle tile the window. Returns the count
// written to `bars` (a side with no room gets no bar).
int32_t viewport_bars(const render_viewport &viewport, pixel_rect bars[2]);

struct window_size {
    int32_t width, height;
};

// Whether a stretched window has left the frame's shape: its aspect differs
// both from the one it had after the last correction and from the frame's.
bool stretch_window_off_shape(window_size window, float last_window_aspect, float frame_aspect);

// The size that brings a stretched window back to the frame's shape, keeping
// the side the user changed since the previous size: a changed height gives
// the width, a changed width the height; when both changed the larger change
// wins, and when neither did the width is kept.
window_size stretch_window_corrected(window_size window, window_size previous, float frame_aspect);

// A rectangle on the screen, in screen pixels.
struct screen_rect {
    int32_t x, y, width, height;
};

// The monitor a window belongs to, for full screen: the one its rectangle
// overlaps most, else the one nearest to it (by the gap between the edges);
// `screen` when there is no monitor.
screen_rect monitor_nearest(screen_rect window, const screen_rect *monitors, int32_t count,
                            screen_rect screen);

// `r` moved as little as it takes to lie wholly inside `area`; one larger
// than the area keeps its top left at the area's on that axis.
screen_rect rect_moved_into(screen_rect r, screen_rect area);

// Where a window's frame goes once the screen or its monitors changed size:
// it stays where it lies wholly on the screen and overlaps a monitor (the
// screen itself when there is none); otherwise it moves, as little as it
// takes, wholly onto the monitor nearest to it.
screen_rect rect_back_on_screen(screen_rect r, const screen_rect *monitors, int32_t count,
                                screen_rect screen);

// The frame a window manager draws around the window, in pixels on each side
// of the client area (all 0 with no window manager, or in full screen).
struct frame_extents {
    int32_t left, right, top, bottom;
};

// The window's frame on the screen: its outer rectangle, the side border (the
// left extent) and the title bar's height (the top extent less the border,
// which the top extent holds too). The frame's top left is the client area's
// place less the border on x, less the border and the title bar on y.
struct window_frame {
    screen_rect outer;
    int32_t border_width;
    int32_t header_height;
};
window_frame window_frame_of(screen_rect client, frame_extents extents);

// Redisplay timer period for a frame rate: max(trunc(1000 / fps) - 4, 1) ms,
// the 4 ms being the time the timer sleeps itself.
uint32_t redisplay_timer_interval_ms(double frames_per_second);
