// WINDOW and VIEW: the mapping of program coordinates to pixels and the clip
// rectangle.
//
// A WINDOW keeps its corners in window_x1 .. window_y2 as given after
// sorting; without SCREEN the y corners are exchanged (y grows upward), so
// window_y1 > window_y2 marks an upward y axis. scale_* and offset_* map a
// program coordinate to a pixel inside the VIEW; the VIEW offset is added
// after. (Other parts of the runtime call these fields the viewport offset,
// window scale and window offset; the names here are the record's own.)
#include "screen/drawing.h"
#include "screen/drawing_internal.h"

#include "core/errors.h"
#include "screen/pixels.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{

struct window_mapping {
    float scale_x, scale_y, offset_x, offset_y;
};

// The mapping of window corners (x1 < x2, y1 and y2 in stored order) onto a
// clip rectangle. False when any value is not finite.
bool window_mapping_compute(float x1, float y1, float x2, float y2, int32_t clip_x1,
                            int32_t clip_y1, int32_t clip_x2, int32_t clip_y2, window_mapping *m)
{
    float span_x = float(clip_x2 - clip_x1), span_y = float(clip_y2 - clip_y1);
    m->scale_x = span_x / (x2 - x1);
    m->scale_y = span_y / (y2 - y1);
    m->offset_x = -x1 * m->scale_x;
    m->offset_y = y1 > y2 ? span_y - y2 * m->scale_y : -y1 * m->scale_y;
    return std::isfinite(m->scale_x) && std::isfinite(m->scale_y) && std::isfinite(m->offset_x) &&
           std::isfinite(m->offset_y);
}

void window_mapping_store(image_slot *r, const window_mapping &m)
{
    r->scale_x = m.scale_x;
    r->scale_y = m.scale_y;
    r->offset_x = m.offset_x;
    r->offset_y = m.offset_y;
}

// WINDOW without coordinates: pixels again, inside the VIEW if there is one.
void window_clear(image_slot *r)
{
    window_mapping_store(r, {1.0f, 1.0f, 0.0f, 0.0f});
    r->window_x1 = 0;
    r->window_y1 = 0;
    r->window_x2 = float(r->width - 1);
    r->window_y2 = float(r->height - 1);
    bool whole = r->clip_x1 == 0 && r->clip_y1 == 0 && r->clip_x2 == r->width - 1 &&
                 r->clip_y2 == r->height - 1 && r->view_offset_x == 0 && r->view_offset_y == 0;
    r->coord_mode = whole ? 0 : 1;
}

// The graphics cursor from pixels (inside the VIEW) back to program
// coordinates through the page's current mapping.
void cursor_from_pixels(image_slot *r, double px, double py)
{
    if (r->coord_mode != 2) {
        r->gfx_cursor_x = float(px);
        r->gfx_cursor_y = float(py);
        return;
    }
    r->gfx_cursor_x = float(window_unmap(px, r->offset_x, r->scale_x, r->window_x1));
    r->gfx_cursor_y = float(window_unmap(py, r->offset_y, r->scale_y, r->window_y1));
}

bool window_is_identity(const image_slot *r, float x1, float y1, float x2, float y2,
                        const window_mapping &m)
{
    return x1 == 0 && y1 == 0 && x2 == r->width - 1 && y2 == r->height - 1 && m.scale_x == 1 &&
           m.scale_y == 1 && m.offset_x == 0 && m.offset_y == 0;
}

// A VIEW's frame: one pixel just outside the rectangle, each only on the
// page.
void view_frame(image_slot *r, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour)
{
    for (int32_t x = x1 - 1; x <= x2; x++) {
        pixel_plot_page(r, x, y1 - 1, colour);
        pixel_plot_page(r, x, y2 + 1, colour);
    }
    for (int32_t y = y1 - 1; y <= y2; y++)
        pixel_plot_page(r, x1 - 1, y, colour);
    for (int32_t y = y1 - 1; y <= y2 + 1; y++)
        pixel_plot_page(r, x2 + 1, y, colour);
}

// The VIEW rectangle: the given corners sorted, each on the page, or the
// whole page without coordinates. False for arguments that are error 5.
bool view_rect(const image_slot *r, uint32_t flags, int32_t *x1, int32_t *y1, int32_t *x2,
               int32_t *y2)
{
    auto on_page = [r](int32_t x, int32_t y) {
        return x >= 0 && y >= 0 && x < r->width && y < r->height;
    };
    if (!(flags & VIEW_COORDS)) {
        *x1 = *y1 = 0;
        *x2 = r->width - 1;
        *y2 = r->height - 1;
        return !(flags & (VIEW_SCREEN | VIEW_FILL | VIEW_BORDER));
    }
    if (!on_page(*x1, *y1) || !on_page(*x2, *y2))
        return false;
    if (*x1 > *x2)
        std::swap(*x1, *x2);
    if (*y1 > *y2)
        std::swap(*y1, *y2);
    return true;
}

} // namespace

void rt_window(float x1, float y1, float x2, float y2, uint32_t flags)
{
    image_slot *r = draw_page_get();
    if (!r)
        return;
    bool given = flags & WINDOW_COORDS;
    if ((flags & WINDOW_SCREEN) && !given)
        return (void)error_raise(5);
    double px = window_map_x(r, r->gfx_cursor_x), py = window_map_y(r, r->gfx_cursor_y);
    if (!given) {
        window_clear(r);
        cursor_from_pixels(r, px, py);
        return;
    }
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2) ||
        x1 == x2 || y1 == y2)
        return (void)error_raise(5);
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    if (!(flags & WINDOW_SCREEN))
        std::swap(y1, y2);
    window_mapping m;
    if (!window_mapping_compute(x1, y1, x2, y2, r->clip_x1, r->clip_y1, r->clip_x2, r->clip_y2, &m))
        return (void)error_raise(5);
    if (window_is_identity(r, x1, y1, x2, y2, m)) {
        window_clear(r);
        cursor_from_pixels(r, px, py);
        return;
    }
    window_mapping_store(r, m);
    r->window_x1 = x1;
    r->window_y1 = y1;
    r->window_x2 = x2;
    r->window_y2 = y2;
    r->coord_mode = 2;
    cursor_from_pixels(r, px, py);
}

void rt_view(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t fill, uint32_t border,
             uint32_t flags)
{
    if (error_pending.load(std::memory_order_relaxed))
        return;
    image_slot *r = write_page.record;
    if (!r)
        return (void)error_raise(5);
    bool given = flags & VIEW_COORDS;
    if (!view_rect(r, flags, &x1, &y1, &x2, &y2))
        return (void)error_raise(5);
    window_mapping m{};
    if (r->coord_mode == 2 && !window_mapping_compute(r->window_x1, r->window_y1, r->window_x2,
                                                      r->window_y2, x1, y1, x2, y2, &m))
        return (void)error_raise(5);
    r->draw_angle = 0.0;
    r->draw_scale = 1.0;
    r->clip_x1 = x1;
    r->clip_y1 = y1;
    r->clip_x2 = x2;
    r->clip_y2 = y2;
    bool absolute = !given || (flags & VIEW_SCREEN);
    r->view_offset_x = absolute ? 0 : x1;
    r->view_offset_y = absolute ? 0 : y1;
    if (r->coord_mode == 2)
        window_mapping_store(r, m);
    else
        r->coord_mode = given ? 1 : 0;
    if (r->text_mode || !r->pixels)
        return;
    if (flags & VIEW_FILL)
        rect_fill_blend_on(r, x1, y1, x2, y2, fill);
    if (flags & VIEW_BORDER)
        view_frame(r, x1, y1, x2, y2, border);
}
