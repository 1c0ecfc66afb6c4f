// Drawing statements on graphics pages: PSET, PRESET, POINT, LINE, CIRCLE,
// PAINT, WINDOW and VIEW.
//
// Every statement works on the write page (POINT(x, y) on the read page) and
// returns at once while an error is pending. Program coordinates become
// pixels through the page's VIEW and WINDOW mapping (coord_to_pixel in
// pixels.h); shapes are cut to the page's clip rectangle (the VIEW area)
// without an error. Palette pages store colour & color_mask; 32-bit pages
// blend by the colour's alpha unless blending is off. Every statement leaves
// the graphics cursor at its last point in program coordinates (LINE its end,
// CIRCLE its centre, PAINT its seed).
//
// Errors: 5 for a text page (PSET and PRESET: a page of mode 0), for argument
// errors named below and for non-finite WINDOW mappings; 7 when PAINT cannot
// get its working memory.
#pragma once

#include <cstddef>
#include <cstdint>

struct string_descriptor;

// PSET / PRESET: flags bit 1 STEP, bit 2 colour given. The colour defaults to
// the page's foreground (PSET) or background (PRESET) colour.
constexpr uint32_t PSET_STEP = 1, PSET_COLOUR = 2;
void rt_pset(float x, float y, uint32_t colour, uint32_t flags);
void rt_preset(float x, float y, uint32_t colour, uint32_t flags);

// POINT(x, y) (form non-zero): the read page's pixel, -1 outside its clip
// rectangle. POINT(n) (form 0, n in x): 0 and 1 the graphics cursor in pixels
// (without the VIEW offset), 2 and 3 in program coordinates.
long double rt_point(float x, float y, int32_t form);

// LINE: kind 0 a line, 1 a box (B), 2 a filled box (BF). Flags as below; the
// style is a 16-bit pattern whose bit 15 gives the first pixel.
constexpr uint32_t LINE_START = 1, LINE_END_STEP = 2, LINE_START_STEP = 4, LINE_COLOUR = 8,
                   LINE_STYLE = 16;
void rt_line(float x1, float y1, float x2, float y2, uint32_t colour, int32_t kind, uint32_t style,
             uint32_t flags);

// CIRCLE: angles in radians, 0 to 2 pi; a negative angle asks for a radius
// line at its magnitude. An end below the start draws the rest of the circle.
constexpr uint32_t CIRCLE_STEP = 1, CIRCLE_COLOUR = 2, CIRCLE_START = 4, CIRCLE_END = 8,
                   CIRCLE_ASPECT = 16;
void rt_circle(float x, float y, double radius, uint32_t colour, double start, double end,
               double aspect, uint32_t flags);

// PAINT: fills the region around the seed bounded by the border colour
// (default: the fill colour). A tile is error 5 here: tiles go through
// rt_paint_tile.
constexpr uint32_t PAINT_STEP = 1, PAINT_FILL = 2, PAINT_BORDER = 4, PAINT_TILE = 8;
void rt_paint(float x, float y, uint32_t fill, uint32_t border, const string_descriptor *tile,
              uint32_t flags);
// PAINT with a tile string (flags: 1 STEP, 2 tile, 4 border, 8 background).
constexpr uint32_t PAINT_TILE_STEP = 1, PAINT_TILE_GIVEN = 2, PAINT_TILE_BORDER = 4,
                   PAINT_TILE_BACKGROUND = 8;
void rt_paint_tile(float x, float y, string_descriptor *tile, uint32_t border,
                   string_descriptor *background, uint32_t flags);
// Test seam: the starting capacity of PAINT's frontier lists (they grow).
extern size_t paint_frontier_initial_capacity;

// WINDOW (x1, y1)-(x2, y2): flags bit 1 coordinates given, bit 2 SCREEN (y
// downward). Without coordinates the mapping returns to pixels.
constexpr uint32_t WINDOW_COORDS = 1, WINDOW_SCREEN = 2;
void rt_window(float x1, float y1, float x2, float y2, uint32_t flags);

// VIEW (x1, y1)-(x2, y2), fill, border: flags bit 1 coordinates, 2 SCREEN
// (coordinates stay absolute), 4 fill given, 8 border given.
constexpr uint32_t VIEW_COORDS = 1, VIEW_SCREEN = 2, VIEW_FILL = 4, VIEW_BORDER = 8;
void rt_view(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t fill, uint32_t border,
             uint32_t flags);

// Clips the line (x1, y1)-(x2, y2) to the inclusive rectangle. Returns false
// when nothing of it is visible; else moves the end points onto the rectangle
// and sets *cut to the pixels cut from the start.
struct line_ends {
    int64_t x1, y1, x2, y2;
};
bool line_clip(line_ends *line, int64_t left, int64_t top, int64_t right, int64_t bottom,
               int64_t *cut);

// A solid line between two pixels, cut to the write page's clip rectangle.
void line_draw_clipped(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
// A styled line between two points in program coordinates.
void line_draw_styled(float x1, float y1, float x2, float y2, uint32_t colour, uint16_t style);
