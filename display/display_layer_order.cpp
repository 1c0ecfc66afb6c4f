// The program's choice of the order in which the display callback draws its
// layers.
#include "core/errors.h"
#include "display/display_layers.h"

void display_layer_order_set(int32_t first, int32_t second, int32_t third, int32_t fourth)
{
    const int32_t named[4] = {first, second, third, fourth};
    bool seen[5] = {};
    for (int32_t layer : named) {
        if (layer < 0 || layer > 4 || (layer != 0 && seen[layer])) {
            error_raise(5);
            return;
        }
        seen[layer] = true;
    }
    int32_t position_of[4] = {0, 0, 0, 0};
    for (int32_t position = 1; position <= 4; ++position)
        if (named[position - 1] != 0)
            position_of[named[position - 1] - 1] = position;
    for (int32_t layer = 0; layer < 4; ++layer)
        display_layer_order[layer].store(position_of[layer], std::memory_order_relaxed);
}

void display_layer_order_preset(int32_t n)
{
    switch (n) {
    case 1:
        display_layer_order_set(4, 1, 2, 3);
        break;
    case 2:
        display_layer_order_set(1, 2, 4, 3);
        break;
    case 3:
        display_layer_order_set(4, 0, 0, 0);
        break;
    default:
        break;
    }
}
