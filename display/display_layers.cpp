#include "display/display_layers.h"

std::atomic<int32_t> display_layer_order[4] = {1, 2, 3, 4};

void display_layer_order_reset()
{
    for (int32_t i = 0; i < 4; i++)
        display_layer_order[i].store(i + 1, std::memory_order_relaxed);
}

bool software_screen_in_layer_order()
{
    return display_layer_order[DISPLAY_LAYER_SOFTWARE].load(std::memory_order_relaxed) != 0;
}
