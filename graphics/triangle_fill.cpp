// Textured triangles in software: the row walk and the spans. One walk serves
// eight fills, one per pixel rule (8-bit copy, 8-bit with a transparent
// index, 32-bit copy, 32-bit alpha blend) and texel addressing (direct, or
// modulo the source size), each instantiated from the templates below, so no
// per-pixel test of format, rule or addressing is made.
#include "graphics/triangle_internal.h"

#include "graphics/scaled_copy.h"
#include "screen/blend_tables.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace
{

constexpr int64_t ONE = 65536;

// a * b / c truncated toward zero, the product in 128 bits.
int64_t mul_div(int64_t a, int64_t b, int64_t c)
{
    return int64_t((__int128(a) * b) / c);
}

// x modulo m (m > 0), never negative.
int64_t floor_mod(int64_t x, int64_t m)
{
    int64_t r = x % m;
    return r < 0 ? r + m : r;
}

// The pixel rules. A gathering rule takes a span's texels in blocks and
// draws each block at once.
template <class P> struct rule_copy {
    using pixel = P;
    static constexpr bool gathers = false;
    void put(P &d, P s) const { d = s; }
};
struct rule_keyed8 {
    using pixel = uint8_t;
    static constexpr bool gathers = false;
    int32_t key;
    void put(uint8_t &d, uint8_t s) const
    {
        if (int32_t(s) != key)
            d = s;
    }
};
struct rule_blend32 {
    using pixel = uint32_t;
    static constexpr bool gathers = true;
    void put(uint32_t &d, uint32_t s) const { d = blend_pixel(d, s); }
    void put_block(uint32_t *d, const uint32_t *s, size_t n) const { blend_pixels_row(d, s, n); }
};

// Texel addressing. A walk hands the texels of one span, from u, v on by du,
// dv per pixel, to `emit`; `at` fetches a single texel.
template <class P> struct source_view {
    const P *pixels;
    size_t width;
    int64_t w16, h16; // the sizes in 16.16
    P texel(int64_t tx, int64_t ty) const { return pixels[size_t(ty) * width + size_t(tx)]; }
};

// The texels of n pixels from u, v on; a span along one source row (dv = 0,
// as under any mapping that keeps rows level) reads that row alone.
template <class P, class F>
void texels_emit(const source_view<P> &s, int64_t &u, int64_t &v, int64_t du, int64_t dv, size_t n,
                 F &emit)
{
    if (dv == 0) {
        const P *row = s.pixels + size_t(v >> 16) * s.width;
        for (size_t k = 0; k < n; k++) {
            emit(row[size_t(u >> 16)]);
            u += du;
        }
        return;
    }
    for (size_t k = 0; k < n; k++) {
        emit(s.texel(u >> 16, v >> 16));
        u += du;
        v += dv;
    }
}

// Direct: the source triangle lies inside the image.
template <class P> struct direct_walk {
    const source_view<P> &s;
    int64_t u, v, du, dv;
    static P at(const source_view<P> &s, int64_t u, int64_t v) { return s.texel(u >> 16, v >> 16); }
    template <class F> void run(size_t n, F &&emit) { texels_emit(s, u, v, du, dv, n, emit); }
};

// Modulo: positions are kept reduced modulo the 16.16 size, which gives the
// texel (u >> 16) mod width. The span runs directly up to each point where a
// position passes the image's edge and is brought back there.
template <class P> struct modulo_walk {
    const source_view<P> &s;
    int64_t u, v, du, dv;
    modulo_walk(const source_view<P> &view, int64_t u0, int64_t v0, int64_t du0, int64_t dv0)
        : s(view), u(floor_mod(u0, view.w16)), v(floor_mod(v0, view.h16)),
          du(floor_mod(du0, view.w16)), dv(floor_mod(dv0, view.h16))
    {
    }
    static P at(const source_view<P> &s, int64_t u, int64_t v)
    {
        return s.texel(floor_mod(u, s.w16) >> 16, floor_mod(v, s.h16) >> 16);
    }
    // Pixels before position p, stepping by d, reaches size.
    static size_t before_edge(int64_t p, int64_t d, int64_t size)
    {
        return d == 0 ? SIZE_MAX : size_t((size - 1 - p) / d + 1);
    }
    template <class F> void run(size_t n, F &&emit)
    {
        while (n > 0) {
            size_t m = std::min({n, before_edge(u, du, s.w16), before_edge(v, dv, s.h16)});
            texels_emit(s, u, v, du, dv, m, emit);
            n -= m;
            u -= u >= s.w16 ? s.w16 : 0;
            v -= v >= s.h16 ? s.h16 : 0;
        }
    }
};

// The inner pixels of a span.
template <class Rule, class Walk>
void span_draw(const Rule &rule, typename Rule::pixel *d, Walk &walk, size_t n)
{
    using P = typename Rule::pixel;
    if constexpr (Rule::gathers) {
        constexpr size_t BLOCK = 64;
        P block[BLOCK];
        for (size_t done = 0; done < n; done += BLOCK) {
            size_t m = std::min(BLOCK, n - done), k = 0;
            walk.run(m, [&](P t) { block[k++] = t; });
            rule.put_block(d + done, block, m);
        }
    } else {
        walk.run(n, [&](P t) { rule.put(*d++, t); });
    }
}

// One row's edges.
struct span_ends {
    int32_t xl, xr;
    int64_t ul, vl, ur, vr;
};

template <class Rule, template <class> class Walk> struct filler {
    using P = typename Rule::pixel;
    Rule rule;
    source_view<P> src;
    P *dst;
    int32_t width, height;
    bool no_shared_edges;

    void span(int32_t y, const span_ends &e) const;
    void part(const triangle_edge &l, const triangle_edge &r, int32_t first, int32_t last) const;
    void run(triangle_plan p) const;
};

// One row: every pixel the span touches, or with the no-shared-edges rule
// those whose right boundary lies after the left edge and not after the
// right one. End pixels whose centre lies outside the span take the edge's
// own texel; the others the texel at their centre.
template <class Rule, template <class> class Walk>
void filler<Rule, Walk>::span(int32_t y, const span_ends &e) const
{
    int32_t ixl = e.xl >> 16, ixr = e.xr >> 16;
    if (ixr < 0 || ixl >= width)
        return;
    P *row = dst + size_t(y) * size_t(width);
    int64_t dxs = int64_t(e.xr) - e.xl, du = 0, dv = 0, u = e.ul, v = e.vl;
    if (ixl != ixr) {
        du = mul_div(e.ur - e.ul, ONE, dxs);
        dv = mul_div(e.vr - e.vl, ONE, dxs);
    }
    int64_t fl = (e.xl & 0xFFFF) - 32768, fr = (e.xr & 0xFFFF) - 32768;
    if (fr < 0) {
        if (!no_shared_edges && ixr < width)
            rule.put(row[ixr], Walk<P>::at(src, e.ur, e.vr));
        ixr--;
    } else if (no_shared_edges) {
        ixr--;
    }
    if (ixr < 0 || ixl > ixr)
        return;
    if (fl > 0) {
        if (ixl >= 0)
            rule.put(row[ixl], Walk<P>::at(src, u, v));
        if (++ixl > ixr)
            return;
        fl -= ONE;
    }
    u += mul_div(-fl, du, ONE);
    v += mul_div(-fl, dv, ONE);
    if (ixl < 0) {
        u += mul_div(int64_t(-ixl) * ONE, e.ur - e.ul, dxs);
        v += mul_div(int64_t(-ixl) * ONE, e.vr - e.vl, dxs);
        ixl = 0;
    }
    ixr = std::min(ixr, width - 1);
    if (ixl > ixr)
        return;
    Walk<P> walk{src, u, v, du, dv};
    span_draw(rule, row + ixl, walk, size_t(ixr - ixl + 1));
}

// Rows first to last between two edges, clipped to the image.
template <class Rule, template <class> class Walk>
void filler<Rule, Walk>::part(const triangle_edge &l, const triangle_edge &r, int32_t first,
                              int32_t last) const
{
    first = std::max(first, 0);
    last = std::min(last, height - 1);
    if (first > last)
        return;
    edge_point a = edge_at(l, first), b = edge_at(r, first);
    span_ends e{a.x, b.x, a.u, a.v, b.u, b.v};
    for (int32_t y = first;; y++) {
        span(y, e);
        if (y == last)
            break;
        e.xl += l.x_step;
        e.ul += l.u_step;
        e.vl += l.v_step;
        e.xr += r.x_step;
        e.ur += r.u_step;
        e.vr += r.v_step;
    }
}

// The first part, then (two-part triangles) the second, in which the edge
// that ends first is replaced by the third edge.
template <class Rule, template <class> class Walk>
void filler<Rule, Walk>::run(triangle_plan p) const
{
    int32_t last = p.last - (p.one_part && no_shared_edges ? 1 : 0);
    if (p.first >= height)
        return;
    part(p.left, p.right, p.first, last);
    if (p.one_part || last >= height - 1)
        return;
    (p.left.bottom_y < p.right.bottom_y ? p.left : p.right) = p.third;
    part(p.left, p.right, p.third.top_y + 1, p.third.bottom_y - (no_shared_edges ? 1 : 0));
}

template <class Rule, template <class> class Walk>
void fill_with(Rule rule, const triangle_picture &s, const triangle_picture &d,
               const triangle_plan &p)
{
    using P = typename Rule::pixel;
    filler<Rule, Walk> f{rule,
                         {reinterpret_cast<const P *>(s.pixels), size_t(s.width),
                          int64_t(s.width) * ONE, int64_t(s.height) * ONE},
                         reinterpret_cast<P *>(d.pixels),
                         d.width,
                         d.height,
                         p.no_shared_edges};
    f.run(p);
}

template <class Rule>
void fill_rule(Rule rule, const triangle_picture &s, const triangle_picture &d,
               const triangle_plan &p)
{
    if (p.texel_wrap)
        fill_with<Rule, modulo_walk>(rule, s, d, p);
    else
        fill_with<Rule, direct_walk>(rule, s, d, p);
}

} // namespace

void triangle_fill(const triangle_picture &source, const triangle_picture &destination,
                   const triangle_plan &plan)
{
    if (source.bytes_per_pixel == 1 && destination.bytes_per_pixel == 1) {
        if (source.transparent_color == -1)
            fill_rule(rule_copy<uint8_t>{}, source, destination, plan);
        else
            fill_rule(rule_keyed8{source.transparent_color}, source, destination, plan);
    } else if (source.bytes_per_pixel == 4 && destination.bytes_per_pixel == 4) {
        if (source.blending_off || destination.blending_off)
            fill_rule(rule_copy<uint32_t>{}, source, destination, plan);
        else if (blend_tables_ensure())
            fill_rule(rule_blend32{}, source, destination, plan);
    }
}
