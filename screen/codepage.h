// The code-page table: the Unicode value of each of the 256 character codes
// (code page 437, with the glyph forms for 1-31 and 127 and U+0020 for 0 and
// 255), and conversions of text through it.
#pragma once

#include <cstdint>

extern uint16_t codepage_table[256];

// Copies the stored table into the working one (start-up, tests).
void codepage_load();

// Converts `byte_length` bytes of text of `input_bits` (8, or 1 for 1-byte
// text; 16 or 32) into `output_bits` (16 or 32) characters in `out`, which
// must hold the result and a terminating 0. 1-byte text goes through the
// table; wider text is taken as it is. Returns the characters written
// (without the 0); -1 for bad widths.
int32_t codepage_convert(int32_t input_bits, const void *text, int32_t byte_length,
                         int32_t output_bits, void *out);
// The first code whose entry equals `unicode`, else 0.
uint32_t codepage_from_unicode(uint32_t unicode);
// Text for the font engine as 16-bit characters in a shared buffer that is
// kept and grown; a UNICODE font takes 32-bit text. Returns the buffer.
const uint16_t *font_text_convert(uint32_t font, const void *text, int32_t length);
void codepage_entry_set(int32_t unicode, int32_t code);
int32_t codepage_entry_get(int32_t code);
