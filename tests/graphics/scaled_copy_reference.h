// A reference of the scaled copy, written from the rules alone: for each axis
// it works out which source pixel every destination pixel takes (the
// clipping and sampling rules step by step, in their own order), then applies
// the pixel rule to every pixel by the blend formulas themselves (not the
// tables). Pictures carry guard rows
// above and below their pixels, so a stray write shows. Shared by the unit
// tests and the fuzz target.
#pragma once

#include "graphics/scaled_copy.h"
#include "screen/blend_tables.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

constexpr int32_t GUARD_ROWS = 2;
constexpr uint8_t GUARD_BYTE = 0xA5;

// A picture with its guard rows; `view` is what the engine sees.
struct test_picture {
    int32_t width = 0, height = 0, bpp = 1;
    std::vector<uint8_t> bytes; // guard rows, pixels, guard rows
    std::vector<uint32_t> palette;
    int32_t key = -1;
    bool blending_off = false;

    test_picture() = default;
    test_picture(int32_t w, int32_t h, int32_t bytes_per_pixel)
        : width(w), height(h), bpp(bytes_per_pixel),
          bytes(size_t(w) * size_t(h + 2 * GUARD_ROWS) * size_t(bytes_per_pixel), GUARD_BYTE),
          palette(256)
    {
        for (uint32_t i = 0; i < 256; i++)
            palette[i] = 0x01000000u * (255 - i) | i * 0x010203u;
    }
    uint8_t *pixels() { return bytes.data() + size_t(width) * GUARD_ROWS * size_t(bpp); }
    uint32_t get(int64_t x, int64_t y)
    {
        uint8_t *p = pixels() + (size_t(y) * size_t(width) + size_t(x)) * size_t(bpp);
        if (bpp == 1)
            return *p;
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    void set(int64_t x, int64_t y, uint32_t v)
    {
        uint8_t *p = pixels() + (size_t(y) * size_t(width) + size_t(x)) * size_t(bpp);
        if (bpp == 1)
            *p = uint8_t(v);
        else
            std::memcpy(p, &v, 4);
    }
    copy_picture view()
    {
        return {pixels(), width, height, bpp, palette.data(), key, blending_off};
    }
};

// The alpha rule by the blend formulas.
inline uint32_t reference_blend(uint32_t d, uint32_t s)
{
    uint32_t a = s >> 24, da = d >> 24;
    if (a == 0)
        return d;
    if (a == 255)
        return s;
    if (a == 127 || a == 128)
        return uint32_t(alpha_entry_reference(a, da)) << 24 |
               (((s & 0xFEFEFE) + (d & 0xFEFEFE)) >> 1);
    uint32_t out = uint32_t(alpha_entry_reference(da, a)) << 24;
    for (int shift = 0; shift < 24; shift += 8)
        out |= uint32_t(blend_entry_reference(a, s >> shift & 0xFF, d >> shift & 0xFF)) << shift;
    return out;
}

inline uint32_t reference_pixel(test_picture &src, test_picture &dst, uint32_t s, uint32_t d)
{
    if (src.bpp == 1) {
        if (int32_t(s) == src.key)
            return d;
        return dst.bpp == 4 ? src.palette[s] : s;
    }
    return src.blending_off || dst.blending_off ? s : reference_blend(d, s);
}

// The source pixel of every destination pixel on one axis, -1 where none.
// One to one, destination pixel d takes s1 + (d - d1), or s2 - (d - d1)
// mirrored. Scaled, step by step: the source span widened by 0.499999 at
// each end and its step per destination pixel; the destination cut to the
// image, each cut pixel moving the matching end of the source span by a
// step; whole steps cut where the span reaches beyond the source; then the
// walk from the low end of the source span, from the destination's last
// pixel when mirrored, adding the step after each pixel.
inline std::vector<int64_t> reference_axis(int64_t dest_size, int64_t d1, int64_t d2, int64_t s1,
                                           int64_t s2, bool scaled, int64_t source_size)
{
    std::vector<int64_t> out(size_t(dest_size), -1);
    bool flip = (d2 < d1 && s2 > s1) || (s2 < s1 && d2 > d1);
    if (d2 < d1)
        std::swap(d1, d2);
    if (s2 < s1)
        std::swap(s1, s2);
    auto put = [&](int64_t d, int64_t s) {
        if (d >= 0 && d < dest_size && s >= 0 && s < source_size)
            out[size_t(d)] = s;
    };
    if (!scaled) {
        for (int64_t d = std::max<int64_t>(d1, 0); d <= std::min(d2, dest_size - 1); d++)
            put(d, flip ? s2 - (d - d1) : s1 + (d - d1));
        return out;
    }
    double fs1 = double(s1) - 0.499999, fs2 = double(s2) + 0.499999;
    int64_t w = d2 - d1;
    double step = w ? (fs2 - fs1) / double(w) : 0.0;
    if (d1 < 0) {
        if (flip)
            fs2 += double(d1) * step;
        else
            fs1 -= double(d1) * step;
        d1 = 0;
    }
    if (d2 >= dest_size) {
        int64_t e = d2 - dest_size + 1;
        if (flip)
            fs1 += double(e) * step;
        else
            fs2 -= double(e) * step;
        d2 = dest_size - 1;
    }
    auto whole = [](double n) { return int64_t(std::min(n, 1e18)); }; // more cuts everything
    if (w != 0 && fs1 < -0.4999999) {
        double n = std::trunc((-fs1 - 0.499999) / step + 1.0);
        (flip ? d2 : d1) += flip ? -whole(n) : whole(n);
        fs1 += n * step;
    }
    double sw = double(source_size);
    if (w != 0 && fs2 > sw - 0.5000001) {
        double n = std::trunc((fs2 - (sw - 0.500001)) / step + 1.0);
        (flip ? d1 : d2) += flip ? whole(n) : -whole(n);
        fs2 -= n * step;
    }
    double fx = fs1;
    for (int64_t k = 0; k <= d2 - d1; k++, fx += step) {
        double v = std::nearbyint(fx);
        if (v >= 0 && v < sw)
            put(flip ? d2 - k : d1 + k, int64_t(v));
    }
    return out;
}

// What the copy must make of `dst`.
inline void reference_copy(test_picture &src, copy_rect from, test_picture &dst, copy_rect to)
{
    if (src.bpp == 4 && dst.bpp == 1)
        return;
    bool scaled = std::abs(to.x2 - to.x1) != std::abs(from.x2 - from.x1) ||
                  std::abs(to.y2 - to.y1) != std::abs(from.y2 - from.y1);
    std::vector<int64_t> xs =
        reference_axis(dst.width, to.x1, to.x2, from.x1, from.x2, scaled, src.width);
    std::vector<int64_t> ys =
        reference_axis(dst.height, to.y1, to.y2, from.y1, from.y2, scaled, src.height);
    for (int64_t y = 0; y < dst.height; y++)
        for (int64_t x = 0; ys[size_t(y)] >= 0 && x < dst.width; x++)
            if (xs[size_t(x)] >= 0)
                dst.set(x, y,
                        reference_pixel(src, dst, src.get(xs[size_t(x)], ys[size_t(y)]),
                                        dst.get(x, y)));
}

// Deterministic picture contents: every alpha class the rules tell apart.
inline void picture_fill(test_picture &p, uint32_t seed)
{
    static const uint32_t alphas[] = {0, 127, 128, 200, 255, 1, 254, 64};
    uint8_t *px = p.pixels();
    size_t n = size_t(p.width) * size_t(p.height);
    uint32_t h = seed * 2654435761u + 1;
    for (size_t i = 0; i < n; i++) {
        h = h * 1664525u + 1013904223u;
        uint32_t v = p.bpp == 1 ? h >> 24 : alphas[h >> 29] << 24 | (h >> 4 & 0xFFFFFF);
        std::memcpy(px + i * size_t(p.bpp), &v, size_t(p.bpp));
    }
}
