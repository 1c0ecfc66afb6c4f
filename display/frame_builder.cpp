// The frame builder's entry, slot handling, and the graphics page kinds.
#include "display/frame_builder.h"
#include "display/mouse.h"

#include "core/errors.h"
#include "core/timing.h"
#include "display/display_layers.h"
#include "display/frame_builder_internal.h"
#include "display/frame_ring.h"
#include "display/window_state.h"
#include "platform/clock.h"
#include "screen/fonts.h"
#include "screen/image_slots.h"
#include "screen/palettes.h"
#include "screen/screen_modes.h"

#include <cstring>

std::atomic<uint32_t> frame_done{0};
std::atomic<uint32_t> frame_force_rebuild{0};
std::atomic<int32_t> display_frame_width{0};
std::atomic<int32_t> display_frame_height{0};

frame_memory frame_mem{};

namespace
{

// Answers a pause request of a page change.
void pause_answer()
{
    int32_t asked = 1;
    if (frame_build_pause.compare_exchange_strong(asked, 2, std::memory_order_acq_rel))
        clock_sleep_ms(0);
}

// Size of the frame of a page; false when its font has no size.
bool frame_size_of(const image_slot *page, int32_t *width, int32_t *height)
{
    if (!page->text_mode) {
        *width = page->width;
        *height = page->height;
        return true;
    }
    uint32_t fw = font_width_of(page->font), fh = font_height_of(page->font);
    *width = int32_t(page->width * fw);
    *height = int32_t(page->height * fh);
    return fw > 0 && fh > 0;
}

// Screen mode 10: palette entries 0-3 blink between the two halves of the
// pseudo-colour table, switching about every half second.
void mode10_palette_update(image_slot *page)
{
    uint32_t phase = uint32_t(ticks_ms() >> 9) & 1;
    for (int32_t i = 0; i < 4; i++) {
        uint32_t pseudo = page->palette[i + 4];
        page->palette[i] = pseudo < 9 ? mode10_color_table[phase * 9 + pseudo] : 0;
    }
}

// A page of 1 to 8 bits a pixel, through its palette.
frame_outcome palette_frame_build(const frame_target &target, image_slot *page)
{
    if (!page->palette)
        return frame_outcome::give_back;
    if (page->mode == 10)
        mode10_palette_update(page);
    size_t n = size_t(page->width) * page->height;
    size_t colours = size_t(1) << (page->bits_per_pixel > 8 ? 8 : page->bits_per_pixel);
    if (frame_mem.graphics_copy.size() != n) {
        frame_mem.graphics_copy.assign(n, 0);
    } else if (!frame_force_rebuild.load(std::memory_order_relaxed)) {
        if (!software_screen_in_layer_order())
            return frame_outcome::give_back;
        if (std::memcmp(page->pixels, frame_mem.graphics_copy.data(), n) == 0 &&
            std::memcmp(page->palette, frame_mem.palette_copy, colours * 4) == 0 &&
            frame_previous_valid.load() == 1)
            return frame_outcome::give_back;
    }
    if (!frame_buffer_take(target))
        return frame_outcome::give_back;
    std::memcpy(frame_mem.graphics_copy.data(), page->pixels, n);
    std::memcpy(frame_mem.palette_copy, page->palette, sizeof frame_mem.palette_copy);
    const uint8_t *src = frame_mem.graphics_copy.data();
    uint32_t *dst = target.slot->pixels;
    for (size_t i = 0; i < n; i++)
        dst[i] = frame_mem.palette_copy[src[i]];
    return frame_outcome::publish;
}

// A 32-bit page, copied as it is.
frame_outcome true_colour_frame_build(const frame_target &target, image_slot *page)
{
    size_t bytes = size_t(page->width) * page->height * 4;
    if (!frame_force_rebuild.load(std::memory_order_relaxed)) {
        const frame_slot *last = frame_ring_newest_done(target.slot);
        if (last && frame_previous_valid.load() == 1 && last->width == page->width &&
            last->height == page->height) {
            if (!software_screen_in_layer_order() ||
                std::memcmp(last->pixels, page->pixels, bytes) == 0)
                return frame_outcome::give_back;
        }
    }
    if (!frame_buffer_take(target))
        return frame_outcome::give_back;
    std::memcpy(target.slot->pixels, page->pixels, bytes);
    return frame_outcome::publish;
}

void slot_publish(frame_slot *slot)
{
    frame_force_rebuild.store(0, std::memory_order_relaxed);
    frame_previous_valid.store(1);
    last_built_frame_order.store(slot->order.load(std::memory_order_relaxed),
                                 std::memory_order_release);
    frame_slot_publish(slot);
}

void slot_give_back(frame_slot *slot)
{
    last_built_frame_order.store(slot->order.load(std::memory_order_relaxed),
                                 std::memory_order_release);
    frame_slot_give_back(slot);
}

// Takes a slot and fills it from the display page. False when no slot could
// be had (after the alert).
bool frame_build_into_slot()
{
    frame_target target{};
    target.slot = frame_slot_take(&target.held_order);
    if (!target.slot) {
        alert("Software frame buffer: Failed to find available frame");
        return false;
    }
    image_slot *page = display_page_record.load(std::memory_order_acquire);
    if (!page || !page->pixels || !frame_size_of(page, &target.width, &target.height)) {
        slot_give_back(target.slot);
        return true;
    }
    display_frame_width.store(target.width, std::memory_order_relaxed);
    display_frame_height.store(target.height, std::memory_order_relaxed);
    mouse_movement_skip_arm();
    screen_display_hook();

    frame_outcome outcome;
    if (page->text_mode)
        outcome = text_frame_build(target, page);
    else if (page->bytes_per_pixel == 4)
        outcome = true_colour_frame_build(target, page);
    else
        outcome = palette_frame_build(target, page);
    if (outcome == frame_outcome::publish && !page->text_mode)
        text_frames_forget(); // the slot's pixels are no text frame any more
    if (outcome == frame_outcome::publish)
        slot_publish(target.slot);
    else
        slot_give_back(target.slot);
    return true;
}

} // namespace

bool frame_buffer_take(const frame_target &target)
{
    if (frame_slot_size(target.slot, target.width, target.height))
        return true;
    frame_previous_valid.store(0);
    return false;
}

void software_frame_build()
{
    pause_answer();
    if (window_hidden.load(std::memory_order_relaxed)) {
        frame_done.store(1, std::memory_order_release);
        return;
    }
    if (frame_build_pause.load(std::memory_order_acquire) == 0 && !frame_build_into_slot())
        return;
    pause_answer();
    int32_t switching = -1;
    auto_display.compare_exchange_strong(switching, 0);
    frame_done.store(1, std::memory_order_release);
}

void runtime_frame_build()
{
    frame_builder_started.store(true, std::memory_order_release);
    software_frame_build();
}

bool frame_auto_display_on()
{
    return auto_display.load(std::memory_order_relaxed) != 0;
}

void frame_builder_reset()
{
    frame_mem.text_copy.clear();
    frame_mem.graphics_copy.clear();
    std::memset(frame_mem.palette_copy, 0, sizeof frame_mem.palette_copy);
    frame_mem.last_cursor_col = -1;
    frame_mem.last_cursor_row = -1;
    frame_mem.last_phase = 0;
    frame_mem.cursor_on_screen = false;
    text_frames_forget();
    frame_previous_valid = 0;
    frame_done = 0;
    frame_force_rebuild = 0;
    display_frame_width = 0;
    display_frame_height = 0;
}
