// Mouse input.
//
// The window layer reports buttons, wheel and motion in window pixels on the
// main thread. Each report appends records to the mouse event ring (65,536
// records; a full ring drops its oldest record) and, for buttons 1-3 and the
// position, an event to the mouse device of the input device table. The
// program thread reads the ring with the queries below; none of them waits.
//
// Ring records: position (x, y) in window pixels, the buttons held (bit 0
// left, bit 1 middle, bit 2 right, bit 3 wheel up, bit 4 wheel down) and the
// relative movement (raw motion only). The newest record is the live state;
// the current record of the queries is the one mouse_input_next moved to.
//
// Window pixels map to frame pixels through the display's viewport (where
// the frame is drawn in the window and at what scale); the display code sets
// it on the main thread, and until then the frame sits 1:1 at the top left.
//
// Threads: only the main thread appends; the program thread moves the read
// position and reads from its own copy of the current record. A full ring
// moves the read position from the main thread.
#pragma once

#include <atomic>
#include <cstdint>

struct string_descriptor;

constexpr uint32_t MOUSE_EVENT_RING_SLOTS = 65536;

// Where the frame is drawn in the window.
struct mouse_viewport {
    int32_t x1_px = 0; // top-left corner of the frame in the window
    int32_t y1_px = 0;
    float scale_x = 1.0f; // window pixels per frame pixel
    float scale_y = 1.0f;
    int32_t frame_width_px = 640;
    int32_t frame_height_px = 400;
};
void mouse_viewport_set(const mouse_viewport &viewport);
mouse_viewport mouse_viewport_get();

// --- Main thread: the window layer's reports --------------------------------

// The toolkit's button numbers: 0 left, 1 middle, 2 right, 3 wheel up, 4
// wheel down; 5 and up (horizontal scrolling) are ignored.
void mouse_button_down_event(int32_t button, int32_t x_px, int32_t y_px);
void mouse_button_up_event(int32_t button, int32_t x_px, int32_t y_px);
// The toolkit's wheel callback: wheel 0 only; direction above 0 is a notch
// up, below 0 a notch down.
void mouse_wheel_event(int32_t wheel, int32_t direction, int32_t x_px, int32_t y_px);
// Motion with or without buttons held.
void mouse_motion_event(int32_t x_px, int32_t y_px);
// Relative motion from the raw device.
void mouse_raw_motion_event(int32_t dx, int32_t dy);

// Motion records wait for this many reports after a frame build before they
// may carry movement; the frame builder sets it with mouse_movement_skip_arm.
extern std::atomic<uint32_t> mouse_movement_skip;
void mouse_movement_skip_arm();

// The pointer shape the program asks for (a toolkit cursor number, 101 none),
// -1 when no change waits. The window layer takes it on the main thread.
extern std::atomic<int32_t> mouse_cursor_request;

// --- Program thread: queries ------------------------------------------------

// Moves to the next record: -1, or 0 when every record has been taken.
int32_t mouse_input_next();
// The current record's position on the display page: pixels on a graphics
// page, a column or row (0.5 at the left or top edge) on a text page.
double mouse_x();
double mouse_y();
double mouse_movement_x();
double mouse_movement_y();
// Button n held (1 left, 2 right, 3 middle): -1 or 0; n below 1 raises
// error 5.
int32_t mouse_button_held(int32_t n);
// -1 for a notch up, 1 for a notch down, 0 otherwise.
int32_t mouse_wheel_get();
// The newest record (the live state), read without moving the read position:
// its position as mouse_x and mouse_y give it and its buttons (bit 0 left,
// bit 1 middle, bit 2 right).
struct mouse_newest {
    double x, y;
    uint32_t buttons;
};
mouse_newest mouse_newest_get();
// Checks a position on the display page (error 5 outside it). The pointer is
// not moved.
void mouse_move_to(double x, double y);
// Hides the pointer, or shows it with a style word ("DEFAULT", "LINK",
// "TEXT", "CROSSHAIR", "VERTICAL", "HORIZONTAL", "TOPLEFT_BOTTOMRIGHT",
// "TOPRIGHT_BOTTOMLEFT"; without one the last style). Both first wait for the
// window unless it is hidden or the process is ending.
void mouse_hide();
void mouse_show(const string_descriptor *style, uint32_t given_mask);

// Empties the ring: one record at (0, 0) with no buttons or movement; the
// skip counter 1, the style DEFAULT, no cursor request, the viewport 1:1.
// Start-up and tests; no other thread may use the mouse meanwhile.
void mouse_reset();
