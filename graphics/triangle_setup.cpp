// Textured triangles in software: coordinate checks, fixed point, the texel
// wrap decision, and the three edges in drawing order.
#include "graphics/triangle_internal.h"

#include "core/small_ops.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{

constexpr int64_t ONE = 65536;  // 1.0 in 16.16
constexpr int64_t HALF = 32768; // half a pixel or texel
constexpr int64_t WRAP_MARGIN = 16;

// One vertex: x 16.16 on a pixel centre, y a row, u and v 16.16 source
// positions with the half texel added.
struct vertex {
    int32_t x, y;
    int64_t u, v;
};

// A source coordinate as a 16.16 position (the product exact in extended
// precision, truncated toward zero) plus half a texel; false for NaN and
// beyond the limit.
bool source_position(float s, int64_t *out)
{
    if (std::isnan(s))
        return false;
    int64_t whole = long_double_to_int64_saturating((long double)s * ONE);
    if (whole > TRIANGLE_SOURCE_LIMIT || whole < -TRIANGLE_SOURCE_LIMIT - ONE)
        return false;
    *out = whole + HALF;
    return *out >= -TRIANGLE_SOURCE_LIMIT && *out <= TRIANGLE_SOURCE_LIMIT;
}

// A destination coordinate rounded to the nearest pixel (ties to even);
// false for NaN and beyond the limit.
bool dest_position(float d, int32_t *out)
{
    if (std::isnan(d))
        return false;
    *out = round_float_to_int32(d);
    return *out >= -TRIANGLE_DEST_LIMIT && *out <= TRIANGLE_DEST_LIMIT;
}

bool near_edge(int64_t p, int64_t size16)
{
    return p < WRAP_MARGIN || p >= size16 - WRAP_MARGIN;
}

// Moves the positions of one axis by whole image sizes so that the least
// lies inside the image; true when a move was made.
bool axis_move(int64_t *p[3], int64_t size16)
{
    int64_t least = std::min({*p[0], *p[1], *p[2]});
    int64_t by = 0;
    if (least < 0)
        by = size16 * ((least + 1) / -size16 + 1);
    else if (least >= size16)
        by = -size16 * (least / size16);
    for (int i = 0; i < 3; i++)
        *p[i] += by;
    return by != 0;
}

// Whether texels must be addressed modulo the image size. A triangle that
// reaches an edge is moved into the image first; it then needs wrapping only
// when it still reaches one.
bool texel_wrap_decide(vertex v[3], int64_t w16, int64_t h16)
{
    auto reaches = [&] {
        for (int i = 0; i < 3; i++)
            if (near_edge(v[i].u, w16) || near_edge(v[i].v, h16))
                return true;
        return false;
    };
    if (!reaches())
        return false;
    int64_t *us[3] = {&v[0].u, &v[1].u, &v[2].u}, *vs[3] = {&v[0].v, &v[1].v, &v[2].v};
    bool moved_u = axis_move(us, w16);
    bool moved_v = axis_move(vs, h16);
    return !(moved_u || moved_v) || reaches();
}

// The edge from vertex a to vertex b; the top is a on equal rows.
triangle_edge edge_make(const vertex &a, const vertex &b)
{
    const vertex &t = b.y < a.y ? b : a, &m = b.y < a.y ? a : b;
    triangle_edge e{t.y, m.y, t.x, m.x, t.u, m.u, t.v, m.v, 0, 0, 0};
    int32_t dy = m.y - t.y;
    if (dy != 0) {
        e.x_step = int32_t((int64_t(m.x) - t.x) / dy);
        e.u_step = (m.u - t.u) / dy;
        e.v_step = (m.v - t.v) / dy;
    }
    return e;
}

// A one-row edge standing still at a vertex.
triangle_edge edge_point_at(const vertex &p)
{
    return {p.y, p.y, p.x, p.x, p.u, p.u, p.v, p.v, 0, 0, 0};
}

// Left, right and third edge. No horizontal edge: left and right start at
// the top vertex, the third runs from the middle to the bottom vertex. One
// horizontal edge: it is the third, not drawn. All three on one row: left
// and right stand at the vertices of least and greatest x (the highest
// numbered among equals).
void edges_order(const vertex v[3], triangle_plan &p)
{
    triangle_edge e[3] = {edge_make(v[0], v[1]), edge_make(v[1], v[2]), edge_make(v[2], v[0])};
    int horizontal = 0, last_horizontal = 0;
    for (int i = 0; i < 3; i++)
        if (e[i].top_y == e[i].bottom_y) {
            horizontal++;
            last_horizontal = i;
        }
    p.left = e[0];
    p.right = e[1];
    p.third = e[2];
    p.one_part = horizontal > 0;
    if (horizontal == 0) {
        if (p.third.top_y < p.left.top_y)
            std::swap(p.left, p.third);
        if (p.third.top_y < p.right.top_y)
            std::swap(p.right, p.third);
    } else if (horizontal == 1) {
        if (last_horizontal == 0)
            std::swap(p.left, p.third);
        else if (last_horizontal == 1)
            std::swap(p.right, p.third);
    } else {
        int least = 0, most = 0;
        for (int i = 1; i < 3; i++) {
            if (v[i].x <= v[least].x)
                least = i;
            if (v[i].x >= v[most].x)
                most = i;
        }
        p.left = edge_point_at(v[least]);
        p.right = edge_point_at(v[most]);
    }
}

// The first part's rows, and left and right exchanged when the left edge
// lies right of the other half-way down the part.
void part_sides(triangle_plan &p)
{
    p.first = p.left.top_y;
    p.last = std::min(p.left.bottom_y, p.right.bottom_y);
    int64_t d = int64_t(p.last) - p.first;
    int64_t xa = p.left.x_top + (d * p.left.x_step) / 2;
    int64_t xb = p.right.x_top + (d * p.right.x_step) / 2;
    if (xa > xb)
        std::swap(p.left, p.right);
}

// The vertices from the coordinates; false when one is NaN or out of range.
bool vertices_make(const float s[6], const float d[6], vertex v[3])
{
    for (int i = 0; i < 3; i++) {
        int32_t dx, dy;
        if (!source_position(s[i * 2], &v[i].u) || !source_position(s[i * 2 + 1], &v[i].v) ||
            !dest_position(d[i * 2], &dx) || !dest_position(d[i * 2 + 1], &dy))
            return false;
        v[i].x = int32_t(int64_t(dx) * ONE + HALF);
        v[i].y = dy;
    }
    return true;
}

bool outside(const vertex v[3], const triangle_picture &d)
{
    auto [ly, hy] = std::minmax({v[0].y, v[1].y, v[2].y});
    auto [lx, hx] = std::minmax({v[0].x >> 16, v[1].x >> 16, v[2].x >> 16});
    return hy < 0 || ly >= d.height || hx < 0 || lx >= d.width;
}

} // namespace

edge_point edge_at(const triangle_edge &e, int32_t r)
{
    int64_t h = int64_t(e.bottom_y) - e.top_y;
    if (h == 0)
        return {e.x_top, e.u_top, e.v_top};
    int64_t r0 = std::max(e.top_y, 0), k = r0 - e.top_y, n = int64_t(r) - r0;
    return {int32_t(e.x_top + (int64_t(e.x_bottom) - e.x_top) * k / h + n * e.x_step),
            e.u_top + (e.u_bottom - e.u_top) * k / h + n * e.u_step,
            e.v_top + (e.v_bottom - e.v_top) * k / h + n * e.v_step};
}

bool triangle_map_pixels(const triangle_picture &source, const triangle_picture &destination,
                         const float source_xy[6], const float dest_xy[6], bool no_shared_edges)
{
    vertex v[3];
    if (!vertices_make(source_xy, dest_xy, v))
        return false;
    if (!source.pixels || !destination.pixels || source.width < 1 || source.height < 1 ||
        outside(v, destination))
        return true;
    triangle_plan plan{};
    plan.no_shared_edges = no_shared_edges;
    plan.texel_wrap =
        texel_wrap_decide(v, int64_t(source.width) * ONE, int64_t(source.height) * ONE);
    edges_order(v, plan);
    part_sides(plan);
    triangle_fill(source, destination, plan);
    return true;
}
