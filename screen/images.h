// The image handle layer: what programs call on image handles.
//
// Handles: a number >= 0 is a screen page (made on first use); -n is the
// software image in slot n; numbers from -16,777,216 up to (not including)
// -8,388,608 are hardware images (GL textures), -16,777,216 plus their list
// index. An operation with an optional handle uses the write page when none
// is given. Errors: 5 for bad arguments, 258 for a handle that names no image.
// Everything returns at once (0 or no effect) while an error is pending.
//
// Hardware images belong to the window subsystem: it installs
// hardware_image_hooks, and until it does every hardware handle names no image.
#pragma once

#include <cstdint>

struct image_slot;
struct string_descriptor;

// What the image layer asks of the hardware-image subsystem.
struct hardware_image_hooks {
    // Makes a hardware image from 32-bit pixels (copied); its handle or -1.
    int32_t (*create_from_pixels)(int32_t width, int32_t height, const uint32_t *pixels);
    // True when the handle names a live hardware image.
    bool (*exists)(int32_t handle);
    int32_t (*width)(int32_t handle);
    int32_t (*height)(int32_t handle);
    // Queues the image's release for the display callback.
    void (*release)(int32_t handle);
    // Records the image's blend choice.
    void (*blend_set)(int32_t handle, bool on);
};
// Installs the hooks (null removes them).
void hardware_image_hooks_set(const hardware_image_hooks *hooks);
bool image_handle_is_hardware(int32_t handle);

// Resolves an optional handle to its record: the write page when not given; a
// screen page is made to exist. Null after raising error 258 (hardware
// handles included: callers that know them check first).
image_slot *image_handle_record(int32_t handle, bool given);
// The same, giving the slot number (0 after the error).
uint32_t image_handle_slot(int32_t handle, bool given);

// Making and freeing.
int32_t image_new(int32_t width, int32_t height, int32_t mode, bool mode_given);
// A copy of an image (passed: bit 1 handle given, bit 2 mode given); mode 33
// of a 32-bit image makes a hardware image. The new handle, or -1.
constexpr uint32_t IMAGE_COPY_HANDLE_GIVEN = 1;
constexpr uint32_t IMAGE_COPY_MODE_GIVEN = 2;
int32_t image_copy(int32_t handle, int32_t mode, uint32_t passed);
void image_free(int32_t handle, bool given);
// Frees every program image that is not a screen page (program end).
void image_free_all();

// Pages.
void write_page_set(int32_t handle);
void read_page_set(int32_t handle);
int32_t write_page_get();
int32_t read_page_get();
int32_t display_page_get();

// Queries.
int32_t image_width(int32_t handle, bool given);
int32_t image_height(int32_t handle, bool given);
int32_t image_pixel_size(int32_t handle, bool given);
int32_t image_transparent_color_get(int32_t handle, bool given);
int32_t image_blend_get(int32_t handle, bool given);
uint32_t image_fore_color_get(int32_t handle, bool given);
uint32_t image_back_color_get(int32_t handle, bool given);
uint32_t palette_entry_get(int32_t index, int32_t handle, bool given);

// Settings.
void image_blend_on(int32_t handle, bool given);
void image_blend_off(int32_t handle, bool given);
// passed: bit 1 the no-colour form, bit 2 colour given, bit 4 handle given.
void image_transparent_color_set(uint32_t colour, int32_t handle, uint32_t passed);
// passed: bit 1 colour1, bit 2 handle, bit 4 colour2.
void image_alpha_set(int32_t alpha, uint32_t colour1, uint32_t colour2, int32_t handle,
                     uint32_t passed);
void palette_entry_set(int32_t index, uint32_t colour, int32_t handle, bool given);
// passed: bit 1 source given, bit 2 destination given.
void palette_copy(int32_t source, int32_t destination, uint32_t passed);
void image_print_mode_set(int32_t mode, int32_t handle, bool given);
int32_t image_print_mode_get(int32_t handle, bool given);

// Text measuring and drawing.
int32_t text_pixel_width(const string_descriptor *text, int32_t handle, bool given);
// passed: bit 1 STEP, bit 2 handle given.
void text_draw_at(float x, float y, const string_descriptor *text, int32_t handle,
                  uint32_t passed);
// Draws one built-in glyph (font 8, 14 or 16) with its top left at (x, y)
// by `print_mode`, through the clipped pixel setter.
void glyph_draw(image_slot *record, int32_t x, int32_t y, uint8_t code, uint32_t fore,
                uint32_t back);
