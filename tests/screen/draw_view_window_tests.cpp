#include "drawing_support.h"

#include "screen/drawing.h"
#include "screen/screen_modes.h"

#include <cmath>
#include <cstring>
#include <string>

namespace
{

class view_window : public drawing_test
{
  protected:
    // The pixel PSET lights for a program point, (-1, -1) for none.
    std::pair<int32_t, int32_t> lit(image_slot *r, float x, float y)
    {
        auto before = page_pixels(r);
        rt_pset(x, y, 1, PSET_COLOUR);
        auto changed = pixels_changed(r, before, page_pixels(r));
        rt_pset(x, y, 0, PSET_COLOUR);
        return changed.empty() ? std::pair{-1, -1} : *changed.begin();
    }
};

TEST_F(view_window, window_corners_map_to_the_view_corners)
{
    image_slot *r = page(13);
    rt_window(0, 0, 10, 10, WINDOW_COORDS);
    EXPECT_EQ(lit(r, 0, 0), std::pair(0, 199));
    EXPECT_EQ(lit(r, 10, 10), std::pair(319, 0));
    rt_window(10, 10, 0, 0, WINDOW_COORDS | WINDOW_SCREEN); // corners in any order
    EXPECT_EQ(lit(r, 0, 0), std::pair(0, 0));
    EXPECT_EQ(lit(r, 10, 10), std::pair(319, 199));
    rt_view(10, 20, 109, 69, 0, 0, VIEW_COORDS);
    EXPECT_EQ(lit(r, 0, 0), std::pair(10, 20));
    EXPECT_EQ(lit(r, 10, 10), std::pair(109, 69));
    EXPECT_EQ(lit(r, 11, 11), std::pair(-1, -1)); // outside the VIEW
    rt_window(0, 0, 1, 1, WINDOW_COORDS);
    EXPECT_EQ(lit(r, 0, 0), std::pair(10, 69));
    EXPECT_EQ(lit(r, 1, 1), std::pair(109, 20));
    rt_window(0, 0, 0, 0, 0); // back to pixels inside the VIEW
    EXPECT_EQ(r->coord_mode, 1);
    EXPECT_EQ(lit(r, 0, 0), std::pair(10, 20));
    rt_view(0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(r->coord_mode, 0);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(view_window, graphics_cursor_follows_the_mapping)
{
    image_slot *r = page(13);
    rt_pset(160, 100, 0, 0);
    rt_window(0, 0, 319, 199, WINDOW_COORDS | WINDOW_SCREEN); // the identity: no WINDOW
    EXPECT_EQ(r->coord_mode, 0);
    rt_window(0, 0, 638, 398, WINDOW_COORDS | WINDOW_SCREEN);
    EXPECT_EQ(r->gfx_cursor_x, 320.0f);
    EXPECT_EQ(rt_point(0, 0, 0), 160.0L);
    rt_window(0, 0, 0, 0, 0);
    EXPECT_EQ(r->gfx_cursor_x, 160.0f);
}

TEST_F(view_window, view_fill_and_frame)
{
    image_slot *r = page(13);
    auto before = page_pixels(r);
    rt_view(20, 20, 10, 10, 4, 15, VIEW_COORDS | VIEW_FILL | VIEW_BORDER);
    auto changed = pixels_changed(r, before, page_pixels(r));
    int fill = 0, frame = 0;
    for (auto [x, y] : changed)
        (pixel_of(r, x, y) == 4 ? fill : frame)++;
    EXPECT_EQ(fill, 121);
    EXPECT_EQ(frame, 48); // the whole ring from (9, 9) to (21, 21)
    EXPECT_EQ(*changed.begin(), std::pair(9, 9));
    EXPECT_EQ(*changed.rbegin(), std::pair(21, 21));
    rt_view(0, 0, 319, 199, 2, 3, VIEW_COORDS | VIEW_FILL | VIEW_BORDER); // frame off the page
    EXPECT_EQ(pixel_of(r, 0, 0), 2u);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(view_window, bad_arguments_are_error_5_and_change_nothing)
{
    image_slot *r = page(13);
    rt_window(0, 0, 100, 50, WINDOW_COORDS);
    image_slot saved = *r;
    auto same = [&] {
        return r->coord_mode == saved.coord_mode && r->scale_x == saved.scale_x &&
               r->offset_y == saved.offset_y && r->clip_x2 == saved.clip_x2;
    };
    float inf = INFINITY;
    struct {
        float x1, y1, x2, y2;
        uint32_t flags;
    } windows[] = {{1, 0, 1, 5, WINDOW_COORDS},      {0, 2, 5, 2, WINDOW_COORDS},
                   {NAN, 0, 1, 1, WINDOW_COORDS},    {0, 0, inf, 1, WINDOW_COORDS},
                   {0, 0, 1e-45f, 1, WINDOW_COORDS}, {0, 0, 0, 0, WINDOW_SCREEN}};
    for (const auto &w : windows) {
        EXPECT_EQ(error_of([&] { rt_window(w.x1, w.y1, w.x2, w.y2, w.flags); }), 5u);
        EXPECT_TRUE(same());
    }
    EXPECT_EQ(error_of([&] { rt_view(0, 0, 320, 10, 0, 0, VIEW_COORDS); }), 5u);
    EXPECT_EQ(error_of([&] { rt_view(-1, 0, 10, 10, 0, 0, VIEW_COORDS); }), 5u);
    EXPECT_EQ(error_of([&] { rt_view(0, 0, 0, 0, 4, 0, VIEW_FILL); }), 5u);
    EXPECT_TRUE(same());
}

// A ported demo: WINDOW (-1, -1)-(1, 1), a diagonal, a circle and a LINE
// -STEP from its centre in world coordinates; then VIEW to the middle
// quarter of the page and the same drawing again, now inside the VIEW.
TEST_F(view_window, world_coordinate_demo_with_and_without_a_view)
{
    for (int32_t mode : {12, 13, 32}) {
        image_slot *r = page(mode);
        uint32_t colour = mode == 32 ? 0xFFFFFF00 : 14;
        int32_t x1 = 0, y1 = 0, x2 = r->width - 1, y2 = r->height - 1;
        rt_window(-1, -1, 1, 1, WINDOW_COORDS);
        for (bool in_view : {false, true}) {
            if (in_view) {
                x1 = r->width / 4, y1 = r->height / 4, x2 = 3 * x1 - 1, y2 = 3 * y1 - 1;
                rt_view(x1, y1, x2, y2, 0, 0, VIEW_COORDS);
            }
            std::memset(r->pixels, 0, size_t(r->width) * r->height * r->bytes_per_pixel);
            auto before = page_pixels(r);
            rt_line(-1, -1, 1, 1, colour, 0, 0, LINE_START | LINE_COLOUR);
            rt_circle(0, 0, 0.5, colour, 0, 0, 0, CIRCLE_COLOUR);
            rt_line(0, 0, 0.5f, 0, colour, 0, 0, LINE_END_STEP | LINE_COLOUR);
            auto lit = pixels_changed(r, before, page_pixels(r));
            std::string what = std::to_string(mode) + (in_view ? " view" : "");
            EXPECT_TRUE(lit.count({x1, y2}) && lit.count({x2, y1})) << what; // the diagonal
            int32_t cx = (x1 + x2 + 1) / 2, cy = (y1 + y2 + 1) / 2;
            int32_t radius = int32_t(0.25 * (x2 - x1) + 0.5);
            EXPECT_TRUE(lit.count({cx + radius, cy}) && lit.count({cx - radius, cy})) << what;
            EXPECT_TRUE(lit.count({cx + radius / 2, cy})) << what; // the radius
            for (auto [x, y] : lit)
                ASSERT_TRUE(x >= x1 && x <= x2 && y >= y1 && y <= y2) << what;
            EXPECT_TRUE(r->gfx_cursor_x == 0.5f && r->gfx_cursor_y == 0) << what;
            EXPECT_EQ(rt_point(0, 0, 0), std::nearbyint(0.75L * (x2 - x1))) << what; // in the VIEW
        }
        EXPECT_EQ(error_pending_take(), 0u);
    }
}

// A one-pixel VIEW gives a zero WINDOW scale: points still map, and the
// mapping back stays finite.
TEST_F(view_window, one_pixel_view_keeps_the_mapping_finite)
{
    image_slot *r = page(13);
    rt_window(0, 0, 10, 10, WINDOW_COORDS);
    rt_view(50, 50, 50, 50, 0, 0, VIEW_COORDS);
    EXPECT_EQ(r->scale_x, 0.0f);
    EXPECT_EQ(lit(r, 3, 7), std::pair(50, 50));
    rt_window(0, 0, 5, 5, WINDOW_COORDS);
    EXPECT_TRUE(std::isfinite(r->gfx_cursor_x) && std::isfinite(r->gfx_cursor_y));
    rt_window(0, 0, 0, 0, 0);
    EXPECT_TRUE(std::isfinite(r->gfx_cursor_x) && std::isfinite(r->gfx_cursor_y));
    EXPECT_EQ(error_pending_take(), 0u);
}

} // namespace
