// Start-up of the screen subsystem.
//
// screen_static_init builds the empty tables (4,096 image slots and the free
// stack, a one-entry page table, a 49-entry font table). screen_startup then
// runs the screen's steps of the process start, in order: the built-in font
// metrics; slots 0 and 1 reserved; default palettes, code page and glyph
// tables; SCREEN 0 with the one-time 80 x 50 switch of LOCATE armed; the two
// built-in 32-bit images (which builds the alpha-blend tables). It also
// installs the screen's hooks of the core: the palette ports work on the
// write page's palette, and CLEAR frees the program's images.
//
// Both may be called again at any time (tests, benchmarks): they free what
// exists and build afresh. Program thread only, with no frame builder running.
#pragma once

#include <cstdint>

void screen_static_init();
void screen_startup();

// Slots of the two built-in 32-bit images, 16 x 16 and 32 x 32 pixels.
extern uint32_t builtin_image_16_slot;
extern uint32_t builtin_image_32_slot;
