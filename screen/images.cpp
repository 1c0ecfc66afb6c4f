// Image handles: resolution, making, copying and freeing images, and the
// write and read page selectors.
#include "screen/images.h"

#include "core/errors.h"
#include "screen/fonts.h"
#include "screen/image_slots.h"

#include <cstdlib>
#include <cstring>

static hardware_image_hooks hardware_hooks{};

void hardware_image_hooks_set(const hardware_image_hooks *hooks)
{
    hardware_hooks = hooks ? *hooks : hardware_image_hooks{};
}

bool image_handle_is_hardware(int32_t handle)
{
    return handle >= HARDWARE_IMAGE_HANDLE_BASE && handle < HARDWARE_IMAGE_HANDLE_TOP;
}

// True when the handle names a live hardware image.
static bool hardware_image_exists(int32_t handle)
{
    return image_handle_is_hardware(handle) && hardware_hooks.exists &&
           hardware_hooks.exists(handle);
}

uint32_t image_handle_slot(int32_t handle, bool given)
{
    if (!given) {
        if (write_page.record && write_page.record->in_use)
            return write_page.slot;
        error_raise(258);
        return 0;
    }
    if (handle >= 0)
        return screen_page_ensure(uint32_t(handle));
    uint32_t slot = uint32_t(-int64_t(handle) > int64_t(UINT32_MAX) ? 0 : -int64_t(handle));
    if (!image_slot_live(slot)) {
        error_raise(258);
        return 0;
    }
    return slot;
}

image_slot *image_handle_record(int32_t handle, bool given)
{
    uint32_t slot = image_handle_slot(handle, given);
    return slot ? image_slot_get(slot) : nullptr;
}

int32_t image_new(int32_t width, int32_t height, int32_t mode, bool mode_given)
{
    if (error_pending)
        return 0;
    if (width < 1 || height < 1 || (mode_given && !image_mode_valid(mode))) {
        error_raise(5);
        return 0;
    }
    image_slot *source = write_page.record;
    if (!mode_given) {
        if (!source) {
            error_raise(258);
            return 0;
        }
        mode = source->mode;
    }
    uint32_t slot = image_create(width, height, mode);
    if (!slot)
        return -1;
    if (mode_given)
        return -int32_t(slot);
    image_slot *r = image_slot_get(slot);
    if (r->palette && source->palette)
        std::memcpy(r->palette, source->palette, 256 * sizeof(uint32_t));
    image_font_set(int32_t(source->font), -int32_t(slot), true);
    r->fore_color = source->fore_color;
    r->back_color = source->back_color;
    r->transparent_color = source->transparent_color;
    r->blend_off = source->blend_off;
    r->print_mode = source->print_mode;
    return -int32_t(slot);
}

// Gives a copied record its own pixels and palette. False when memory runs out.
static bool image_copy_memory(image_slot *copy, const image_slot *source)
{
    copy->pixels = nullptr;
    copy->palette = nullptr;
    copy->flags &= ~(IMAGE_FLAG_OWNS_PIXELS | IMAGE_FLAG_OWNS_PALETTE);
    uint64_t bytes = uint64_t(source->width) * source->height * source->bytes_per_pixel;
    copy->pixels = static_cast<uint8_t *>(std::malloc(bytes ? bytes : 1));
    if (!copy->pixels)
        return false;
    copy->flags |= IMAGE_FLAG_OWNS_PIXELS;
    if (source->pixels)
        std::memcpy(copy->pixels, source->pixels, bytes);
    else
        std::memset(copy->pixels, 0, bytes);
    if (source->palette) {
        copy->palette = static_cast<uint32_t *>(std::malloc(256 * sizeof(uint32_t)));
        if (!copy->palette)
            return false;
        copy->flags |= IMAGE_FLAG_OWNS_PALETTE;
        std::memcpy(copy->palette, source->palette, 256 * sizeof(uint32_t));
    }
    return true;
}

int32_t image_copy(int32_t handle, int32_t mode, uint32_t passed)
{
    if (error_pending)
        return -1;
    image_slot *source = image_handle_record(handle, passed & IMAGE_COPY_HANDLE_GIVEN);
    if (!source)
        return -1;
    if ((passed & IMAGE_COPY_MODE_GIVEN) && mode != source->mode) {
        if (mode == 33 && source->bytes_per_pixel == 4 && hardware_hooks.create_from_pixels)
            return hardware_hooks.create_from_pixels(
                source->width, source->height, reinterpret_cast<const uint32_t *>(source->pixels));
        error_raise(5);
        return -1;
    }
    uint32_t slot = image_slot_alloc();
    if (!slot)
        return -1;
    image_slot *copy = image_slot_get(slot);
    *copy = *source;
    // A memory lock belongs to the image it was taken on: the copy starts
    // without one, so freeing the copy cannot end the source's memory block.
    copy->mem_lock = nullptr;
    copy->mem_lock_serial = 0;
    copy->flags &= ~IMAGE_FLAG_SCREEN_PAGE;
    if (!image_copy_memory(copy, source)) {
        image_release(slot);
        return -1;
    }
    return -int32_t(slot);
}

// Frees a software image that is not a screen page; the write and read pages
// fall back to the display page when they named it.
static void image_free_slot(uint32_t slot)
{
    if (write_page.slot == slot)
        write_page_select(display_page_slot.load(std::memory_order_relaxed));
    if (read_page.slot == slot)
        read_page_select(display_page_slot.load(std::memory_order_relaxed));
    image_release(slot);
}

void image_free(int32_t handle, bool given)
{
    if (error_pending)
        return;
    if (given && handle >= 0) {
        error_raise(5);
        return;
    }
    if (given && image_handle_is_hardware(handle)) {
        if (hardware_image_exists(handle) && hardware_hooks.release)
            hardware_hooks.release(handle);
        else
            error_raise(258);
        return;
    }
    uint32_t slot = image_handle_slot(handle, given);
    if (!slot)
        return;
    if (image_slot_get(slot)->flags & IMAGE_FLAG_SCREEN_PAGE) {
        error_raise(5);
        return;
    }
    image_free_slot(slot);
}

void image_free_all()
{
    for (uint32_t slot = 2; slot < slots_used; slot++) {
        const image_slot *r = image_slot_get(slot);
        if (r->in_use && !(r->flags & IMAGE_FLAG_SCREEN_PAGE))
            image_free_slot(slot);
    }
}

void write_page_set(int32_t handle)
{
    if (error_pending)
        return;
    uint32_t slot = image_handle_slot(handle, true);
    if (slot)
        write_page_select(slot);
}

void read_page_set(int32_t handle)
{
    if (error_pending)
        return;
    uint32_t slot = image_handle_slot(handle, true);
    if (slot)
        read_page_select(slot);
}

int32_t write_page_get() { return -int32_t(write_page.slot); }
int32_t read_page_get() { return -int32_t(read_page.slot); }
int32_t display_page_get() { return -int32_t(display_page_slot.load(std::memory_order_relaxed)); }

int32_t image_width(int32_t handle, bool given)
{
    if (error_pending)
        return 0;
    if (given && image_handle_is_hardware(handle)) {
        if (hardware_image_exists(handle) && hardware_hooks.width)
            return hardware_hooks.width(handle);
        error_raise(258);
        return 0;
    }
    image_slot *r = image_handle_record(handle, given);
    return r ? r->width : 0;
}

int32_t image_height(int32_t handle, bool given)
{
    if (error_pending)
        return 0;
    if (given && image_handle_is_hardware(handle)) {
        if (hardware_image_exists(handle) && hardware_hooks.height)
            return hardware_hooks.height(handle);
        error_raise(258);
        return 0;
    }
    image_slot *r = image_handle_record(handle, given);
    return r ? r->height : 0;
}

// Blending on or off; a hardware image records the choice itself.
static void image_blend_choose(int32_t handle, bool given, bool on)
{
    if (error_pending)
        return;
    if (given && image_handle_is_hardware(handle)) {
        if (hardware_image_exists(handle) && hardware_hooks.blend_set)
            hardware_hooks.blend_set(handle, on);
        else
            error_raise(258);
        return;
    }
    image_slot *r = image_handle_record(handle, given);
    if (!r)
        return;
    if (r->bytes_per_pixel == 4)
        r->blend_off = on ? 0 : 1;
    else if (on)
        error_raise(5);
}

void image_blend_on(int32_t handle, bool given) { image_blend_choose(handle, given, true); }
void image_blend_off(int32_t handle, bool given) { image_blend_choose(handle, given, false); }
