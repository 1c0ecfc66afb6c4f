// Alpha-blend tables for drawing on 32-bit images.
//
// blend_table[alpha][source][destination] (16 MB) holds
// round(alpha/255 x source + (1 - alpha/255) x destination) and
// alpha_table[a1][a2] (64 KB) holds round((1 - (1 - a1/255)(1 - a2/255)) x 255),
// both computed in single precision with round-to-nearest-even. They are built
// once, when the first 32-bit image is made.
#pragma once

#include <cstdint>

extern uint8_t *blend_table;
extern uint8_t *alpha_table;

// Builds both tables unless they exist. Returns false when the memory cannot
// be had.
bool blend_tables_ensure();
// Frees both tables (tests, start-up benchmarks).
void blend_tables_free();

// The defining formulas, one entry at a time.
uint8_t blend_entry_reference(uint32_t alpha, uint32_t source, uint32_t destination);
uint8_t alpha_entry_reference(uint32_t a1, uint32_t a2);

// Draws `source` (0xAARRGGBB) over `destination` by the source's alpha: 0
// leaves it, 255 replaces it, 127 and 128 average the colours, any other
// alpha goes through the tables. The tables must exist.
inline uint32_t blend_pixel(uint32_t destination, uint32_t source)
{
    uint32_t a = source >> 24;
    if (a == 0)
        return destination;
    if (a == 255)
        return source;
    uint32_t da = destination >> 24;
    if (a == 127 || a == 128) {
        uint32_t rgb = ((source & 0xFEFEFE) + (destination & 0xFEFEFE)) >> 1;
        return uint32_t(alpha_table[a * 256 + da]) << 24 | rgb;
    }
    const uint8_t *row = blend_table + (a << 16);
    uint32_t r = row[(source >> 8 & 0xFF00) | (destination >> 16 & 0xFF)];
    uint32_t g = row[(source & 0xFF00) | (destination >> 8 & 0xFF)];
    uint32_t b = row[(source << 8 & 0xFF00) | (destination & 0xFF)];
    return uint32_t(alpha_table[da * 256 + a]) << 24 | r << 16 | g << 8 | b;
}
