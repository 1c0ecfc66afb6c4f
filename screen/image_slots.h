// Image slots and screen pages.
//
// Every picture the runtime draws into is an image_slot: the pages of the
// current screen mode, the images a program makes, and the runtime's own
// snapshots. Slots live in fixed blocks of IMAGE_SLOT_BLOCK records that never
// move once made, so a record pointer (the current pages, a page the frame
// builder is reading) stays valid however many images a program makes.
//
// Slot numbers: 0 stands for "no slot" in the page table and is never handed
// out, nor is slot 1 (so no image ever has the handle -1, which operations use
// for failure). Program images start at slot 2 and are seen by the program as
// handle -slot. Freed slots are reused most recently freed first.
//
// page_table maps screen page numbers to slots; write_page (where drawing
// goes), read_page (what reading and copies use) and display_page (what the
// frame builder shows) select the current pages.
//
// Order of calls: screen_static_init, then screen_startup (screen_startup.h)
// reserves slots 0 and 1 and sets SCREEN 0. Only the program thread creates,
// changes and frees images; the frame builder reads the display page.
#pragma once

#include <atomic>
#include <cstdint>

struct mem_lock;

// Modes an image can follow: 0 text, 1, 2, 7-13 the classic graphics modes,
// 32 true colour, 256 a 256-colour image of any size.
constexpr uint32_t IMAGE_FLAG_OWNS_PALETTE = 1;
constexpr uint32_t IMAGE_FLAG_SCREEN_PAGE = 2;
constexpr uint32_t IMAGE_FLAG_OWNS_PIXELS = 4;

constexpr uint32_t IMAGE_SLOT_BLOCK = 4096;
// Handles below this are hardware images, so slot numbers stay under it.
constexpr uint32_t IMAGE_SLOT_LIMIT = 8388608;
constexpr int32_t HARDWARE_IMAGE_HANDLE_BASE = -16777216;
constexpr int32_t HARDWARE_IMAGE_HANDLE_TOP = -8388608; // exclusive

// One image or screen page. All fields are zero while the slot is free.
struct alignas(8) image_slot {
    struct mem_lock *mem_lock; // memory-lock record while a memory block names the image
    uint64_t mem_lock_serial; // id of that lock; non-zero while one is held
    uint8_t in_use;
    uint8_t text_mode; // 1: cells of character and attribute
    uint8_t console;   // 1: PRINT goes to standard output
    uint16_t width;    // pixels, or columns on a text page
    uint16_t height;   // pixels, or rows on a text page
    uint8_t bytes_per_pixel; // 1 palette, 2 text cell, 4 true colour
    uint8_t bits_per_pixel;  // 1, 2, 4, 8, 16 (text) or 32
    uint32_t color_mask;     // (1 << bits) - 1, 0xFFFFFFFF for 32 bits
    uint16_t mode;
    uint32_t fore_color;
    uint32_t back_color;
    uint32_t draw_color;
    uint32_t font;
    int16_t view_print_top; // text scroll region, 1-based rows
    int16_t view_print_bottom;
    int16_t cursor_col; // 1-based
    int16_t cursor_row;
    uint8_t cursor_shown;
    uint8_t cursor_start;
    uint8_t cursor_stop;
    uint8_t *pixels; // width x height x bytes_per_pixel, row by row
    uint32_t flags;  // IMAGE_FLAG_*
    uint32_t *palette; // 256 entries 0xAARRGGBB; null for 32-bit images
    int32_t transparent_color; // palette index, -1 none
    uint8_t blend_off;
    uint8_t pending_wrap; // 0 none, 1 pending, 2 pending and cursor shown on the next row
    uint8_t print_mode;   // 3 glyph and background, 1 glyph only, 2 background only
    int32_t clip_x1, clip_y1, clip_x2, clip_y2; // inclusive VIEW area
    int32_t view_offset_x, view_offset_y;
    float gfx_cursor_x, gfx_cursor_y;
    uint8_t coord_mode; // 0 pixels, 1 VIEW, 2 WINDOW
    float scale_x, scale_y;
    float offset_x, offset_y;
    float window_x1, window_y1, window_x2, window_y2;
    double draw_angle;
    double draw_scale;
};

// The slot table. slots_used counts the slots ever handed out (slot numbers
// below it have been used); it only grows.
extern uint32_t slots_used;

// The record of a slot below slots_used (or below the allocated blocks).
image_slot *image_slot_get(uint32_t slot);
// Slot number of a record, or 0 when the record is not in the table.
uint32_t image_slot_number(const image_slot *record);
// The record of a slot that a program may name: below slots_used and in use.
// Null otherwise.
image_slot *image_slot_live(uint32_t slot);

// Hands out a slot (most recently freed first) and marks it in use. Returns 0
// after raising the critical error 502 when no memory is left.
uint32_t image_slot_alloc();
// Zeroes a slot and puts it on the free stack, releasing its memory lock (when
// the lock record still carries the image's id). The caller frees owned pixels
// and palette first. 0 for a slot not in use.
int32_t image_slot_free(uint32_t slot);

// Makes an image over memory the caller owns; the defaults of its mode, its
// own palette. 0 for a bad size or mode or when memory runs out.
uint32_t image_create_over(uint8_t *pixels, int32_t width, int32_t height, int32_t mode);
// Makes an image with its own cleared memory (text cells 0x0720). 0 on
// failure, leaving no slot taken.
uint32_t image_create(int32_t width, int32_t height, int32_t mode);
// Back to the mode's defaults in place, memory cleared.
void image_reset(uint32_t slot);
// Sets the font; cursor to (1, 1) and the scroll region recomputed.
void image_font_apply(uint32_t font, image_slot *record);
// Ends the memory blocks over the image's pixels: releases its memory lock
// (when the record still carries the image's id) and forgets it. Called when
// the pixel memory is freed or replaced.
void image_mem_lock_release(image_slot *record);
// Frees what the image owns (pixels, palette) and its slot.
void image_release(uint32_t slot);

// Text rows of an image: height on a text page, else height / font height.
int32_t image_text_rows(const image_slot *record);
// Text columns: width on a text page, else width / font width (pixels for a
// proportional font).
int32_t image_text_columns(const image_slot *record);
// True for the modes an image may have.
bool image_mode_valid(int32_t mode);

// Screen pages.
extern uint32_t *page_table;
extern uint32_t page_table_count;
// Grows page_table to at least `count` entries (new ones 0). False when
// memory runs out.
bool page_table_reserve(uint64_t count);
// Makes screen page `page` exist, like page 0, sharing page 0's palette.
// Returns its slot, or 0 after raising the critical error 257 when memory
// runs out. Callers reject negative pages.
uint32_t screen_page_ensure(uint32_t page);

// The current pages. Program thread only for write and read; the display page
// is also read by the frame builder, so it is published atomically.
struct page_ref {
    uint32_t slot;
    image_slot *record;
};
extern page_ref write_page;
extern page_ref read_page;
extern std::atomic<uint32_t> display_page_slot;
extern std::atomic<image_slot *> display_page_record;
void write_page_select(uint32_t slot);
void read_page_select(uint32_t slot);
void display_page_select(uint32_t slot);

// Called by the frame builder once a frame; does nothing.
void screen_display_hook();

// Frees every table and image and builds the empty tables anew: 4,096 zeroed
// slots, the free stack, a one-entry page table. Tests call it to start fresh.
void image_slots_static_init();
