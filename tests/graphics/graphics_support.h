// Helpers of the graphics statement tests: pages in a chosen mode, page
// snapshots, and strings and values placed in the DOS string area.
#pragma once

#include "core/errors.h"
#include "screen/image_slots.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

// Starts every test from a fresh start-up screen with no pending error.
class graphics_test : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override { error_pending_take(); }
    // SCREEN mode (1-13), or a width x height image of mode 32 or 256 made
    // the screen. Returns the write page.
    image_slot *page(int32_t mode, int32_t width = 640, int32_t height = 480);
};

using pixel_set = std::set<std::pair<int32_t, int32_t>>;

uint32_t pixel_of(const image_slot *r, int32_t x, int32_t y);
void pixel_set_to(image_slot *r, int32_t x, int32_t y, uint32_t value);
// The page's pixels as 32-bit values (palette pages: the byte).
std::vector<uint32_t> page_pixels(const image_slot *r);
// The pixels whose value is not 0.
pixel_set pixels_lit(const image_slot *r);

// The DOS string area, and bytes placed at an offset of it.
uint8_t *dos_area();
void dos_put(uint16_t offset, const std::string &bytes);
// A DOS string: its 4-byte descriptor at one offset, its characters at
// another.
void dos_string_put(uint16_t descriptor, uint16_t chars, const std::string &text);
// The bytes of a little-endian u16.
std::string le16(uint16_t v);
