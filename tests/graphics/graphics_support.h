// Shared helpers of the graphics tests: a fresh screen and hardware lists,
// pages in a chosen mode and their pixels.
#pragma once

#include "core/errors.h"
#include "display/hgc_queue.h"
#include "graphics/scaled_copy.h"
#include "screen/image_slots.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

// Every test starts from SCREEN 13 (320 x 200, 8 bits) on a fresh start-up
// screen, fresh hardware lists and depth modes, cursors at 0, no pending
// error; the pending error is cleared afterwards.
class graphics_test : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;
};

// The record of a software image handle.
image_slot *record_of(int32_t handle);
// A new image (mode 256 or 32) filled with a pattern of distinct pixels.
int32_t image_patterned(int32_t width, int32_t height, int32_t mode, uint32_t seed);
// The engine's view of an image record.
copy_picture picture_of(image_slot *r);
// A hardware image kept in memory (no GL needed until drawn); its handle.
int32_t hardware_image_kept(int32_t width, int32_t height, uint32_t colour = 0xFF00FF00);
// The command queued last for the display.
hgc_record last_queued();

// Starts every test from a fresh start-up screen with no pending error.
class page_test : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override { error_pending_take(); }
    // SCREEN mode (1-13), or a width x height image of mode 32 made the
    // screen; its pixels cleared. Returns the write page.
    image_slot *page(int32_t mode, int32_t width = 640, int32_t height = 480);
};

void pixel_set_to(image_slot *r, int32_t x, int32_t y, uint32_t value);
// The pixels whose value is not 0.
std::set<std::pair<int32_t, int32_t>> pixels_lit(const image_slot *r);

// Runs a statement and takes the error it left pending (0 for none).
template <typename F> uint32_t error_of(F &&statement)
{
    statement();
    return error_pending_take();
}
