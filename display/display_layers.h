// The order in which the display callback draws its layers.
//
// display_layer_order holds, for the software screen, the hardware layer, the
// GL layer and the second hardware layer, the position (1-4) at which each is
// drawn, or 0 when it is not drawn. The program thread changes it; the frame
// builder and the display callback read it.
#pragma once

#include <atomic>
#include <cstdint>

constexpr int DISPLAY_LAYER_SOFTWARE = 0;
constexpr int DISPLAY_LAYER_HARDWARE = 1;
constexpr int DISPLAY_LAYER_GL = 2;
constexpr int DISPLAY_LAYER_HARDWARE2 = 3;

extern std::atomic<int32_t> display_layer_order[4];

// Back to the start-up order 1, 2, 3, 4.
void display_layer_order_reset();

// True while the software screen is drawn at all.
bool software_screen_in_layer_order();
