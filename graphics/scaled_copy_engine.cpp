#include "graphics/scaled_copy.h"

#include "screen/blend_tables.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace
{

// How far a source rectangle reaches beyond its pixel centres when it is
// scaled: almost half a pixel on each side.
constexpr double EDGE_WIDEN = 0.499999;

// One axis of a copy: which destination pixels are drawn and which source
// pixel each of them takes.
struct axis_plan {
    int64_t first = 0, last = -1; // destination pixels drawn, inclusive; none when first > last
    bool one_to_one = true;
    bool flip = false;
    int64_t source_first = 0;     // one to one: the source pixel of `first`
    std::vector<int32_t> samples; // scaled: the source pixel of each pixel from `first`
    int64_t count() const { return last - first + 1; }
};

// One axis of the two rectangles, ordered low to high.
struct axis_span {
    int64_t d1, d2, s1, s2;
    int64_t dest_size, source_size;
    bool flip;
};

axis_span axis_span_of(int64_t d1, int64_t d2, int64_t s1, int64_t s2, int64_t dest_size,
                       int64_t source_size)
{
    bool flip = (d2 < d1 && s2 > s1) || (s2 < s1 && d2 > d1);
    if (d2 < d1)
        std::swap(d1, d2);
    if (s2 < s1)
        std::swap(s1, s2);
    return {d1, d2, s1, s2, dest_size, source_size, flip};
}

// Equal spans: destination pixel d takes source pixel s1 + (d - d1), or
// s2 - (d - d1) mirrored; the drawn part is where both exist.
void one_to_one_plan(const axis_span &a, axis_plan &p)
{
    p.one_to_one = true;
    p.flip = a.flip;
    int64_t lo = std::max<int64_t>(a.d1, 0), hi = std::min(a.d2, a.dest_size - 1);
    if (a.flip) {
        lo = std::max(lo, a.d1 + a.s2 - a.source_size + 1);
        hi = std::min(hi, a.d1 + a.s2);
    } else {
        lo = std::max(lo, a.d1 - a.s1);
        hi = std::min(hi, a.d1 - a.s1 + a.source_size - 1);
    }
    p.first = lo;
    p.last = hi;
    p.source_first = a.flip ? a.s2 - (lo - a.d1) : a.s1 + (lo - a.d1);
}

// Sampling positions of a scaled axis: step k of the walk (k = 0 at the
// rectangle's first destination pixel, or its last when mirrored) samples
// round(start + k * step). Each position is computed from k alone, so the
// samples never drift, and they never decrease with k.
struct sampler {
    double start, step;
    double at(int64_t k) const { return std::nearbyint(start + double(k) * step); }
};

// The lowest k in [lo, hi + 1] whose sample is at least `bound`; hi + 1 when
// none is.
int64_t first_k_from(const sampler &s, int64_t lo, int64_t hi, double bound)
{
    while (lo <= hi) {
        int64_t mid = lo + (hi - lo) / 2;
        if (s.at(mid) >= bound)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    return lo;
}

// The highest k in [lo - 1, hi] whose sample is at most `bound`.
int64_t last_k_to(const sampler &s, int64_t lo, int64_t hi, double bound)
{
    while (lo <= hi) {
        int64_t mid = lo + (hi - lo) / 2;
        if (s.at(mid) <= bound)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return hi;
}

// Unequal spans: the source span widened to the pixels' outer edges is spread
// evenly over the destination pixels. Only the steps whose destination pixel
// exists and whose sample lies inside the source are drawn. A destination
// span of 0 samples the first source pixel alone.
void scaled_plan(const axis_span &a, axis_plan &p)
{
    p.one_to_one = false;
    p.flip = a.flip;
    double start = double(a.s1) - EDGE_WIDEN, end = double(a.s2) + EDGE_WIDEN;
    int64_t w = a.d2 - a.d1;
    sampler s{start, w ? (end - start) / double(w) : 0.0};
    int64_t lo = a.flip ? std::max<int64_t>(0, a.d2 - (a.dest_size - 1)) : std::max<int64_t>(0, -a.d1);
    int64_t hi = a.flip ? std::min(w, a.d2) : std::min(w, a.dest_size - 1 - a.d1);
    if (lo <= hi) {
        lo = first_k_from(s, lo, hi, 0.0);
        hi = last_k_to(s, lo, hi, double(a.source_size - 1));
    }
    p.samples.clear();
    if (lo > hi) {
        p.first = 0;
        p.last = -1;
        return;
    }
    p.first = a.flip ? a.d2 - hi : a.d1 + lo;
    p.last = a.flip ? a.d2 - lo : a.d1 + hi;
    p.samples.resize(size_t(hi - lo + 1));
    for (int64_t j = 0; j <= hi - lo; j++)
        p.samples[size_t(j)] = int32_t(s.at(a.flip ? hi - j : lo + j));
}

// The pixel rules. `replaces`: the result does not depend on the destination,
// so a row may be copied whole from one made before.
struct rule_palette_keyed {
    using source_t = uint8_t;
    using dest_t = uint32_t;
    static constexpr bool replaces = false;
    const uint32_t *palette;
    int32_t key;
    void put(uint32_t &d, uint8_t i) const
    {
        if (int32_t(i) != key)
            d = palette[i];
    }
};
struct rule_palette {
    using source_t = uint8_t;
    using dest_t = uint32_t;
    static constexpr bool replaces = true;
    const uint32_t *palette;
    void put(uint32_t &d, uint8_t i) const { d = palette[i]; }
};
struct rule_index_keyed {
    using source_t = uint8_t;
    using dest_t = uint8_t;
    static constexpr bool replaces = false;
    int32_t key;
    void put(uint8_t &d, uint8_t i) const
    {
        if (int32_t(i) != key)
            d = i;
    }
};
struct rule_index {
    using source_t = uint8_t;
    using dest_t = uint8_t;
    static constexpr bool replaces = true;
    void put(uint8_t &d, uint8_t i) const { d = i; }
};
struct rule_blend {
    using source_t = uint32_t;
    using dest_t = uint32_t;
    static constexpr bool replaces = false;
    void put(uint32_t &d, uint32_t s) const { d = blend_pixel(d, s); }
};
struct rule_word {
    using source_t = uint32_t;
    using dest_t = uint32_t;
    static constexpr bool replaces = true;
    void put(uint32_t &d, uint32_t s) const { d = s; }
};

template <class Rule> typename Rule::source_t *source_row(const copy_picture &p, int64_t y)
{
    return reinterpret_cast<typename Rule::source_t *>(p.pixels) + size_t(y) * size_t(p.width);
}
template <class Rule> typename Rule::dest_t *dest_row(const copy_picture &p, int64_t y)
{
    return reinterpret_cast<typename Rule::dest_t *>(p.pixels) + size_t(y) * size_t(p.width);
}

// Equal spans: rows walk the source up or down, pixels left or right; plain
// copies left to right move each row as one block.
template <class Rule>
void copy_one_to_one(const Rule &rule, const copy_picture &src, const copy_picture &dst,
                     const axis_plan &x, const axis_plan &y)
{
    size_t n = size_t(x.count());
    for (int64_t r = 0; r < y.count(); r++) {
        int64_t sy = y.flip ? y.source_first - r : y.source_first + r;
        const auto *s = source_row<Rule>(src, sy) + x.source_first;
        auto *d = dest_row<Rule>(dst, y.first + r) + x.first;
        if (x.flip) {
            for (size_t k = 0; k < n; k++)
                rule.put(d[k], *(s - k));
        } else if constexpr (Rule::replaces && sizeof(*s) == sizeof(*d)) {
            std::memcpy(d, s, n * sizeof(*d));
        } else {
            for (size_t k = 0; k < n; k++)
                rule.put(d[k], s[k]);
        }
    }
}

// Unequal spans: one sampled source row per destination row and one sampled
// column per pixel. A row that samples the same source row as the one before
// is a copy of it when the rule ignores the destination.
template <class Rule>
void copy_scaled(const Rule &rule, const copy_picture &src, const copy_picture &dst,
                 const axis_plan &x, const axis_plan &y)
{
    size_t n = size_t(x.count());
    const int32_t *columns = x.samples.data();
    for (size_t r = 0; r < y.samples.size(); r++) {
        auto *d = dest_row<Rule>(dst, y.first + int64_t(r)) + x.first;
        if (Rule::replaces && r > 0 && y.samples[r] == y.samples[r - 1]) {
            std::memcpy(d, d - dst.width, n * sizeof(*d));
            continue;
        }
        const auto *s = source_row<Rule>(src, y.samples[r]);
        for (size_t k = 0; k < n; k++)
            rule.put(d[k], s[columns[k]]);
    }
}

template <class Rule>
void copy_run(const Rule &rule, const copy_picture &src, const copy_picture &dst,
              const axis_plan &x, const axis_plan &y)
{
    if (x.one_to_one)
        copy_one_to_one(rule, src, dst, x, y);
    else
        copy_scaled(rule, src, dst, x, y);
}

// Chooses the pixel rule by the formats, the transparent index and blending.
void copy_dispatch(const copy_picture &src, const copy_picture &dst, const axis_plan &x,
                   const axis_plan &y)
{
    int32_t key = src.transparent_color;
    if (src.bytes_per_pixel == 1 && dst.bytes_per_pixel == 4) {
        if (!src.palette)
            return;
        if (key != -1)
            copy_run(rule_palette_keyed{src.palette, key}, src, dst, x, y);
        else
            copy_run(rule_palette{src.palette}, src, dst, x, y);
    } else if (src.bytes_per_pixel == 1 && dst.bytes_per_pixel == 1) {
        if (key != -1)
            copy_run(rule_index_keyed{key}, src, dst, x, y);
        else
            copy_run(rule_index{}, src, dst, x, y);
    } else if (src.bytes_per_pixel == 4 && dst.bytes_per_pixel == 4) {
        if (src.blending_off || dst.blending_off)
            copy_run(rule_word{}, src, dst, x, y);
        else if (blend_tables_ensure())
            copy_run(rule_blend{}, src, dst, x, y);
    }
}

} // namespace

void scaled_copy_pixels(const copy_picture &source, copy_rect from, const copy_picture &destination,
                        copy_rect to)
{
    if (!source.pixels || !destination.pixels)
        return;
    axis_span ax = axis_span_of(to.x1, to.x2, from.x1, from.x2, destination.width, source.width);
    axis_span ay = axis_span_of(to.y1, to.y2, from.y1, from.y2, destination.height, source.height);
    thread_local axis_plan x, y;
    if (ax.d2 - ax.d1 == ax.s2 - ax.s1 && ay.d2 - ay.d1 == ay.s2 - ay.s1) {
        one_to_one_plan(ax, x);
        one_to_one_plan(ay, y);
    } else {
        scaled_plan(ax, x);
        scaled_plan(ay, y);
    }
    if (x.first > x.last || y.first > y.last)
        return;
    copy_dispatch(source, destination, x, y);
}
