// Screen modes: SCREEN, WIDTH, COLOR, PALETTE, PALETTE USING, PCOPY.
//
// The screen is the set of screen pages in page_table (image_slots.h). Mode 0
// is text: eight pages, those that fit lying in the emulated text memory at
// segment B800. Modes 1, 2 and 7-12 are graphics pages with their own memory;
// mode 13 lies in the emulated graphics memory at A000. A negative image handle
// makes that image the screen.
//
// Every operation returns at once without effect while an error is pending.
//
// Page changes and the frame builder: the frame builder (runtime loop thread)
// reads the display page without a lock. SCREEN, WIDTH and font changes
// request a pause (frame_build_pause = 1), wait for the builder's answer (2),
// change the pages and release it (0). They wait only while automatic display
// is on and the builder has started (frame_builder_started), so nothing waits
// when no builder runs.
#pragma once

#include <atomic>
#include <cstdint>

struct image_slot;

// The pause word: 0 run, 1 pause requested, 2 the builder has paused.
extern std::atomic<int32_t> frame_build_pause;
// Set by the runtime loop once its frame builder runs; false until then.
extern std::atomic<bool> frame_builder_started;
// 1 automatic frames, -1 switch to manual requested, 0 manual.
extern std::atomic<int32_t> auto_display;
// 1 after a published frame; cleared by page and font changes so that the
// next frame is drawn whole.
extern std::atomic<uint32_t> frame_previous_valid;

// Requests the pause and waits for the builder's answer when a builder runs.
// Returns whether a pause was requested (pass it to frame_builder_pause_end).
bool frame_builder_pause_begin();
void frame_builder_pause_end(bool paused);

// Globals of the screen statements.
extern int32_t pending_text_columns; // -1 none; WIDTH sets them, SCREEN 0 takes them
extern int32_t pending_text_rows;
extern int32_t pending_text_font;
extern uint32_t default_screen_untouched; // 1 until the first change of the start-up screen
extern uint32_t screen_adopted_image;     // 1 while page 0 is an image made the screen
extern int32_t previous_active_page;
extern int32_t printer_width;

// Bits of rt_screen's `passed`.
constexpr uint32_t SCREEN_MODE_GIVEN = 1;
constexpr uint32_t SCREEN_ACTIVE_GIVEN = 4;
constexpr uint32_t SCREEN_VISUAL_GIVEN = 8;

// SCREEN mode, , active, visual. The second and fifth arguments are unused.
void rt_screen(int32_t mode, int32_t unused1, int32_t active, int32_t visual, int32_t unused2,
               uint32_t passed);
// WIDTH: option 0 the screen, 2 the printer page; passed bit 1 columns, 2 rows.
void rt_width(int32_t option, int32_t columns, int32_t rows, uint32_t passed);
// COLOR fore, back, border; passed bits 1, 2, 4.
void rt_color(uint32_t fore, uint32_t back, uint32_t border, uint32_t passed);
// PALETTE attribute, colour; without arguments the write page's defaults.
void rt_palette(int32_t attribute, int32_t colour, bool given);
// PALETTE USING: `count` elements of `element_bits` (16 or 32) bits.
void rt_palette_using(const void *elements, uint32_t count, int32_t element_bits);
// PCOPY source, destination: page numbers or negative image handles.
void rt_pcopy(int32_t source, int32_t destination);
// Resets the write page's colours to its mode's defaults.
void page_default_colors();

// Frees every screen page and resets the globals above (start-up, tests).
void screen_modes_reset();

// Shared by SCREEN and WIDTH.
// Makes the write page (a screen page) the only screen page, as page 0; it
// takes a palette of its own first when it shared page 0's. Read and display
// pages that named a freed page fall back to it.
void screen_pages_keep_only(uint32_t keep_slot);
// Scroll region back to the page: top 1, bottom rows - 1 (at least 1); a
// cursor below the last row returns to row 1.
void scroll_region_reset(image_slot *record);
