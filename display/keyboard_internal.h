// What the keyboard's source files share among themselves.
#pragma once

#include <cstdint>

// Held-key set.
bool key_held_exact(int32_t code); // the code itself, no alias
bool key_shift_held();
bool key_ctrl_held();
bool key_alt_held();
// Copies the held codes into codes (at most max); returns how many.
uint32_t key_held_snapshot(int32_t *codes, uint32_t max);
void key_held_reset();

// Key-hit ring and BIOS buffer.
void key_hit_ring_push(int32_t code, bool keypad);
void key_hit_ring_empty();
// Appends (character, scan) unless the buffer is full.
void bios_buffer_put(uint8_t character, uint8_t scan);
void key_buffers_reset();

// Handler state: trapped keys, the soft-key and Unicode marks.
void key_events_reset();
// Marks the next key-down as coming from Unicode input.
void key_unicode_mark_set();
