// What the frame builder's kinds share (frame builder files only).
#pragma once

#include <cstdint>
#include <vector>

struct frame_slot;
struct image_slot;

// What a kind does with the slot it was given.
enum class frame_outcome { publish, give_back };

// The slot being built, and the order of the frame it held when it was taken
// back from the ready state (0 when it was free).
struct frame_target {
    frame_slot *slot;
    uint64_t held_order;
    int32_t width;
    int32_t height;
};

// What the builder remembers of the frames it made.
struct frame_memory {
    std::vector<uint8_t> text_copy;     // cells of the last text frame
    std::vector<uint8_t> graphics_copy; // pixels of the last 8-bit frame
    std::vector<uint8_t> redraw;        // cells drawn in the frame being built
    std::vector<uint32_t> drawn_in_row; // how many of them each cell row holds
    uint32_t palette_copy[256];
    int32_t last_cursor_col;
    int32_t last_cursor_row;
    uint32_t last_phase;
    bool cursor_on_screen; // the newest text frame shows the cursor, in this cell
    int32_t cursor_screen_col;
    int32_t cursor_screen_row;
    // Per frame slot: the cell rows in which the slot's pixels lag behind the
    // newest text frame (empty: the slot holds no text frame to build on), so
    // a new frame copies only those rows from the newest one.
    std::vector<uint8_t> stale_rows[3]; // one per frame_ring slot
};
extern frame_memory frame_mem;

// Makes room in the slot for the frame. When the memory cannot be had the
// next frame is drawn whole (the copies may already be ahead of the frames).
bool frame_buffer_take(const frame_target &target);

frame_outcome text_frame_build(const frame_target &target, image_slot *page);
// Forgets which rows of each slot lag behind: the next text frames copy whole.
void text_frames_forget();

// Rows of a text cell of fh rows filled by a cursor with start line `start`
// and stop line `stop`: the first row and the count (0: none).
struct cursor_span {
    int32_t first;
    int32_t count;
};
cursor_span text_cursor_span(uint32_t start, uint32_t stop, int32_t fh);
