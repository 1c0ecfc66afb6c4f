// Fonts: the six built-in bitmap fonts, the font table, and font selection.
//
// Fonts 8, 14 and 16 are the 8x8 glyphs, rows 1-14 of the 8x16 glyphs and the
// 8x16 glyphs; 9, 15 and 17 are the same at double width (drawn by the frame
// builder on text pages). Loaded fonts take numbers from 32 up; the font
// engine of this runtime renders nothing, so loading a font file always gives
// -1 and only the built-in fonts exist.
//
// Order of calls: fonts_static_init (zeroed table), fonts_builtin_fill (font
// metrics), glyph_tables_load (working glyph tables), all from start-up.
#pragma once

#include <cstdint>

struct string_descriptor;

constexpr uint32_t FONT_BOLD = 1;
constexpr uint32_t FONT_ITALIC = 2;
constexpr uint32_t FONT_UNDERLINE = 4;
constexpr uint32_t FONT_DONTBLEND = 8;
constexpr uint32_t FONT_MONOSPACE = 16;
constexpr uint32_t FONT_UNICODE = 32;

constexpr uint32_t FONT_FIRST_LOADED = 32;

// The font table: four parallel arrays indexed by font number, entries 0 to
// font_table_top.
struct font_table_t {
    uint32_t *engine_handle; // 0 for built-in fonts and free numbers
    uint32_t *height_px;
    uint32_t *width_px; // fixed advance, 0 = proportional
    uint32_t *flags;
    uint32_t top; // highest valid index
};
extern font_table_t font_table;

// Working glyph tables, one byte a pixel (0 or 0xFF), row by row.
constexpr uint32_t GLYPHS_8X8_BYTES = 256 * 64;
constexpr uint32_t GLYPHS_8X16_BYTES = 256 * 128;
extern uint8_t glyphs_8x8[GLYPHS_8X8_BYTES];
extern uint8_t glyphs_8x16[GLYPHS_8X16_BYTES];

// Frees and re-makes the table: 49 zeroed entries.
void fonts_static_init();
// Fills the metrics of fonts 8, 9, 14, 15, 16 and 17.
void fonts_builtin_fill();
// Expands the stored glyph bits into the working tables.
void glyph_tables_load();

// Height and width of a font number, 0 for numbers outside the table.
uint32_t font_height_of(uint32_t font);
uint32_t font_width_of(uint32_t font);
// The glyph rows of a built-in font 8, 14 or 16 (8 pixels a row), or null.
const uint8_t *font_glyph(uint32_t font, uint8_t code);

// FONT loading: the font number, or -1 when no font can be made.
int32_t font_load(string_descriptor *file_name, int32_t size_px, string_descriptor *options);
int32_t font_load_plain(string_descriptor *file_name, int32_t size_px, uint32_t flags);
// Chooses the font of an image (the write page when no handle is given).
void image_font_set(int32_t font, int32_t handle, bool given);
int32_t image_font_get(int32_t handle, bool given);
// Width and height of a font (the write page's font when none is given).
int32_t font_width(int32_t font, bool given);
int32_t font_height(int32_t font, bool given);
// Releases a loaded font that no image uses.
void font_free(int32_t font);

// The font engine's five entry points. This runtime has no engine: each
// returns 0 (nothing rendered, no font made).
int32_t font_engine_render8(uint32_t handle, const uint8_t *text, int32_t length,
                            uint8_t **coverage, int32_t *width_px);
int32_t font_engine_render32(uint32_t handle, const uint32_t *text, int32_t length,
                             uint8_t **coverage, int32_t *width_px);
uint32_t font_engine_make(const uint8_t *bytes, int64_t size, int32_t size_px, uint32_t flags);
int32_t font_engine_fixed_width(uint32_t handle);
void font_engine_release(uint32_t handle);
