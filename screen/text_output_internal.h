// Shared inside the text output engine: the text grid of a page and the
// pieces of CLS and PRINT that the printer page and the END prompt reuse.
#pragma once

#include <cstdint>

struct image_slot;

// The text grid of a page.
struct text_layout {
    int32_t rows;
    int32_t columns;  // last column; pixels of the line with a proportional font
    int32_t cell_w;   // pixels of a cell: the font's width (0 proportional), 1 on text pages
    int32_t cell_h;   // pixels of a text row, 1 on text pages
    bool text;        // cells of character and attribute
    bool proportional;
};
text_layout text_layout_of(const image_slot *page);

// Attribute byte of a text cell: back in bits 4-6, fore in 0-3, blink (fore
// bit 4) in bit 7.
inline uint16_t text_attribute(uint32_t fore, uint32_t back)
{
    return uint16_t((back & 7) << 4 | (fore & 16) << 3 | (fore & 15));
}
inline uint16_t blank_cell(uint32_t fore, uint32_t back)
{
    return uint16_t(text_attribute(fore, back) << 8 | 32);
}

// Pixel rectangle filled with one colour stored as it is (32-bit pages
// without blending), cut to the page.
void page_rect_store(image_slot *page, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                     uint32_t colour);

// The clearing steps of CLS on one page, without argument checks and without
// the key label bar: method -1 is CLS without a method. Touches nothing but
// the page, so the runtime loop thread may clear the printer page with it.
constexpr int32_t CLS_NO_METHOD = -1;
void page_clear(image_slot *page, int32_t method, uint32_t fill);

// The printer page for the program thread: waits while the runtime loop
// thread holds it, makes it on first use, and holds it until
// printer_page_release. Null (and not held) when it cannot be made.
image_slot *printer_page_acquire();
void printer_page_release();
