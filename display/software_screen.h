// The software screen layer of the display callback: the shown frame as a
// hardware image, drawn onto the frame's rectangle of the screen.
#pragma once

#include <cstdint>

struct frame_slot;

// Main thread. Uploads the frame when it is not the one uploaded last (the
// previous upload is freed), then draws it over the whole frame rectangle,
// blended only when `position` is above 1, smoothed by the viewport, and
// flushes the batch.
void software_screen_draw(const frame_slot *shown, int32_t position);
// The current software screen image handle, 0 when there is none.
int32_t software_screen_image();
// Forgets the image without freeing it (the lists were made afresh).
void software_screen_forget();
