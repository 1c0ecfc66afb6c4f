// Array images: graphics GET copies a block of the read page into a program's
// array, graphics PUT draws such an image onto the write page.
//
// The array image format (little-endian): a u16 width field, a u16 height,
// then the rows, top row first, each starting on a byte boundary and packed in
// the page's own pixel format:
//   1 bit:   width field = w; (w + 7) / 8 bytes, leftmost pixel in bit 7
//   2 bits:  width field = 2w; (2w + 7) / 8 bytes, leftmost pixel in bits 7-6
//   4 bits:  width field = w; four planes of (w + 7) / 8 bytes, the plane of
//            pixel bit 0 first, leftmost pixel in bit 7
//   8 bits:  width field = 8w; one byte a pixel
//   32 bits: width field = w; one u32 a pixel, as the page stores it
// Unused low bits of a row's (or plane's) last byte are 0. The header does
// not say the format: an image is read in the format of the page PUT draws
// on. Arrays may lie at any address.
//
// Both statements map their points through the page's VIEW and WINDOW, return
// at once while an error is pending, and raise error 5 for a text page, a
// block that leaves the page (GET without a fill value, PUT without clipping)
// and an array too short for the image; nothing is written then, though a
// STEP has already moved the graphics cursor. Program thread only.
#pragma once

#include <cstdint>

struct byte_element;

// GET (x1, y1)-(x2, y2), array: bit 0 STEP on the first corner, bit 1 STEP on
// the second (relative to the first), bit 2 a fill value given for pixels
// outside the page. The graphics cursor ends on the second corner. Error 5
// also for a block whose width field or height does not fit 16 bits.
constexpr uint32_t GET_STEP_FIRST = 1, GET_STEP_SECOND = 2, GET_FILL = 4;
void rt_graphics_get(float x1, float y1, float x2, float y2, const byte_element *array,
                     uint32_t fill, uint32_t flags);

// PUT (x, y), array, action: bit 0 STEP (the cursor becomes the corner), bit 1
// a block may hang over the page's edges (the part outside is skipped), any
// higher bit: image pixels of the transparent colour are skipped.
constexpr uint32_t PUT_STEP = 1, PUT_CLIP = 2, PUT_TRANSPARENT = 4;
// Actions: the new page pixel from the page pixel d and the image pixel p.
// Action 6 and above change nothing.
enum put_action : uint32_t {
    PUT_XOR = 0,    // d XOR p
    PUT_PSET = 1,   // p
    PUT_PRESET = 2, // color_mask AND NOT p
    PUT_AND = 3,    // d AND p
    PUT_OR = 4,     // d OR p
    PUT_XOR_TOO = 5 // d XOR p
};
void rt_graphics_put(float x, float y, const byte_element *array, uint32_t action,
                     uint32_t transparent, uint32_t flags);

// The format helpers both statements share. Depths other than 1, 2, 4, 8 and
// 32 bits have no format: their row size is 0.
uint64_t array_image_width_field(uint32_t bits, uint64_t width);
uint64_t array_image_row_bytes(uint32_t bits, uint64_t width);
// A pixel value cut to the depth (32 bits: whole).
uint32_t array_image_value_cut(uint32_t bits, uint32_t value);
// One row of pixel values packed into the format, and back.
void array_image_row_pack(uint32_t bits, const uint32_t *values, uint64_t width, uint8_t *row);
void array_image_row_unpack(uint32_t bits, const uint8_t *row, uint64_t width, uint32_t *values);
