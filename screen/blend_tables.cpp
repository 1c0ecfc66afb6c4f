#include "screen/blend_tables.h"

#include <cmath>
#include <cstdlib>
#include <emmintrin.h>

uint8_t *blend_table = nullptr;
uint8_t *alpha_table = nullptr;

uint8_t blend_entry_reference(uint32_t alpha, uint32_t source, uint32_t destination)
{
    float a = float(alpha) / 255.0f;
    float v = a * float(source) + (1.0f - a) * float(destination);
    return uint8_t(std::nearbyint(v));
}

uint8_t alpha_entry_reference(uint32_t a1, uint32_t a2)
{
    float f1 = float(a1) / 255.0f;
    float f2 = float(a2) / 255.0f;
    float v = (1.0f - (1.0f - f1) * (1.0f - f2)) * 255.0f;
    return uint8_t(std::nearbyint(v));
}

// One 64 KB row of the blend table for one alpha. Performs exactly the
// reference's single-precision operations in the same order (a x source, then
// (1 - a) x destination, then the sum), four at a time: the conversion rounds
// to nearest-even like nearbyint under the default rounding mode.
static void blend_row_build(uint32_t alpha, uint8_t *row)
{
    float a = float(alpha) / 255.0f;
    float b = 1.0f - a;
    alignas(16) float weighted_dst[256];
    for (int d = 0; d < 256; d++)
        weighted_dst[d] = b * float(d);
    for (int s = 0; s < 256; s++) {
        __m128 src = _mm_set1_ps(a * float(s));
        uint8_t *out = row + s * 256;
        for (int d = 0; d < 256; d += 16) {
            __m128i v0 = _mm_cvtps_epi32(_mm_add_ps(src, _mm_load_ps(weighted_dst + d)));
            __m128i v1 = _mm_cvtps_epi32(_mm_add_ps(src, _mm_load_ps(weighted_dst + d + 4)));
            __m128i v2 = _mm_cvtps_epi32(_mm_add_ps(src, _mm_load_ps(weighted_dst + d + 8)));
            __m128i v3 = _mm_cvtps_epi32(_mm_add_ps(src, _mm_load_ps(weighted_dst + d + 12)));
            __m128i lo = _mm_packs_epi32(v0, v1);
            __m128i hi = _mm_packs_epi32(v2, v3);
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + d), _mm_packus_epi16(lo, hi));
        }
    }
}

bool blend_tables_ensure()
{
    if (blend_table && alpha_table)
        return true;
    blend_tables_free();
    blend_table = static_cast<uint8_t *>(std::aligned_alloc(64, size_t(256) * 256 * 256));
    alpha_table = static_cast<uint8_t *>(std::aligned_alloc(64, size_t(256) * 256));
    if (!blend_table || !alpha_table) {
        blend_tables_free();
        return false;
    }
    for (uint32_t alpha = 0; alpha < 256; alpha++)
        blend_row_build(alpha, blend_table + (size_t(alpha) << 16));
    for (uint32_t a1 = 0; a1 < 256; a1++)
        for (uint32_t a2 = 0; a2 < 256; a2++)
            alpha_table[a1 * 256 + a2] = alpha_entry_reference(a1, a2);
    return true;
}

void blend_tables_free()
{
    std::free(blend_table);
    std::free(alpha_table);
    blend_table = nullptr;
    alpha_table = nullptr;
}
