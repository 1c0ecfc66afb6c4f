// A per-pixel reference of the textured triangle. For every destination pixel
// it decides on its own which row part and which edges reach it, where those
// edges cross the row (interpolated from the vertices in closed form, not
// stepped), whether the pixel is drawn and from which texel, and applies the
// pixel rule of the scaled copy's reference (the blend formulas themselves).
// It never reads outside the source: a texel position outside it is reported
// instead. Shared by the unit tests, the fuzz target and the end-to-end
// program.
#pragma once

#include "graphics/scaled_copy_reference.h"
#include "graphics/triangle_map.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

inline triangle_picture triangle_view(test_picture &p)
{
    return {p.pixels(), p.width, p.height, p.bpp, p.key, p.blending_off};
}

namespace triangle_ref
{

using i128 = __int128;

struct vertex {
    int64_t x, y, u, v; // x 16.16 on a pixel centre; y a row
};
struct edge {
    vertex top, bottom;
};
// Where an edge crosses a row.
struct cross {
    int64_t x, u, v;
};

inline int64_t trunc_div(i128 a, int64_t b)
{
    return int64_t(a / b);
}

// One quantity of an edge at row y: exact at the edge's first row inside the
// image (or its top), whole steps from there.
inline int64_t along(int64_t a, int64_t b, int64_t ty, int64_t by, int64_t y)
{
    int64_t h = by - ty;
    if (h == 0)
        return a;
    int64_t r0 = std::max<int64_t>(ty, 0);
    return a + trunc_div(i128(b - a) * (r0 - ty), h) + (y - r0) * ((b - a) / h);
}

inline cross cross_at(const edge &e, int64_t y)
{
    const vertex &t = e.top, &b = e.bottom;
    return {along(t.x, b.x, t.y, b.y, y), along(t.u, b.u, t.y, b.y, y),
            along(t.v, b.v, t.y, b.y, y)};
}

inline bool convert(const float s[6], const float d[6], vertex v[3])
{
    for (int i = 0; i < 3; i++) {
        long double p[2];
        for (int k = 0; k < 2; k++) {
            p[k] = std::trunc((long double)s[i * 2 + k] * 65536.0L) + 32768.0L;
            if (!(std::fabs(p[k]) <= (long double)TRIANGLE_SOURCE_LIMIT))
                return false;
        }
        double dx = std::nearbyint(double(d[i * 2])), dy = std::nearbyint(double(d[i * 2 + 1]));
        if (!(std::fabs(dx) <= TRIANGLE_DEST_LIMIT && std::fabs(dy) <= TRIANGLE_DEST_LIMIT))
            return false;
        v[i] = {int64_t(dx) * 65536 + 32768, int64_t(dy), int64_t(p[0]), int64_t(p[1])};
    }
    return true;
}

inline bool near_edge(int64_t p, int64_t size)
{
    return p <= 15 || p >= size * 65536 - 16;
}

// Moves the triangle into the source by whole sizes; true when texels must
// still be addressed modulo the size.
inline bool wrap_decide(vertex v[3], int64_t w, int64_t h)
{
    auto reaches = [&] {
        return std::any_of(v, v + 3,
                           [&](const vertex &p) { return near_edge(p.u, w) || near_edge(p.v, h); });
    };
    if (!reaches())
        return false;
    bool moved = false;
    for (int axis = 0; axis < 2; axis++) {
        int64_t size = (axis ? h : w) * 65536, least = INT64_MAX;
        for (int i = 0; i < 3; i++)
            least = std::min(least, axis ? v[i].v : v[i].u);
        int64_t shift = least < 0 ? size * ((least + 1) / -size + 1)
                                  : (least >= size ? -size * (least / size) : 0);
        for (int i = 0; i < 3; i++)
            (axis ? v[i].v : v[i].u) += shift;
        moved |= shift != 0;
    }
    return !moved || reaches();
}

// The triangle's parts: rows and edges of each.
struct shape {
    edge left, right, third;
    bool one_part;
};

inline shape shape_of(const vertex v[3])
{
    edge e[3];
    int flat = 0, last_flat = 0;
    for (int i = 0; i < 3; i++) {
        const vertex &a = v[i], &b = v[(i + 1) % 3];
        e[i] = b.y < a.y ? edge{b, a} : edge{a, b};
        if (a.y == b.y) {
            flat++;
            last_flat = i;
        }
    }
    shape s{e[0], e[1], e[2], flat > 0};
    if (flat == 0) {
        if (s.third.top.y < s.left.top.y)
            std::swap(s.left, s.third);
        if (s.third.top.y < s.right.top.y)
            std::swap(s.right, s.third);
    } else if (flat == 1 && last_flat < 2) {
        std::swap(last_flat == 0 ? s.left : s.right, s.third);
    } else if (flat == 3) {
        int lo = 0, hi = 0;
        for (int i = 0; i < 3; i++) {
            lo = v[i].x <= v[lo].x ? i : lo;
            hi = v[i].x >= v[hi].x ? i : hi;
        }
        s.left = {v[lo], v[lo]};
        s.right = {v[hi], v[hi]};
    }
    int64_t d = std::min(s.left.bottom.y, s.right.bottom.y) - s.left.top.y;
    auto half = [&](const edge &e) {
        int64_t h = e.bottom.y - e.top.y;
        return e.top.x + d * (h ? (e.bottom.x - e.top.x) / h : 0) / 2;
    };
    if (half(s.left) > half(s.right))
        std::swap(s.left, s.right);
    return s;
}

// The edges that draw row y, or false.
inline bool row_edges(const shape &s, int64_t y, int64_t height, bool nse, edge *l, edge *r)
{
    int64_t first = s.left.top.y, last = std::min(s.left.bottom.y, s.right.bottom.y);
    int64_t last_drawn = last - (s.one_part && nse ? 1 : 0);
    *l = s.left;
    *r = s.right;
    if (y >= first && y <= last_drawn)
        return true;
    if (s.one_part || last_drawn >= height - 1)
        return false;
    (s.left.bottom.y < s.right.bottom.y ? *l : *r) = s.third;
    return y > s.third.top.y && y <= s.third.bottom.y - (nse ? 1 : 0);
}

// The texel position pixel x of a row takes, or false when not drawn.
inline bool pixel_source(int64_t x, int64_t width, bool nse, const cross &l, const cross &r,
                         int64_t *u, int64_t *v)
{
    int64_t ixl = l.x >> 16, ixr = r.x >> 16, fl = (l.x & 0xFFFF) - 32768,
            fr = (r.x & 0xFFFF) - 32768, span = r.x - l.x;
    if (ixr < 0 || ixl >= width)
        return false;
    int64_t last = (fr < 0 || nse) ? ixr - 1 : ixr;
    if (fr < 0 && !nse && x == ixr) {
        *u = r.u, *v = r.v;
        return x < width;
    }
    if (last < 0 || ixl > last)
        return false;
    int64_t first = ixl;
    if (fl > 0) {
        if (x == ixl) {
            *u = l.u, *v = l.v;
            return x >= 0;
        }
        first++, fl -= 65536;
    }
    if (x < std::max<int64_t>(first, 0) || x > std::min(last, width - 1))
        return false;
    int64_t du = ixl == ixr ? 0 : trunc_div(i128(r.u - l.u) * 65536, span);
    int64_t dv = ixl == ixr ? 0 : trunc_div(i128(r.v - l.v) * 65536, span);
    int64_t from = std::max<int64_t>(first, 0), cols = from - first;
    *u = l.u + trunc_div(i128(-fl) * du, 65536);
    *v = l.v + trunc_div(i128(-fl) * dv, 65536);
    if (cols > 0) {
        *u += trunc_div(i128(cols) * 65536 * (r.u - l.u), span);
        *v += trunc_div(i128(cols) * 65536 * (r.v - l.v), span);
    }
    *u += (x - from) * du;
    *v += (x - from) * dv;
    return true;
}

struct result {
    bool valid = false;        // the coordinates passed the checks
    bool read_outside = false; // a texel outside the source was asked for
};

} // namespace triangle_ref

// Draws the triangle into `dst` by the reference.
inline triangle_ref::result reference_triangle(test_picture &src, test_picture &dst,
                                               const float s[6], const float d[6], bool nse)
{
    using namespace triangle_ref;
    result res;
    vertex v[3];
    if (!convert(s, d, v))
        return res;
    res.valid = true;
    bool wrap = wrap_decide(v, src.width, src.height);
    shape sh = shape_of(v);
    for (int64_t y = 0; y < dst.height; y++) {
        edge le, re;
        if (!row_edges(sh, y, dst.height, nse, &le, &re))
            continue;
        cross l = cross_at(le, y), r = cross_at(re, y);
        for (int64_t x = 0; x < dst.width; x++) {
            int64_t u, vv;
            if (!pixel_source(x, dst.width, nse, l, r, &u, &vv))
                continue;
            int64_t tx = u >> 16, ty = vv >> 16;
            if (wrap) {
                tx = ((tx % src.width) + src.width) % src.width;
                ty = ((ty % src.height) + src.height) % src.height;
            }
            if (tx < 0 || ty < 0 || tx >= src.width || ty >= src.height) {
                res.read_outside = true;
                continue;
            }
            dst.set(x, y, reference_pixel(src, dst, src.get(tx, ty), dst.get(x, y)));
        }
    }
    return res;
}
