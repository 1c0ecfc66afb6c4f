// Helpers of the drawing tests: pages in a chosen mode, page snapshots and a
// plain reference line.
#pragma once

#include "screen_support.h"

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

// Screen tests whose write page starts as a graphics page.
class drawing_test : public screen_test
{
  protected:
    // SCREEN mode (1-13), or a width x height image of mode 32 made the
    // screen. Returns the write page.
    image_slot *page(int32_t mode, int32_t width = 640, int32_t height = 480);
};

using pixel_set = std::set<std::pair<int32_t, int32_t>>;

// The page's pixels as 32-bit values (palette pages: the byte).
std::vector<uint32_t> page_pixels(const image_slot *r);
// The pixels whose value differs between two snapshots.
pixel_set pixels_changed(const image_slot *r, const std::vector<uint32_t> &before,
                         const std::vector<uint32_t> &after);
// The value of one pixel of a page.
uint32_t pixel_of(const image_slot *r, int32_t x, int32_t y);
// The pixels of a line between two points: the major axis one step a pixel,
// the minor axis the true line rounded to nearest, halves up (the points
// must not be negative).
std::vector<std::pair<int32_t, int32_t>> reference_line(int32_t x1, int32_t y1, int32_t x2,
                                                        int32_t y2);
