// Emulated PC I/O ports behind OUT, INP and WAIT.
//
// Emulated: the VGA palette ports (&H3C7 read index, &H3C8 write index, &H3C9
// data, three 6-bit components per entry), the input status port &H3DA (bit 3
// during vertical retrace) and the keyboard data port &H60 (the scan-code
// queue). Every other port reads 0 and sets the unhandled-port flag.
// Program thread only, except the retrace words.
#pragma once

#include <atomic>
#include <cstdint>

// Emulated vertical retrace, written by the runtime loop thread: INP(&H3DA)
// reports bit 3 while either is set and clears the latch when it does.
extern std::atomic<uint32_t> retrace_latch;
extern std::atomic<uint32_t> retrace_active;

// 1 after INP or OUT on a port that is not emulated.
extern uint32_t unhandled_port;

// The palette of the current write page: 256 entries 0xAARRGGBB, or null when
// the page has none. The screen model installs the hook; with no hook the
// palette ports act as if the page had no palette.
using palette_write_page_fn = uint32_t *(*)();
void ports_palette_hook_set(palette_write_page_fn fn);

// OUT port, value.
void rt_out(uint16_t port, uint8_t value);

// INP(port): the byte read. A port outside -65,536 to 65,535 raises error 6.
int32_t rt_inp(int32_t port);

// WAIT port, and-mask [, xor-mask]: polls the port until (value XOR xor-mask)
// AND and-mask is non-zero, the port is not emulated, or the exit is
// acknowledged.
void rt_wait(int32_t port, int32_t and_mask, int32_t xor_mask, bool xor_given);

// Puts the palette-port state and the flags back to their start values
// (tests). The hook stays.
void ports_reset();
