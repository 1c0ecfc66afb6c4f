// Coordinate mapping, pixel access and box fill on graphics pages.
//
// Program coordinates become pixels through the page's coordinate mode: 0
// plain pixels, 1 VIEW (an offset), 2 WINDOW (scale and offset, then the VIEW
// offset). Conversions round to nearest with ties to even. Palette pages store
// colour & color_mask; 32-bit pages blend by the colour's alpha unless
// blending is off (blend_tables.h).
#pragma once

#include <cstdint>

struct image_slot;

// Rounds a coordinate to nearest, ties to even. NaN gives COORD_UNDEFINED and
// values beyond +-COORD_LIMIT are held there, so later offsets cannot overflow.
constexpr int32_t COORD_LIMIT = 1000000000;
constexpr int32_t COORD_UNDEFINED = -COORD_LIMIT;
int32_t coord_round(float v);

// Maps a point in program coordinates to pixels by the image's mode.
void coord_to_pixel(const image_slot *record, float x, float y, int32_t *px, int32_t *py);

// Filled rectangle on the write page between two points in program
// coordinates, cut to the clip rectangle.
void box_fill_clipped(float x1, float y1, float x2, float y2, uint32_t colour);
// Filled rectangle of pixels the caller has already cut to the page.
void rect_fill_blend(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
// One pixel of the write page if inside the clip rectangle.
void pixel_put_blend(int32_t x, int32_t y, uint32_t colour);
// A pixel of the read page: 8-bit pages the byte & color_mask, 32-bit the word.
uint32_t pixel_read(int32_t x, int32_t y);

// The same operations on a given image.
void rect_fill_blend_on(image_slot *record, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                        uint32_t colour);
void pixel_put_blend_on(image_slot *record, int32_t x, int32_t y, uint32_t colour);
uint32_t pixel_read_on(const image_slot *record, int32_t x, int32_t y);
