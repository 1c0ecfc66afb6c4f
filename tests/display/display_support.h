// Shared helpers of the display tests: a fresh screen and frame ring, and
// message boxes caught instead of shown.
#pragma once

#include "core/errors.h"
#include "display/frame_ring.h"
#include "screen/image_slots.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// Every test starts from the start-up screen (SCREEN 0, 80 x 25), an empty
// frame ring, a builder that remembers nothing, the start-up layer order, a
// phase of 0, fresh hardware lists, and boxes recorded in `boxes_shown`.
class display_test : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;
};

// Texts of the message boxes shown since the test began.
extern std::vector<std::string> boxes_shown;

// The game's screen: WIDTH 66, 37 and font 8 (528 x 296 pixels).
void game_screen_set();
// Stores a cell (row and column 1-based) of the display page.
void cell_put(int32_t row, int32_t col, uint8_t code, uint8_t attribute);
// The ready slot with the highest order, or null.
frame_slot *newest_ready();
int ready_count();
// A frame pixel.
uint32_t frame_px(const frame_slot *slot, int32_t x, int32_t y);
// Expected pixel of a glyph of the 8 x 8 set: fg where the glyph is set.
uint32_t glyph8_px(uint8_t code, int32_t x, int32_t y, uint32_t fg, uint32_t bg);

// Runs a statement and takes the error it left pending (0 for none).
template <typename F> uint32_t error_of(F &&statement)
{
    statement();
    return error_pending_take();
}
