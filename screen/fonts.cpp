#include "screen/fonts.h"

#include "core/errors.h"
#include "core/strings.h"
#include "screen/data/screen_data.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/screen_modes.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

font_table_t font_table{};
uint8_t glyphs_8x8[GLYPHS_8X8_BYTES];
uint8_t glyphs_8x16[GLYPHS_8X16_BYTES];

namespace {

constexpr uint32_t FONT_TABLE_START = 49;

void font_table_release()
{
    std::free(font_table.engine_handle);
    std::free(font_table.height_px);
    std::free(font_table.width_px);
    std::free(font_table.flags);
    font_table = {};
}

// Grows the four arrays to hold index `top` (new entries zero).
bool font_table_grow(uint32_t top)
{
    uint32_t old_count = font_table.engine_handle ? font_table.top + 1 : 0;
    uint32_t count = top + 1;
    if (count <= old_count)
        return true;
    uint32_t **arrays[4] = {&font_table.engine_handle, &font_table.height_px,
                            &font_table.width_px, &font_table.flags};
    for (uint32_t **a : arrays) {
        auto *grown = static_cast<uint32_t *>(std::realloc(*a, size_t(count) * sizeof(uint32_t)));
        if (!grown)
            return false;
        std::memset(grown + old_count, 0, size_t(count - old_count) * sizeof(uint32_t));
        *a = grown;
    }
    font_table.top = top;
    return true;
}

bool font_is_loaded(int32_t font)
{
    return font >= int32_t(FONT_FIRST_LOADED) && uint32_t(font) <= font_table.top &&
           font_table.engine_handle[font] != 0;
}

bool font_is_builtin(int32_t font)
{
    return font == 8 || font == 9 || font == 14 || font == 15 || font == 16 || font == 17;
}

// Parses the FONT option words into flags. False for an unknown or repeated
// word.
bool font_options_parse(const string_descriptor *options, uint32_t *flags)
{
    static const char *const words[] = {"BOLD",      "ITALIC",    "UNDERLINE",
                                        "DONTBLEND", "MONOSPACE", "UNICODE"};
    *flags = 0;
    if (!options || options->len <= 0)
        return true;
    std::string text(reinterpret_cast<const char *>(options->chr), size_t(options->len));
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        std::string word = text.substr(start, comma - start);
        size_t first = word.find_first_not_of(' ');
        size_t last = word.find_last_not_of(' ');
        word = first == std::string::npos ? "" : word.substr(first, last - first + 1);
        for (char &c : word)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        uint32_t bit = 0;
        for (uint32_t i = 0; i < 6; i++)
            if (word == words[i])
                bit = 1u << i;
        if (!bit || (*flags & bit))
            return false;
        *flags |= bit;
        start = comma + 1;
    }
    return true;
}

// Reads a whole file into a new buffer; null when it cannot be read.
uint8_t *font_file_read(const string_descriptor *name, int64_t *size)
{
    std::string path(reinterpret_cast<const char *>(name->chr), size_t(name->len));
    for (char &c : path)
        if (c == '\\')
            c = '/';
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    uint8_t *buffer = nullptr;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        buffer = static_cast<uint8_t *>(std::malloc(size_t(st.st_size) + 1));
    int64_t done = 0;
    while (buffer && done < st.st_size) {
        ssize_t n = read(fd, buffer + done, size_t(st.st_size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            std::free(buffer);
            buffer = nullptr;
            break;
        }
        done += n;
    }
    close(fd);
    *size = done;
    return buffer;
}

} // namespace

void fonts_static_init()
{
    font_table_release();
    if (!font_table_grow(FONT_TABLE_START - 1))
        error_raise(257);
}

void fonts_builtin_fill()
{
    static const uint32_t numbers[6] = {8, 14, 16, 9, 15, 17};
    static const uint32_t heights[6] = {8, 14, 16, 8, 14, 16};
    for (int i = 0; i < 6; i++) {
        uint32_t f = numbers[i];
        font_table.engine_handle[f] = 0;
        font_table.height_px[f] = heights[i];
        font_table.width_px[f] = i < 3 ? 8 : 16;
        font_table.flags[f] = FONT_MONOSPACE;
    }
}

void glyph_tables_load()
{
    for (size_t i = 0; i < STORED_GLYPHS_8X8_SIZE; i++)
        for (int bit = 0; bit < 8; bit++)
            glyphs_8x8[i * 8 + bit] = (stored_glyphs_8x8[i] >> (7 - bit) & 1) ? 0xFF : 0;
    for (size_t i = 0; i < STORED_GLYPHS_8X16_SIZE; i++)
        for (int bit = 0; bit < 8; bit++)
            glyphs_8x16[i * 8 + bit] = (stored_glyphs_8x16[i] >> (7 - bit) & 1) ? 0xFF : 0;
}

uint32_t font_height_of(uint32_t font)
{
    return font_table.height_px && font <= font_table.top ? font_table.height_px[font] : 0;
}

uint32_t font_width_of(uint32_t font)
{
    return font_table.width_px && font <= font_table.top ? font_table.width_px[font] : 0;
}

const uint8_t *font_glyph(uint32_t font, uint8_t code)
{
    switch (font) {
    case 8: return glyphs_8x8 + code * 64;
    case 14: return glyphs_8x16 + code * 128 + 8;
    case 16: return glyphs_8x16 + code * 128;
    default: return nullptr;
    }
}

int32_t font_load(string_descriptor *file_name, int32_t size_px, string_descriptor *options)
{
    if (error_pending)
        return 0;
    if (size_px <= 0) {
        error_raise(5);
        return 0;
    }
    if (size_px > 2048 || !file_name || file_name->len <= 0)
        return -1;
    uint32_t flags;
    if (!font_options_parse(options, &flags)) {
        error_raise(5);
        return 0;
    }
    return font_load_plain(file_name, size_px, flags);
}

int32_t font_load_plain(string_descriptor *file_name, int32_t size_px, uint32_t flags)
{
    if (error_pending)
        return 0;
    if (size_px <= 0) {
        error_raise(5);
        return 0;
    }
    if (size_px > 2048 || !file_name || file_name->len <= 0)
        return -1;
    int64_t size = 0;
    uint8_t *bytes = font_file_read(file_name, &size);
    if (!bytes)
        return -1;
    uint32_t handle = font_engine_make(bytes, size, size_px, flags);
    std::free(bytes);
    if (!handle)
        return -1;
    uint32_t font = FONT_FIRST_LOADED;
    while (font <= font_table.top && font_table.engine_handle[font])
        font++;
    if (!font_table_grow(font)) {
        font_engine_release(handle);
        error_raise(257);
        return -1;
    }
    font_table.engine_handle[font] = handle;
    font_table.height_px[font] = uint32_t(size_px);
    font_table.width_px[font] = uint32_t(font_engine_fixed_width(handle));
    font_table.flags[font] = flags;
    return int32_t(font);
}

void image_font_set(int32_t font, int32_t handle, bool given)
{
    if (error_pending)
        return;
    if (!font_is_builtin(font) && !font_is_loaded(font)) {
        error_raise(258);
        return;
    }
    image_slot *r = image_handle_record(handle, given);
    if (!r)
        return;
    if (r->text_mode && !(font_table.flags[font] & FONT_MONOSPACE)) {
        error_raise(5);
        return;
    }
    if (!(r->text_mode && (r->flags & IMAGE_FLAG_SCREEN_PAGE))) {
        image_font_apply(uint32_t(font), r);
        return;
    }
    bool paused = frame_builder_pause_begin();
    frame_previous_valid.store(0, std::memory_order_relaxed);
    for (uint32_t page = 0; page < page_table_count; page++)
        if (page_table[page])
            image_slot_get(page_table[page])->font = uint32_t(font);
    frame_builder_pause_end(paused);
}

int32_t image_font_get(int32_t handle, bool given)
{
    if (error_pending)
        return 0;
    image_slot *r = image_handle_record(handle, given);
    return r ? int32_t(r->font) : 0;
}

// The font that font_width and font_height describe; -1 after error 258.
static int32_t font_query_number(int32_t font, bool given)
{
    if (!given)
        return write_page.record ? int32_t(write_page.record->font) : -1;
    if (font == 8 || font == 14 || font == 16 || font_is_loaded(font))
        return font;
    error_raise(258);
    return -1;
}

int32_t font_width(int32_t font, bool given)
{
    if (error_pending)
        return 0;
    int32_t f = font_query_number(font, given);
    return f < 0 ? 0 : int32_t(font_width_of(uint32_t(f)));
}

int32_t font_height(int32_t font, bool given)
{
    if (error_pending)
        return 0;
    int32_t f = font_query_number(font, given);
    return f < 0 ? 0 : int32_t(font_height_of(uint32_t(f)));
}

void font_free(int32_t font)
{
    if (error_pending)
        return;
    if (!font_is_loaded(font)) {
        error_raise(258);
        return;
    }
    for (uint32_t slot = 0; slot < slots_used; slot++) {
        const image_slot *r = image_slot_get(slot);
        if (r->in_use && r->font == uint32_t(font)) {
            error_raise(5);
            return;
        }
    }
    font_engine_release(font_table.engine_handle[font]);
    font_table.engine_handle[font] = 0;
}

int32_t font_engine_render8(uint32_t, const uint8_t *, int32_t, uint8_t **, int32_t *) { return 0; }
int32_t font_engine_render32(uint32_t, const uint32_t *, int32_t, uint8_t **, int32_t *)
{
    return 0;
}
uint32_t font_engine_make(const uint8_t *, int64_t, int32_t, uint32_t) { return 0; }
int32_t font_engine_fixed_width(uint32_t) { return 0; }
void font_engine_release(uint32_t) {}
