// The mouse event ring, the window layer's mouse reports and the mouse
// queries.
//
// The ring's indices count records since the reset (64 bits: they never
// wrap); a slot is index % MOUSE_EVENT_RING_SLOTS. newest_index names the
// newest record, read_index the current one. The program thread moves
// read_index on; the main thread moves it too when an append would meet it.
// Both move it only by compare-exchange, and the program thread copies a
// record before its compare-exchange, so the copy is only kept when the
// record was still in the ring.
#include "display/mouse.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "core/small_ops.h"
#include "core/strings.h"
#include "display/devices.h"
#include "display/window_state.h"
#include "platform/clock.h"
#include "screen/fonts.h"
#include "screen/image_slots.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

std::atomic<uint32_t> mouse_movement_skip{1};
std::atomic<int32_t> mouse_cursor_request{-1};

namespace
{

struct mouse_record {
    int16_t x = 0, y = 0;
    uint32_t buttons = 0;
    int16_t move_x = 0, move_y = 0;
};

// A record in two words: position and buttons, movement.
std::atomic<uint64_t> ring_position[MOUSE_EVENT_RING_SLOTS];
std::atomic<uint32_t> ring_movement[MOUSE_EVENT_RING_SLOTS];
std::atomic<uint64_t> newest_index{0};
std::atomic<uint64_t> read_index{0};

mouse_record newest;  // main thread: the live state
mouse_record current; // program thread: the record the queries read

std::atomic<int32_t> viewport_x1{0}, viewport_y1{0};
std::atomic<float> viewport_scale_x{1.0f}, viewport_scale_y{1.0f};
std::atomic<int32_t> viewport_frame_width{640}, viewport_frame_height{400};

int32_t pointer_style = 1; // program thread

constexpr uint32_t BUTTON_WHEEL_UP = 4;
constexpr uint32_t BUTTON_WHEEL_DOWN = 5;
constexpr uint32_t BIT_WHEEL_UP = 8;
constexpr uint32_t BIT_WHEEL_DOWN = 16;
constexpr int32_t CURSOR_NONE = 101;
constexpr uint32_t WINDOW_WAIT_STEP_MS = 100;

struct pointer_style_name {
    const char *name;
    int32_t cursor;
};
constexpr pointer_style_name pointer_styles[] = {
    {"DEFAULT", 1},
    {"LINK", 2},
    {"TEXT", 8},
    {"CROSSHAIR", 9},
    {"VERTICAL", 10},
    {"HORIZONTAL", 11},
    {"TOPLEFT_BOTTOMRIGHT", 16},
    {"TOPRIGHT_BOTTOMLEFT", 17},
};

int16_t to_i16(int32_t v)
{
    return int16_t(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
}

void slot_store(uint64_t index, const mouse_record &r)
{
    const uint64_t position =
        uint64_t(uint16_t(r.x)) | uint64_t(uint16_t(r.y)) << 16 | uint64_t(r.buttons) << 32;
    const uint32_t movement = uint32_t(uint16_t(r.move_x)) | uint32_t(uint16_t(r.move_y)) << 16;
    ring_position[index % MOUSE_EVENT_RING_SLOTS].store(position, std::memory_order_relaxed);
    ring_movement[index % MOUSE_EVENT_RING_SLOTS].store(movement, std::memory_order_relaxed);
}

mouse_record slot_load(uint64_t index)
{
    const uint64_t position =
        ring_position[index % MOUSE_EVENT_RING_SLOTS].load(std::memory_order_relaxed);
    const uint32_t movement =
        ring_movement[index % MOUSE_EVENT_RING_SLOTS].load(std::memory_order_relaxed);
    mouse_record r;
    r.x = int16_t(uint16_t(position));
    r.y = int16_t(uint16_t(position >> 16));
    r.buttons = uint32_t(position >> 32);
    r.move_x = int16_t(uint16_t(movement));
    r.move_y = int16_t(uint16_t(movement >> 16));
    return r;
}

// Main thread: appends a record as the new live state.
void record_append(const mouse_record &r)
{
    const uint64_t w = newest_index.load(std::memory_order_relaxed) + 1;
    uint64_t read = read_index.load(std::memory_order_acquire);
    while (w - read >= MOUSE_EVENT_RING_SLOTS) {
        if (read_index.compare_exchange_weak(read, read + 1, std::memory_order_acq_rel))
            break;
    }
    slot_store(w, r);
    newest_index.store(w, std::memory_order_release);
    newest = r;
}

// Toolkit button number to runtime button 1-5, 0 for buttons not used.
uint32_t runtime_button(int32_t toolkit_button)
{
    return toolkit_button >= 0 && toolkit_button <= 4 ? uint32_t(toolkit_button) + 1 : 0;
}

void runtime_button_event(uint32_t button, bool down, int32_t x_px, int32_t y_px)
{
    mouse_record r = newest;
    r.x = to_i16(x_px);
    r.y = to_i16(y_px);
    r.move_x = r.move_y = 0;
    const uint32_t bit = 1u << (button - 1);
    r.buttons = down ? (r.buttons | bit) : (r.buttons & ~bit);
    record_append(r);
    if (button <= 3)
        device_mouse_button_event(int32_t(button), down);
}

// A window coordinate as a frame pixel, clamped to the frame.
int32_t frame_pixel(int32_t window_px, int32_t origin_px, float scale, int32_t frame_px)
{
    if (!(scale > 0.0f))
        scale = 1.0f;
    const double p = (double(window_px) - origin_px + 0.5) / scale - 0.5;
    return std::clamp(round_double_to_int32(p), 0, std::max(frame_px - 1, 0));
}

// A frame pixel as a device axis from -1 to 1.
float device_axis(int32_t p, int32_t frame_px)
{
    return frame_px > 1 ? float(double(p) / (frame_px - 1) * 2.0 - 1.0) : 0.0f;
}

// A pixel on a text page as a column or row: p / cell + 0.5, nudged by 0.001
// so that rounding it gives the cell the pixel lies in even where the value
// is a tie (pixel 0 gives 0.5, which would round to 0).
double text_coordinate(int32_t p, int32_t cell_px)
{
    double c = double(p) / cell_px + 0.5;
    const int32_t cell = p / cell_px + 1;
    const int32_t rounded = round_double_to_int32(c);
    if (rounded > cell)
        c -= 0.001;
    else if (rounded < cell)
        c += 0.001;
    return c;
}

// The current record's coordinate on the display page.
double page_coordinate(int32_t window_px, int32_t origin_px, float scale, int32_t frame_px,
                       bool vertical)
{
    int32_t p = frame_pixel(window_px, origin_px, scale, frame_px);
    const image_slot *page = display_page_record.load(std::memory_order_acquire);
    if (!page)
        return p;
    if (!page->text_mode) {
        const int32_t size_px = vertical ? page->height : page->width;
        return std::min(p, std::max(size_px - 1, 0));
    }
    int32_t cell_px = int32_t(vertical ? font_height_of(page->font) : font_width_of(page->font));
    if (cell_px <= 0)
        cell_px = 8;
    const int32_t cells = vertical ? page->height : page->width;
    p = std::min(p, std::max(cells * cell_px - 1, 0));
    return text_coordinate(p, cell_px);
}

bool error_is_pending()
{
    return error_pending.load(std::memory_order_relaxed) != 0;
}

// Waits until the window exists, unless it is hidden or the process is ending.
void window_wait()
{
    if (window_hidden.load())
        return;
    while (!window_exists.load() && !exit_acknowledged.load())
        clock_sleep_ms(WINDOW_WAIT_STEP_MS);
}

bool in_range(double v, double low, double high)
{
    return v >= low && v <= high;
}

} // namespace

void mouse_viewport_set(const mouse_viewport &viewport)
{
    viewport_x1.store(viewport.x1_px, std::memory_order_relaxed);
    viewport_y1.store(viewport.y1_px, std::memory_order_relaxed);
    viewport_scale_x.store(viewport.scale_x, std::memory_order_relaxed);
    viewport_scale_y.store(viewport.scale_y, std::memory_order_relaxed);
    viewport_frame_width.store(viewport.frame_width_px, std::memory_order_relaxed);
    viewport_frame_height.store(viewport.frame_height_px, std::memory_order_relaxed);
}

mouse_viewport mouse_viewport_get()
{
    mouse_viewport v;
    v.x1_px = viewport_x1.load(std::memory_order_relaxed);
    v.y1_px = viewport_y1.load(std::memory_order_relaxed);
    v.scale_x = viewport_scale_x.load(std::memory_order_relaxed);
    v.scale_y = viewport_scale_y.load(std::memory_order_relaxed);
    v.frame_width_px = viewport_frame_width.load(std::memory_order_relaxed);
    v.frame_height_px = viewport_frame_height.load(std::memory_order_relaxed);
    return v;
}

void mouse_button_down_event(int32_t button, int32_t x_px, int32_t y_px)
{
    if (const uint32_t b = runtime_button(button))
        runtime_button_event(b, true, x_px, y_px);
}

void mouse_button_up_event(int32_t button, int32_t x_px, int32_t y_px)
{
    if (const uint32_t b = runtime_button(button))
        runtime_button_event(b, false, x_px, y_px);
}

void mouse_wheel_event(int32_t wheel, int32_t direction, int32_t x_px, int32_t y_px)
{
    if (wheel != 0 || direction == 0)
        return;
    const uint32_t button = direction > 0 ? BUTTON_WHEEL_UP : BUTTON_WHEEL_DOWN;
    runtime_button_event(button, true, x_px, y_px);
    runtime_button_event(button, false, x_px, y_px);
}

void mouse_motion_event(int32_t x_px, int32_t y_px)
{
    mouse_record r = newest;
    r.x = to_i16(x_px);
    r.y = to_i16(y_px);
    r.move_x = r.move_y = 0;
    uint32_t skip = mouse_movement_skip.load();
    while (skip > 0 && !mouse_movement_skip.compare_exchange_weak(skip, skip - 1)) {
    }
    record_append(r);
    record_append(r);
    if (device_count() >= DEVICE_MOUSE) {
        const mouse_viewport v = mouse_viewport_get();
        device_mouse_axes_event(
            device_axis(frame_pixel(x_px, v.x1_px, v.scale_x, v.frame_width_px), v.frame_width_px),
            device_axis(frame_pixel(y_px, v.y1_px, v.scale_y, v.frame_height_px),
                        v.frame_height_px));
    }
}

void mouse_raw_motion_event(int32_t dx, int32_t dy)
{
    if (dx == 0 && dy == 0)
        return;
    mouse_record r = newest;
    r.move_x = to_i16(dx);
    r.move_y = to_i16(dy);
    record_append(r);
    r.move_x = r.move_y = 0;
    record_append(r);
}

void mouse_movement_skip_arm()
{
    mouse_movement_skip.store(4);
}

int32_t mouse_input_next()
{
    uint64_t r = read_index.load(std::memory_order_acquire);
    for (;;) {
        if (r == newest_index.load(std::memory_order_acquire))
            return 0;
        const mouse_record next = slot_load(r + 1);
        if (read_index.compare_exchange_weak(r, r + 1, std::memory_order_acq_rel)) {
            current = next;
            return -1;
        }
    }
}

double mouse_x()
{
    const mouse_viewport v = mouse_viewport_get();
    return page_coordinate(current.x, v.x1_px, v.scale_x, v.frame_width_px, false);
}

double mouse_y()
{
    const mouse_viewport v = mouse_viewport_get();
    return page_coordinate(current.y, v.y1_px, v.scale_y, v.frame_height_px, true);
}

mouse_newest mouse_newest_get()
{
    const mouse_record r = slot_load(newest_index.load(std::memory_order_acquire));
    const mouse_viewport v = mouse_viewport_get();
    return mouse_newest{page_coordinate(r.x, v.x1_px, v.scale_x, v.frame_width_px, false),
                        page_coordinate(r.y, v.y1_px, v.scale_y, v.frame_height_px, true),
                        r.buttons};
}

double mouse_movement_x()
{
    return current.move_x;
}
double mouse_movement_y()
{
    return current.move_y;
}

int32_t mouse_button_held(int32_t n)
{
    if (n < 1) {
        error_raise(5);
        return 0;
    }
    static constexpr uint32_t bits[] = {1, 4, 2}; // buttons 2 and 3 swapped
    if (n > 3)
        return 0;
    return (current.buttons & bits[n - 1]) ? -1 : 0;
}

int32_t mouse_wheel_get()
{
    const bool up = current.buttons & BIT_WHEEL_UP, down = current.buttons & BIT_WHEEL_DOWN;
    return up && !down ? -1 : down && !up ? 1 : 0;
}

void mouse_move_to(double x, double y)
{
    const image_slot *page = display_page_record.load(std::memory_order_acquire);
    if (!page)
        return;
    bool inside;
    if (page->text_mode)
        inside = in_range(x, 0.5, page->width + 0.5) && in_range(y, 0.5, page->height + 0.5);
    else
        inside = in_range(x, 0, page->width - 1) && in_range(y, 0, page->height - 1);
    if (!inside)
        error_raise(5);
}

void mouse_hide()
{
    window_wait();
    mouse_cursor_request.store(CURSOR_NONE);
}

void mouse_show(const string_descriptor *style, uint32_t given_mask)
{
    if (error_is_pending())
        return;
    if (given_mask & 1) {
        char word[32] = {};
        const int32_t length = style ? style->len : 0;
        const pointer_style_name *found = nullptr;
        if (length > 0 && length < int32_t(sizeof word)) {
            for (int32_t i = 0; i < length; i++)
                word[i] = char(std::toupper(style->chr[i]));
            for (const pointer_style_name &s : pointer_styles)
                if (std::strlen(s.name) == size_t(length) &&
                    std::memcmp(s.name, word, size_t(length)) == 0)
                    found = &s;
        }
        if (!found) {
            error_raise(5);
            return;
        }
        pointer_style = found->cursor;
    }
    window_wait();
    mouse_cursor_request.store(pointer_style);
}

void mouse_reset()
{
    newest_index.store(0);
    read_index.store(0);
    newest = mouse_record{};
    current = mouse_record{};
    slot_store(0, newest);
    mouse_movement_skip.store(1);
    mouse_cursor_request.store(-1);
    pointer_style = 1;
    mouse_viewport_set(mouse_viewport{});
}
