#include "core/ports.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "display/scancode_queue.h"
#include "platform/clock.h"

#include <cmath>

std::atomic<uint32_t> retrace_latch{0};
std::atomic<uint32_t> retrace_active{0};
uint32_t unhandled_port = 0;

namespace {

constexpr uint16_t PORT_DAC_READ_INDEX = 0x3C7;
constexpr uint16_t PORT_DAC_WRITE_INDEX = 0x3C8;
constexpr uint16_t PORT_DAC_DATA = 0x3C9;
constexpr uint16_t PORT_INPUT_STATUS = 0x3DA;
constexpr uint16_t PORT_KEYBOARD_DATA = 0x60;
constexpr uint8_t STATUS_RETRACE = 8;

// Scaling between the DAC's 6-bit components and the palette's 8-bit bytes.
constexpr double DAC_TO_BYTE = 4.0634918212890625;
constexpr double BYTE_TO_DAC = 3.984376;
constexpr double ROUND_BIAS = 0.49999991059303284;

struct dac_state {
    uint32_t read_index;
    uint32_t read_component;
    uint32_t write_index;
    uint32_t write_component;
};

dac_state dac{};
palette_write_page_fn palette_hook = nullptr;

uint32_t *write_page_palette() {
    return palette_hook ? palette_hook() : nullptr;
}

// Bit position of a colour component in a 0xAARRGGBB entry: red, green, blue.
uint32_t component_shift(uint32_t component) {
    return 16 - 8 * component;
}

// Both results lie in 0..255 for any byte input, so the conversion is defined.
uint8_t dac_to_byte(uint8_t value) {
    return uint8_t(std::nearbyint((value & 63) * DAC_TO_BYTE - ROUND_BIAS));
}

uint8_t byte_to_dac(uint8_t value) {
    return uint8_t(std::nearbyint(value / BYTE_TO_DAC - ROUND_BIAS));
}

// One component into the entry at the write index; after blue, the next entry.
void dac_write(uint8_t value) {
    uint32_t *palette = write_page_palette();
    if (!palette) return;
    uint32_t &entry = palette[dac.write_index];
    const uint32_t shift = component_shift(dac.write_component);
    entry = (entry & ~(0xFFu << shift)) | uint32_t(dac_to_byte(value)) << shift;
    if (++dac.write_component == 3) {
        dac.write_component = 0;
        dac.write_index = (dac.write_index + 1) & 0xFF;
    }
}

// One component of the entry at the read index; after blue, the next entry.
int32_t dac_read() {
    const uint32_t *palette = write_page_palette();
    if (!palette) return 0;
    const uint32_t shift = component_shift(dac.read_component);
    const uint8_t byte = uint8_t(palette[dac.read_index] >> shift);
    if (++dac.read_component == 3) {
        dac.read_component = 0;
        dac.read_index = (dac.read_index + 1) & 0xFF;
    }
    return byte_to_dac(byte);
}

bool port_in_range(int32_t port) {
    return port >= -65'536 && port <= 65'535;
}

} // namespace

void ports_palette_hook_set(palette_write_page_fn fn) {
    palette_hook = fn;
}

void rt_out(uint16_t port, uint8_t value) {
    if (error_pending.load(std::memory_order_relaxed)) return;
    unhandled_port = 0;
    switch (port) {
    case PORT_DAC_READ_INDEX:
        dac.read_index = value;
        dac.read_component = 0;
        break;
    case PORT_DAC_WRITE_INDEX:
        dac.write_index = value;
        dac.write_component = 0;
        break;
    case PORT_DAC_DATA:
        dac_write(value);
        break;
    default:
        unhandled_port = 1;
    }
}

int32_t rt_inp(int32_t port) {
    unhandled_port = 0;
    if (!port_in_range(port)) {
        error_raise(6);
        return 0;
    }
    switch (uint16_t(port & 0xFFFF)) {
    case PORT_DAC_DATA:
        return dac_read();
    case PORT_INPUT_STATUS: {
        const uint32_t latch = retrace_latch.exchange(0, std::memory_order_relaxed);
        const uint32_t active = retrace_active.load(std::memory_order_relaxed);
        return (latch | active) ? STATUS_RETRACE : 0;
    }
    case PORT_KEYBOARD_DATA:
        return scancode_queue_take();
    default:
        unhandled_port = 1;
        return 0;
    }
}

void rt_wait(int32_t port, int32_t and_mask, int32_t xor_mask, bool xor_given) {
    if (error_pending.load(std::memory_order_relaxed)) return;
    const auto mask_in_range = [](int32_t m) { return m >= -32'768 && m <= 65'535; };
    if (!port_in_range(port) || !mask_in_range(and_mask) ||
        (xor_given && !mask_in_range(xor_mask))) {
        error_raise(6);
        return;
    }
    for (;;) {
        int32_t value = rt_inp(port);
        if (xor_given) value ^= xor_mask & 0xFF;
        value &= and_mask & 0xFF;
        if (value || unhandled_port || exit_acknowledged.load(std::memory_order_relaxed)) return;
        clock_sleep_ms(1);
    }
}

void ports_reset() {
    dac = dac_state{};
    unhandled_port = 0;
    retrace_latch.store(0);
    retrace_active.store(0);
}
