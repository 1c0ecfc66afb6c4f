#include "graphics/scaled_copy.h"

#include "screen/blend_tables.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <immintrin.h>
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

// Unequal spans. The source span, widened to almost the outer edges of its
// end pixels, is spread evenly over the destination span. The walk starts at
// the destination's first pixel, or at its last when mirrored, with f at the
// span's low end: each pixel samples source pixel round(f) (ties to even),
// then f grows by one step, a running sum. Destination pixels off the image
// are cut first, each moving the matching end of the source span by one
// step; then, at each end where the span reaches beyond the source, the whole
// steps that lie beyond it (counted from the edge less a hair, plus one) are
// cut. A destination span of 0 has no step: every pixel samples the first
// source pixel, and none is drawn when that pixel does not exist.
void scaled_plan(const axis_span &a, axis_plan &p)
{
    p.one_to_one = false;
    p.flip = a.flip;
    p.samples.clear();
    p.first = 0;
    p.last = -1;
    int64_t d1 = a.d1, d2 = a.d2, w = d2 - d1;
    double f1 = double(a.s1) - EDGE_WIDEN, f2 = double(a.s2) + EDGE_WIDEN;
    double step = w ? (f2 - f1) / double(w) : 0.0;
    // The low end of the source span meets the destination's first pixel, or
    // its last when mirrored.
    if (d1 < 0) {
        if (a.flip)
            f2 += double(d1) * step;
        else
            f1 -= double(d1) * step;
        d1 = 0;
    }
    if (d2 >= a.dest_size) {
        double e = double(d2 - a.dest_size + 1);
        if (a.flip)
            f1 += e * step;
        else
            f2 -= e * step;
        d2 = a.dest_size - 1;
    }
    // n whole steps off the low or the high end of the source span; false
    // when no destination pixel is left.
    auto cut = [&](double n, bool low) {
        if (n > double(d2 - d1))
            return false;
        if (low != a.flip)
            d1 += int64_t(n);
        else
            d2 -= int64_t(n);
        if (low)
            f1 += n * step;
        else
            f2 -= n * step;
        return true;
    };
    if (d1 > d2)
        return;
    if (w != 0 && f1 < -0.4999999 && !cut(std::trunc((-f1 - EDGE_WIDEN) / step + 1.0), true))
        return;
    double source_end = double(a.source_size);
    if (w != 0 && f2 > source_end - 0.5000001 &&
        !cut(std::trunc((f2 - (source_end - 0.500001)) / step + 1.0), false))
        return;
    // The cuts keep the samples inside the source; one that the rounding of
    // far-off corners still puts outside is left out. Samples never decrease
    // along the walk, so such ones can only lie at its ends.
    int64_t count = d2 - d1 + 1, kept_from = count, kept_to = -1;
    double f = f1, highest = double(a.source_size - 1);
    for (int64_t k = 0; k < count; k++, f += step) {
        double v = std::nearbyint(f);
        if (v < 0.0 || v > highest)
            continue;
        kept_from = std::min(kept_from, k);
        kept_to = k;
        p.samples.push_back(int32_t(v));
    }
    if (kept_to < 0)
        return;
    if (a.flip)
        std::reverse(p.samples.begin(), p.samples.end());
    p.first = a.flip ? d2 - kept_to : d1 + kept_from;
    p.last = a.flip ? d2 - kept_from : d1 + kept_to;
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

// The alpha rule on eight pixels at once. The colour channels take the blend
// table's own single-precision operations in its order (a x source, then
// (1 - a) x destination, then the sum, rounded to nearest-even), so each is
// the table's entry without its cache misses; the alpha likewise by the
// alpha table's formula, which is symmetric in its two alphas. Alpha 0 keeps
// the destination, 255 takes the source, 127 and 128 average the colours.
__attribute__((target("avx2"))) __m256i blend8(__m256i s, __m256i d)
{
    const __m256i low_byte = _mm256_set1_epi32(0xFF);
    const __m256 one = _mm256_set1_ps(1.0f), full = _mm256_set1_ps(255.0f);
    __m256i a = _mm256_srli_epi32(s, 24);
    __m256 af = _mm256_div_ps(_mm256_cvtepi32_ps(a), full);
    __m256 bf = _mm256_sub_ps(one, af);
    __m256i colour = _mm256_setzero_si256();
    for (int shift = 0; shift < 24; shift += 8) {
        __m256 sc = _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(s, shift), low_byte));
        __m256 dc = _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(d, shift), low_byte));
        __m256i v = _mm256_cvtps_epi32(_mm256_add_ps(_mm256_mul_ps(af, sc), _mm256_mul_ps(bf, dc)));
        colour = _mm256_or_si256(colour, _mm256_slli_epi32(v, shift));
    }
    const __m256i even = _mm256_set1_epi32(0xFEFEFE);
    __m256i half = _mm256_srli_epi32(
        _mm256_add_epi32(_mm256_and_si256(s, even), _mm256_and_si256(d, even)), 1);
    __m256i is_half = _mm256_or_si256(_mm256_cmpeq_epi32(a, _mm256_set1_epi32(127)),
                                      _mm256_cmpeq_epi32(a, _mm256_set1_epi32(128)));
    __m256 df = _mm256_div_ps(_mm256_cvtepi32_ps(_mm256_srli_epi32(d, 24)), full);
    __m256 both = _mm256_mul_ps(_mm256_sub_ps(one, df), bf);
    __m256i alpha = _mm256_cvtps_epi32(_mm256_mul_ps(_mm256_sub_ps(one, both), full));
    __m256i out =
        _mm256_or_si256(_mm256_blendv_epi8(colour, half, is_half), _mm256_slli_epi32(alpha, 24));
    out = _mm256_blendv_epi8(out, d, _mm256_cmpeq_epi32(a, _mm256_setzero_si256()));
    return _mm256_blendv_epi8(out, s, _mm256_cmpeq_epi32(a, low_byte));
}

__attribute__((target("avx2"))) size_t blend_row_wide(uint32_t *d, const uint32_t *s, size_t n)
{
    size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + k));
        __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(d + k));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(d + k), blend8(sv, dv));
    }
    return k;
}

const bool wide_blend = __builtin_cpu_supports("avx2");

// Eight pixels at a time where the processor can, the rest through the
// tables.
void blend_row(uint32_t *d, const uint32_t *s, size_t n)
{
    size_t k = wide_blend ? blend_row_wide(d, s, n) : 0;
    for (; k < n; k++)
        d[k] = blend_pixel(d[k], s[k]);
}

// The alpha rule in every kind of loop: each source row is first gathered in
// destination order (mirrored or sampled), then blended eight at a time.
void copy_blend(const copy_picture &src, const copy_picture &dst, const axis_plan &x,
                const axis_plan &y)
{
    thread_local std::vector<uint32_t> gathered;
    size_t n = size_t(x.count());
    gathered.resize(n);
    for (int64_t r = 0; r < y.count(); r++) {
        int64_t sy = !y.one_to_one ? y.samples[size_t(r)]
                     : y.flip      ? y.source_first - r
                                   : y.source_first + r;
        const uint32_t *s = source_row<rule_word>(src, sy);
        const uint32_t *row = gathered.data();
        if (!x.one_to_one) {
            for (size_t k = 0; k < n; k++)
                gathered[k] = s[x.samples[k]];
        } else if (x.flip) {
            for (size_t k = 0; k < n; k++)
                gathered[k] = s[size_t(x.source_first) - k];
        } else {
            row = s + x.source_first;
        }
        blend_row(dest_row<rule_word>(dst, y.first + r) + x.first, row, n);
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
            copy_blend(src, dst, x, y);
    }
}

} // namespace

void blend_pixels_row(uint32_t *destination, const uint32_t *source, size_t n)
{
    blend_row(destination, source, n);
}

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
