// Helpers of the drawing tests: pages in a chosen mode, page snapshots and a
// plain reference line.
#pragma once

#include "screen_support.h"
#include "support/test_support.h"

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

// The pixels whose value differs between two snapshots.
pixel_set pixels_changed(const image_slot *r, const std::vector<uint32_t> &before,
                         const std::vector<uint32_t> &after);
// The pixels of a line between two points: the major axis one step a pixel,
// the minor axis the true line rounded to nearest, halves up (the points
// must not be negative).
std::vector<std::pair<int32_t, int32_t>> reference_line(int32_t x1, int32_t y1, int32_t x2,
                                                        int32_t y2);
