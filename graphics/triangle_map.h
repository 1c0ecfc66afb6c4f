// Textured triangles: a triangle of a source image mapped onto a triangle of
// a destination image, each destination vertex taking the texel position of
// the matching source vertex.
//
// image_triangle_map is the statement. With a hardware source it queues one
// 2-D or 3-D textured-triangle command (hgc_queue.h) that the display draws
// with the next frame; between software images and screen pages it fills the
// triangle at once through triangle_map_pixels.
//
// The software fill: destination vertices are rounded to whole pixels (pixel
// p covers p to p + 1, so a vertex lies on a pixel centre); source positions
// are 16.16 fixed point with half a texel added, held in 64 bits so that no
// size or position of any source can overflow. A source triangle that leaves
// the image is first moved by whole image sizes; when it still reaches an
// edge, texels are addressed modulo the image size (the image repeats). Each
// pixel takes the texel nearest its centre. Without the no-shared-edges rule
// every pixel a row's span touches is drawn, the top and the bottom row
// included; with it a pixel is drawn when its right boundary lies after the
// left edge and not after the right edge, and the bottom row is left out, so
// two triangles sharing an edge draw each pixel of it once (clipped or not).
#pragma once

#include <cstdint>

// Flags of image_triangle_map: which optional arguments were given.
constexpr uint32_t TRIANGLE_NO_SHARED_EDGES = 1;
constexpr uint32_t TRIANGLE_SOURCE_GIVEN = 2;
constexpr uint32_t TRIANGLE_Z_GIVEN = 4 | 8 | 16; // any z makes the triangle 3-D
constexpr uint32_t TRIANGLE_DEST_GIVEN = 32;
constexpr uint32_t TRIANGLE_SMOOTH_GIVEN = 64; // never consulted

// The statement. Source vertices in source pixels, destination vertices
// (x, y, z) in destination pixels; no WINDOW or VIEW mapping applies and no
// graphics cursor moves. Hardware road: cull_mode 1 or 2 (3-D only) and
// smooth go into the command; errors 258 (a negative destination that is no
// hardware image), 5 (a destination above 1, the no-shared-edges rule on a
// 2-D triangle). Software road: errors 5 (a z given, text pages, differing
// pixel sizes, a NaN or out-of-range coordinate) and 258 (a handle naming no
// image); nothing is drawn before every check has passed. Returns at once
// while an error is pending. Program thread.
void image_triangle_map(int32_t cull_mode, float sx1, float sy1, float sx2, float sy2, float sx3,
                        float sy3, int32_t source, float dx1, float dy1, float dz1, float dx2,
                        float dy2, float dz2, float dx3, float dy3, float dz3, int32_t destination,
                        int32_t smooth, uint32_t flags);

// The software fill's view of one image.
struct triangle_picture {
    uint8_t *pixels;           // rows of `width` pixels
    int32_t width, height;     // pixels
    int32_t bytes_per_pixel;   // 1 (palette index) or 4 (0xAARRGGBB), equal on both sides
    int32_t transparent_color; // 1-byte sources: index that is not drawn, -1 none
    bool blending_off;         // 4-byte images: plain copy when set on either side
};

// Destination coordinate limit, after rounding.
constexpr int32_t TRIANGLE_DEST_LIMIT = 16383;
// Source position limit: 16.16 with the half texel added.
constexpr int64_t TRIANGLE_SOURCE_LIMIT = 16383LL * 65536 + 32678;

// Fills the destination triangle (x, y pairs) from the source triangle. False,
// with nothing drawn, when a coordinate is NaN or beyond the limits. Pixel
// rules: 4-byte pixels blend by the texel's alpha (blend_tables.h) unless
// blending is off on either side; 1-byte texels equal to the source's
// transparent index are skipped. Nothing outside either picture is read or
// written.
bool triangle_map_pixels(const triangle_picture &source, const triangle_picture &destination,
                         const float source_xy[6], const float dest_xy[6], bool no_shared_edges);
