// Between the textured triangle's set-up (triangle_setup.cpp) and its row
// walk (triangle_fill.cpp).
#pragma once

#include "graphics/triangle_map.h"

#include <cstdint>

// One triangle edge, from its top vertex (the smaller row) to its bottom one.
// x is 16.16 on the destination (32 bits; the limits keep it there), u and v
// 16.16 source positions (64 bits). Steps are per row, truncated toward zero.
struct triangle_edge {
    int32_t top_y, bottom_y;
    int32_t x_top, x_bottom;
    int64_t u_top, u_bottom, v_top, v_bottom;
    int32_t x_step;
    int64_t u_step, v_step;
};

// Where an edge crosses a row: x, u, v.
struct edge_point {
    int32_t x;
    int64_t u, v;
};

// The edge at row r (r at least max(top_y, 0)). Rows from the edge's first
// drawable row r0 = max(top_y, 0) on are r0's exact value plus whole steps,
// where r0's value is interpolated from the vertices in 64 bits; so every
// triangle that shares the edge meets each row at the same x.
edge_point edge_at(const triangle_edge &e, int32_t r);

// A triangle ready to fill: the left and right edges of the first part, the
// third edge that replaces the one ending first, and the first part's rows.
struct triangle_plan {
    triangle_edge left, right, third;
    int32_t first, last;
    bool one_part;
    bool no_shared_edges;
    bool texel_wrap; // source texels addressed modulo the image size
};

// Fills the planned triangle with the pixel rule the pictures call for.
void triangle_fill(const triangle_picture &source, const triangle_picture &destination,
                   const triangle_plan &plan);
