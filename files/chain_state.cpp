// chain_save and chain_restore: the screen written to and rebuilt from the
// chain state stream (chain_state.h).
#include "files/chain_state.h"

#include "core/dos_memory.h"
#include "core/errors.h"
#include "files/file_bytes.h"
#include "files/get_put.h"
#include "files/os_handle.h"
#include "screen/fonts.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/screen_modes.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace
{

// Words and small blocks gather in a buffer of this size; larger blocks move
// straight between the file and the pixels in pieces of CHUNK_BYTES.
constexpr int64_t BUFFER_BYTES = 65536;
constexpr int64_t CHUNK_BYTES = 1 << 20;

void le32_put(uint8_t *out, int32_t v)
{
    for (int i = 0; i < 4; i++)
        out[i] = uint8_t(uint32_t(v) >> (8 * i));
}

int32_t le32_get(const uint8_t *in)
{
    return int32_t(uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 |
                   uint32_t(in[3]) << 24);
}

// The sending side: words and blocks at the file's current position.
class stream_writer
{
  public:
    explicit stream_writer(int32_t f) : f_(f) {}
    ~stream_writer() { flush(); }

    void words(std::initializer_list<int32_t> values)
    {
        for (int32_t v : values) {
            if (used_ + 4 > BUFFER_BYTES)
                flush();
            le32_put(buffer_.get() + used_, v);
            used_ += 4;
        }
    }
    void bytes(const uint8_t *data, int64_t count)
    {
        if (used_ + count <= BUFFER_BYTES) {
            std::memcpy(buffer_.get() + used_, data, size_t(count));
            used_ += count;
            return;
        }
        flush();
        for (int64_t done = 0; done < count && !error_pending; done += CHUNK_BYTES)
            file_write_at(f_, -1, data + done, std::min(CHUNK_BYTES, count - done));
    }
    void flush()
    {
        if (used_ > 0)
            file_write_at(f_, -1, buffer_.get(), used_);
        used_ = 0;
    }

  private:
    int32_t f_;
    int64_t used_ = 0;
    std::unique_ptr<uint8_t[]> buffer_{new uint8_t[BUFFER_BYTES]}; // not zeroed
};

int64_t page_bytes(const image_slot &s)
{
    return int64_t(s.width) * s.height * s.bytes_per_pixel;
}

bool lies_in_dos_memory(const uint8_t *pixels)
{
    return emulated_dos_memory && pixels > emulated_dos_memory &&
           pixels < emulated_dos_memory + DOS_MEMORY_SIZE;
}

void page_write(stream_writer &w, uint32_t page)
{
    const image_slot &s = *image_slot_get(page_table[page]);
    w.words({CHAIN_TAG_PAGE, int32_t(page)});
    w.bytes(s.pixels, page_bytes(s));
    uint8_t record[CHAIN_SLOT_RECORD_BYTES];
    chain_slot_encode(s, record);
    w.bytes(record, CHAIN_SLOT_RECORD_BYTES);
}

// The first page number whose entry is the slot, 0 when none.
int32_t page_of_slot(uint32_t slot)
{
    for (uint32_t page = 0; page < page_table_count; page++)
        if (page_table[page] == slot)
            return int32_t(page);
    return 0;
}

// Every page, the active one last so that the receiver ends on it.
void pages_write(stream_writer &w)
{
    int64_t active = -1;
    for (uint32_t page = 0; page < page_table_count && !error_pending; page++) {
        if (!page_table[page])
            continue;
        if (page_table[page] == write_page.slot)
            active = page;
        else
            page_write(w, page);
    }
    if (active >= 0 && !error_pending)
        page_write(w, uint32_t(active));
}

} // namespace

void chain_save(int32_t f)
{
    if (error_pending || !page_table_count || !page_table[0])
        return;
    stream_writer w(f);
    const image_slot &p0 = *image_slot_get(page_table[0]);
    if (lies_in_dos_memory(p0.pixels)) {
        w.words({CHAIN_TAG_DOS_SCREEN, p0.mode});
        if (p0.text_mode)
            w.words({CHAIN_TAG_TEXT_GRID, p0.width, p0.height});
    } else {
        w.words({CHAIN_TAG_IMAGE_SCREEN, p0.mode, p0.width, p0.height});
    }
    if (p0.font < FONT_FIRST_LOADED)
        w.words({CHAIN_TAG_FONT, int32_t(p0.font)});
    pages_write(w);
    w.words({CHAIN_TAG_PAGES_SHOWN, page_of_slot(write_page.slot),
             page_of_slot(display_page_slot.load(std::memory_order_relaxed))});
    if (p0.bytes_per_pixel < 4 && p0.palette) {
        w.words({CHAIN_TAG_PALETTE});
        for (int32_t i = 0; i < 256; i++)
            w.words({int32_t(p0.palette[i] | 0xFF000000u)});
    }
    w.words({CHAIN_TAG_END});
}

namespace
{

// The receiving side. It learns the bytes left once and checks every read
// against them, so a stream cut short ends the restore instead of repeating a
// word; words come through a read-ahead buffer, and the file's position is
// put back just after the last byte used when the reader goes.
class stream_reader
{
  public:
    stream_reader(int32_t f, int32_t handle) : f_(f), handle_(handle)
    {
        int64_t size = os_handle_size(handle), at = os_handle_tell(handle);
        position_ = at < 0 ? 0 : at;
        end_ = size < 0 || at < 0 || at > size ? position_ : size;
    }
    ~stream_reader()
    {
        if (handle_ >= 0)
            os_handle_seek(handle_, position_);
    }

    bool has(int64_t count) const
    {
        return !error_pending && count >= 0 && count <= end_ - position_;
    }
    bool bytes(uint8_t *dest, int64_t count)
    {
        if (!has(count))
            return false;
        int64_t buffered = std::max<int64_t>(0, buffer_end_ - position_);
        if (count <= buffered || (count <= BUFFER_BYTES && refill())) {
            std::memcpy(dest, buffer_.get() + (position_ - buffer_start_), size_t(count));
        } else {
            for (int64_t done = 0; done < count && !error_pending; done += CHUNK_BYTES)
                file_read_at(f_, position_ + done, dest + done,
                             std::min(CHUNK_BYTES, count - done));
        }
        position_ += count;
        return !error_pending;
    }
    bool word(int32_t *v)
    {
        uint8_t le[4];
        if (!bytes(le, 4))
            return false;
        *v = le32_get(le);
        return true;
    }

  private:
    // Reads ahead from the position; false after a read error.
    bool refill()
    {
        int64_t count = std::min(BUFFER_BYTES, end_ - position_);
        file_read_at(f_, position_, buffer_.get(), count);
        buffer_start_ = position_;
        buffer_end_ = error_pending ? position_ : position_ + count;
        return !error_pending;
    }

    int32_t f_;
    int32_t handle_;
    int64_t position_, end_;
    int64_t buffer_start_ = 0, buffer_end_ = 0;
    std::unique_ptr<uint8_t[]> buffer_{new uint8_t[BUFFER_BYTES]}; // not zeroed
};

// The bytes a page of that mode and size takes, -1 for sizes no page has.
int64_t page_size_of(int32_t mode, int32_t width, int32_t height)
{
    if (width < 1 || width > 0xFFFF || height < 1 || height > 0xFFFF)
        return -1;
    int64_t per_pixel = mode == 0 ? 2 : mode == 32 ? 4 : 1;
    return int64_t(width) * height * per_pixel;
}

// Sections 256 and 258: a classic mode; the text grid through WIDTH.
bool dos_screen_read(stream_reader &r, int32_t *tag)
{
    int32_t mode, columns, rows;
    // A negative mode would name an image to SCREEN: no sender writes one.
    if (!r.word(&mode) || mode < 0)
        return false;
    if (mode != 0)
        rt_screen(mode, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    if (!r.word(tag))
        return false;
    if (*tag != CHAIN_TAG_TEXT_GRID)
        return true;
    if (!r.word(&columns) || !r.word(&rows) || !r.has(page_size_of(0, columns, rows)))
        return false;
    rt_width(0, columns, rows, 3);
    return r.word(tag);
}

// Section 257: a new image of the size becomes the screen.
bool image_screen_read(stream_reader &r, int32_t *tag)
{
    int32_t mode, width, height;
    if (!r.word(&mode) || !r.word(&width) || !r.word(&height) ||
        !r.has(page_size_of(mode, width, height)))
        return false;
    int32_t handle = image_new(width, height, mode, true);
    if (error_pending || handle >= 0)
        return false;
    rt_screen(handle, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    return r.word(tag);
}

// One section 260: the page made active, its pixels, its record.
bool page_read(stream_reader &r)
{
    int32_t page;
    if (!r.word(&page) || page < 0 || page >= CHAIN_PAGE_LIMIT)
        return false;
    // The page's bytes must be in the file before the page is made; a page
    // that exists already has its size, a new one will have page 0's.
    uint32_t known =
        uint32_t(page) < page_table_count && page_table[page] ? page_table[page] : page_table[0];
    if (!known || !r.has(page_bytes(*image_slot_get(known)) + CHAIN_SLOT_RECORD_BYTES))
        return false;
    rt_screen(0, 0, page, 0, 0, SCREEN_ACTIVE_GIVEN | SCREEN_VISUAL_GIVEN);
    if (error_pending)
        return false;
    image_slot *s = image_slot_get(page_table[page]);
    uint8_t record[CHAIN_SLOT_RECORD_BYTES];
    if (!r.bytes(s->pixels, page_bytes(*s)) || !r.bytes(record, CHAIN_SLOT_RECORD_BYTES))
        return false;
    chain_slot_decode(record, s);
    return true;
}

// Section 261: pages that exist become the active and the visual page.
bool pages_shown_read(stream_reader &r)
{
    int32_t active, visual;
    if (!r.word(&active) || !r.word(&visual))
        return false;
    auto exists = [](int32_t p) {
        return p >= 0 && uint32_t(p) < page_table_count && page_table[p] != 0;
    };
    if (exists(active) && exists(visual))
        rt_screen(0, 0, active, visual, 0, SCREEN_ACTIVE_GIVEN | SCREEN_VISUAL_GIVEN);
    return !error_pending;
}

// Section 262: page 0's palette.
bool palette_read(stream_reader &r)
{
    uint8_t words[256 * 4];
    if (!r.bytes(words, sizeof words))
        return false;
    // Page 0 exists and has a palette whenever the sender wrote this section;
    // a stream that claims otherwise gets the error palette_entry_set gives.
    image_slot *p0 = page_table[0] ? image_slot_get(page_table[0]) : nullptr;
    if (!p0 || !p0->palette) {
        palette_entry_set(0, 0, 0, true);
        return false;
    }
    for (int32_t i = 0; i < 256; i++)
        p0->palette[i] = uint32_t(le32_get(words + 4 * i));
    return true;
}

} // namespace

void chain_restore(int32_t f)
{
    if (error_pending)
        return;
    int32_t handle = file_number_handle(f);
    if (handle < 0)
        return;
    stream_reader r(f, handle);
    int32_t tag;
    if (!r.word(&tag))
        return;
    if (tag == CHAIN_TAG_DOS_SCREEN && !dos_screen_read(r, &tag))
        return;
    if (tag == CHAIN_TAG_IMAGE_SCREEN && !image_screen_read(r, &tag))
        return;
    if (tag == CHAIN_TAG_FONT) {
        int32_t font;
        if (!r.word(&font))
            return;
        image_font_set(font, 0, false);
        if (!r.word(&tag))
            return;
    }
    while (tag == CHAIN_TAG_PAGE)
        if (!page_read(r) || !r.word(&tag))
            return;
    if (tag == CHAIN_TAG_PAGES_SHOWN && (!pages_shown_read(r) || !r.word(&tag)))
        return;
    if (tag == CHAIN_TAG_PALETTE && palette_read(r))
        r.word(&tag); // the end tag
}
