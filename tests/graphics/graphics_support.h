// Shared helpers of the graphics tests: a fresh screen and hardware lists.
#pragma once

#include "graphics/scaled_copy.h"
#include "screen/image_slots.h"

#include <gtest/gtest.h>

#include <cstdint>
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
