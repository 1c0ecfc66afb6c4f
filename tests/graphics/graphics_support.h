// Helpers of the graphics statement tests: pages in a chosen mode and their
// pixels.
#pragma once

#include "core/errors.h"
#include "screen/image_slots.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

// Starts every test from a fresh start-up screen with no pending error.
class graphics_test : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override { error_pending_take(); }
    // SCREEN mode (1-13), or a width x height image of mode 32 made the
    // screen; its pixels cleared. Returns the write page.
    image_slot *page(int32_t mode, int32_t width = 640, int32_t height = 480);
};

uint32_t pixel_of(const image_slot *r, int32_t x, int32_t y);
void pixel_set_to(image_slot *r, int32_t x, int32_t y, uint32_t value);
// The page's pixels as 32-bit values (palette pages: the byte).
std::vector<uint32_t> page_pixels(const image_slot *r);
// The pixels whose value is not 0.
std::set<std::pair<int32_t, int32_t>> pixels_lit(const image_slot *r);
