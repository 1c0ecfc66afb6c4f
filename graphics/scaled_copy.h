// Scaled image copy: a rectangle of one image copied onto a rectangle of
// another, stretched or shrunk to fit by nearest pixel, and mirrored on an
// axis where the two rectangles run opposite ways.
//
// image_rect_copy_scaled is the statement. Between software images and screen
// pages it copies at once through the copy engine below; with a hardware
// source it queues one textured rectangle (hgc_queue.h) that the display
// draws with the next frame.
//
// Corners arrive in logical coordinates and become physical pixels by each
// image's coordinate mode, rounded to 32-bit integers (ties to even); every
// sum, difference and span after that is done in 64 bits (a scaled copy's
// sampling positions and cuts in f64), so corners far outside an image (or
// infinite ones, which saturate) clip correctly instead of wrapping.
#pragma once

#include <cstddef>
#include <cstdint>

// Flags of image_rect_copy_scaled: which optional parts were given.
constexpr uint32_t COPY_DEST_CORNER1_GIVEN = 1;
constexpr uint32_t COPY_DEST_CORNER1_STEP = 2; // relative to the destination's graphics cursor
constexpr uint32_t COPY_DEST_CORNER2_GIVEN = 4;
constexpr uint32_t COPY_SOURCE_GIVEN = 8;
constexpr uint32_t COPY_DEST_CORNER2_STEP = 16; // relative to the first destination corner
constexpr uint32_t COPY_DEST_GIVEN = 32;
constexpr uint32_t COPY_SOURCE_CORNER1_GIVEN = 64;
constexpr uint32_t COPY_SMOOTH = 128; // hardware copies: linear filtering
constexpr uint32_t COPY_SOURCE_CORNER1_STEP = 256;
constexpr uint32_t COPY_SOURCE_CORNER2_GIVEN = 512;
constexpr uint32_t COPY_SOURCE_CORNER2_STEP = 1024;

// The statement. Errors: 5 (text pages, a 32-bit source onto an 8-bit image,
// an image onto itself, a first source corner alone, NaN in a used corner, a
// hardware destination handle above 1) and 258 (a handle naming no image). It
// runs even while an error is pending. Program thread.
void image_rect_copy_scaled(double dx1, double dy1, double dx2, double dy2, int32_t source,
                            int32_t destination, double sx1, double sy1, double sx2, double sy2,
                            uint32_t flags);

// The graphics cursors that all hardware sources, and all hardware image
// destinations, share (logical coordinates; they start at 0).
struct copy_cursor {
    float x, y;
};
extern copy_cursor hardware_source_cursor;
extern copy_cursor hardware_dest_cursor;

// The software copy engine's view of one image.
struct copy_picture {
    uint8_t *pixels;           // rows of `width` pixels
    int32_t width, height;     // pixels
    int32_t bytes_per_pixel;   // 1 (palette index) or 4 (0xAARRGGBB)
    const uint32_t *palette;   // a 1-byte source's colours, used onto 4-byte images
    int32_t transparent_color; // source index that is not copied, -1 none
    bool blending_off;         // 4-byte images: plain copy when set on either side
};

// Inclusive pixel corners in any order.
struct copy_rect {
    int64_t x1, y1, x2, y2;
};

// Copies `from` of the source onto `to` of the destination: mirrored where
// the rectangles run opposite ways, cut to the pixels that exist on both
// sides, one to one when the spans are equal on both axes and by nearest
// pixel otherwise. Pixel rules: a 1-byte source onto a 4-byte image through
// the palette; 1 onto 1 byte as is; 4 onto 4 bytes by the source's alpha
// (blend_tables.h) unless blending is off on either image. The source's
// transparent index is skipped. A 4-byte source onto a 1-byte image copies
// nothing (the statement refuses it). Nothing outside either picture is read
// or written.
void scaled_copy_pixels(const copy_picture &source, copy_rect from, const copy_picture &destination,
                        copy_rect to);

// Blends n 0xAARRGGBB source pixels over n destination pixels by each source
// pixel's alpha exactly as blend_pixel does (blend_tables.h), eight at a time
// where the processor can. The tables must exist.
void blend_pixels_row(uint32_t *destination, const uint32_t *source, size_t n);
