// Colour values and palettes.
//
// A 32-bit image holds 0xAARRGGBB pixels; a palette image holds indices into
// its 256-entry palette of 0xAARRGGBB words. The default tables are the
// 256-colour VGA default palette (its first 16 entries are the text colours)
// and the 64 EGA colours; each image mode starts from its own selection of
// them (image_default_palette).
//
// Order of calls: palettes_load at start-up, before the first image is made.
#pragma once

#include <cstdint>

struct image_slot;

// Working default tables, alpha 0xFF on every entry.
extern uint32_t default_palette_256[256];
extern uint32_t default_palette_64[64];
// The frame builder's mode-10 colour table: phase 0 then phase 1, 9 words each.
extern uint32_t mode10_color_table[18];

// Copies the stored palettes into the working tables (opaque) and fills the
// mode-10 table.
void palettes_load();

// Fills an image's palette with its mode's defaults; other entries keep what
// they held. Nothing for an image without a palette.
void image_default_palette(image_slot *record);

// 8-bit value of a 6-bit palette component, as the PALETTE statement rounds.
uint32_t palette_component_8bit(uint32_t six_bit);

// Writes one pixel of the write page: palette pages store the masked index,
// 32-bit pages blend by the colour's alpha unless blending is off. Points
// outside the page are ignored.
void pixel_write(int32_t x, int32_t y, uint32_t colour);

// Nearest palette entry by |dr| + |dg| + |db|: the first 16 entries on a text
// page, else color_mask + 1 entries. Ties keep the lower index.
uint32_t palette_nearest_rgb(int32_t r, int32_t g, int32_t b);
uint32_t palette_nearest_rgb_of(const image_slot *record, int32_t r, int32_t g, int32_t b);

// Colour values for an image (the write page when no handle is given).
uint32_t color_rgb(int32_t r, int32_t g, int32_t b, int32_t handle, bool given);
uint32_t color_rgba(int32_t r, int32_t g, int32_t b, int32_t a, int32_t handle, bool given);
// Components 0-255 of a colour value of an image.
uint32_t color_red(uint32_t colour, int32_t handle, bool given);
uint32_t color_green(uint32_t colour, int32_t handle, bool given);
uint32_t color_blue(uint32_t colour, int32_t handle, bool given);
uint32_t color_alpha(uint32_t colour, int32_t handle, bool given);
