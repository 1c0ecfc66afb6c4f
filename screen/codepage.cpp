#include "screen/codepage.h"

#include "core/errors.h"
#include "screen/data/screen_data.h"
#include "screen/fonts.h"

#include <cstdlib>
#include <cstring>

uint16_t codepage_table[256];

// Shared output buffer of font_text_convert; kept and grown.
static uint16_t *font_text_buffer = nullptr;
static uint64_t font_text_capacity = 0;

void codepage_load() { std::memcpy(codepage_table, stored_codepage_437, sizeof codepage_table); }

int32_t codepage_convert(int32_t input_bits, const void *text, int32_t byte_length,
                         int32_t output_bits, void *out)
{
    // 1-byte text may be named by its width in bytes (1) or in bits (8).
    if (input_bits == 1)
        input_bits = 8;
    if ((input_bits != 8 && input_bits != 16 && input_bits != 32) ||
        (output_bits != 16 && output_bits != 32) || byte_length < 0)
        return -1;
    int32_t count = byte_length / (input_bits / 8);
    for (int32_t i = 0; i < count; i++) {
        uint32_t c;
        if (input_bits == 8)
            c = codepage_table[static_cast<const uint8_t *>(text)[i]];
        else if (input_bits == 16)
            c = static_cast<const uint16_t *>(text)[i];
        else
            c = static_cast<const uint32_t *>(text)[i];
        if (output_bits == 16)
            static_cast<uint16_t *>(out)[i] = uint16_t(c);
        else
            static_cast<uint32_t *>(out)[i] = c;
    }
    if (output_bits == 16)
        static_cast<uint16_t *>(out)[count] = 0;
    else
        static_cast<uint32_t *>(out)[count] = 0;
    return count;
}

uint32_t codepage_from_unicode(uint32_t unicode)
{
    for (uint32_t code = 0; code < 256; code++)
        if (codepage_table[code] == unicode)
            return code;
    return 0;
}

const uint16_t *font_text_convert(uint32_t font, const void *text, int32_t length)
{
    if (length < 0)
        length = 0;
    bool wide = font > 0 && font <= font_table.top && (font_table.flags[font] & FONT_UNICODE);
    int32_t bytes = wide && length == 1 ? 4 : length;
    uint64_t need = (uint64_t(bytes) + 1) * 4;
    if (need > font_text_capacity) {
        auto *grown = static_cast<uint16_t *>(std::realloc(font_text_buffer, need));
        if (!grown) {
            error_raise(257);
            return font_text_buffer;
        }
        font_text_buffer = grown;
        font_text_capacity = need;
    }
    codepage_convert(wide ? 32 : 8, text, bytes, 16, font_text_buffer);
    return font_text_buffer;
}

void codepage_entry_set(int32_t unicode, int32_t code)
{
    if (error_pending)
        return;
    if (unicode < 0 || unicode > 65535 || code < 0 || code > 255) {
        error_raise(5);
        return;
    }
    codepage_table[code] = uint16_t(unicode);
}

int32_t codepage_entry_get(int32_t code)
{
    if (error_pending)
        return 0;
    if (code < 0 || code > 255) {
        error_raise(5);
        return 0;
    }
    return codepage_table[code];
}
