// The array image format: sizes and the packing of one row.
#include "graphics/array_image.h"

#include <cstring>

uint64_t array_image_width_field(uint32_t bits, uint64_t width)
{
    return bits == 2 ? 2 * width : bits == 8 ? 8 * width : width;
}

uint64_t array_image_row_bytes(uint32_t bits, uint64_t width)
{
    switch (bits) {
    case 1:
    case 2:
    case 8:
        return (bits * width + 7) / 8;
    case 4:
        return 4 * ((width + 7) / 8);
    case 32:
        return 4 * width;
    default:
        return 0;
    }
}

uint32_t array_image_value_cut(uint32_t bits, uint32_t value)
{
    return bits >= 32 ? value : value & ((1u << bits) - 1);
}

void array_image_row_pack(uint32_t bits, const uint32_t *values, uint64_t width, uint8_t *row)
{
    std::memset(row, 0, array_image_row_bytes(bits, width));
    uint64_t plane = (width + 7) / 8;
    for (uint64_t i = 0; i < width; i++) {
        uint32_t v = values[i];
        switch (bits) {
        case 1:
            row[i / 8] |= uint8_t((v != 0) << (7 - i % 8));
            break;
        case 2:
            row[i / 4] |= uint8_t((v & 3) << (6 - 2 * (i % 4)));
            break;
        case 4:
            for (uint64_t k = 0; k < 4; k++)
                row[k * plane + i / 8] |= uint8_t((v >> k & 1) << (7 - i % 8));
            break;
        case 8:
            row[i] = uint8_t(v);
            break;
        case 32:
            std::memcpy(row + 4 * i, &v, 4);
            break;
        }
    }
}

void array_image_row_unpack(uint32_t bits, const uint8_t *row, uint64_t width, uint32_t *values)
{
    uint64_t plane = (width + 7) / 8;
    for (uint64_t i = 0; i < width; i++) {
        uint32_t v = 0;
        switch (bits) {
        case 1:
            v = row[i / 8] >> (7 - i % 8) & 1;
            break;
        case 2:
            v = row[i / 4] >> (6 - 2 * (i % 4)) & 3;
            break;
        case 4:
            for (uint64_t k = 0; k < 4; k++)
                v |= uint32_t(row[k * plane + i / 8] >> (7 - i % 8) & 1) << k;
            break;
        case 8:
            v = row[i];
            break;
        case 32:
            std::memcpy(&v, row + 4 * i, 4);
            break;
        }
        values[i] = v;
    }
}
