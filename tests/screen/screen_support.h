// Shared helpers of the screen tests.
#pragma once

#include "core/errors.h"
#include "screen/image_slots.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

// Starts every test from a fresh start-up screen (SCREEN 0, 80 x 25) with no
// pending error; clears the pending error afterwards.
class screen_test : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// The record of screen page p (made to exist).
image_slot *page_record(uint32_t page);
// Cell (row, col), both 1-based, of a text image.
uint16_t cell_at(const image_slot *r, int32_t row, int32_t col);
// A 32-bit pixel of an image.
uint32_t &pixel32(image_slot *r, int32_t x, int32_t y);

// Runs a statement and takes the error it left pending (0 for none).
template <typename F> uint32_t error_of(F &&statement)
{
    statement();
    return error_pending_take();
}

// SHA-256 of a byte block, as lowercase hex.
std::string sha256_hex(const uint8_t *data, size_t size);
