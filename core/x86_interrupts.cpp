// Software interrupts of the interpreter: interrupt 33h serves the mouse.
#include "core/small_ops.h"
#include "core/x86_internal.h"
#include "display/mouse.h"
#include "screen/image_slots.h"

#include <algorithm>

namespace
{

constexpr uint32_t MOUSE_INTERRUPT = 0x33;
constexpr uint16_t MOUSE_DRIVER_PRESENT = 0xFFFF;
constexpr uint16_t MOUSE_BUTTONS = 2;
constexpr int32_t TEXT_CELL_UNITS = 8; // mouse units per text cell

// Function 3: buttons in BX (bit 0 left, bit 1 right), position in CX and
// DX, from the newest mouse record; the ring's read position stays put.
void mouse_state_get()
{
    const mouse_newest m = mouse_newest_get();
    const uint32_t buttons = (m.buttons & 1) | ((m.buttons & 4) ? 2 : 0);
    const image_slot *page = display_page_record.load(std::memory_order_acquire);
    int32_t x, y;
    if (page && page->text_mode) {
        x = round_double_to_int32((m.x - 0.5) * TEXT_CELL_UNITS);
        y = round_double_to_int32((m.y - 0.5) * TEXT_CELL_UNITS);
        x = std::min(x, page->width * TEXT_CELL_UNITS - 1);
        y = std::min(y, page->height * TEXT_CELL_UNITS - 1);
    } else {
        x = round_double_to_int32(m.x);
        y = round_double_to_int32(m.y);
        if (page && (page->mode == 1 || page->mode == 7 || page->mode == 13))
            x *= 2;
    }
    x86_register_write(X86_BX, 2, buttons);
    x86_register_write(X86_CX, 2, uint32_t(x));
    x86_register_write(X86_DX, 2, uint32_t(y));
}

void mouse_interrupt()
{
    switch (x86_register_read(X86_AX, 2)) {
    case 0:
        x86_register_write(X86_AX, 2, MOUSE_DRIVER_PRESENT);
        x86_register_write(X86_BX, 2, MOUSE_BUTTONS);
        break;
    case 1:
        mouse_show(nullptr, 0);
        break;
    case 2:
        mouse_hide();
        break;
    case 3:
        mouse_state_get();
        break;
    default:
        break;
    }
}

} // namespace

void interrupt_dispatch(uint32_t number)
{
    if (number == MOUSE_INTERRUPT)
        mouse_interrupt();
}
