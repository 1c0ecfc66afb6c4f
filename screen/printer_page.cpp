// The printer page: LPRINT prints on an image that stands for the printer's
// current sheet; the runtime loop thread ejects a sheet left alone for 10 s.
//
// The sheet is shared by two threads. One word says who may touch it: the
// program thread while it prints (or measures TAB and SPC for LPRINT), the
// runtime loop thread while it ejects. The loop only tries once a pass and
// skips the pass when the sheet is taken; the program thread waits in 64 ms
// steps. The loop never touches the write page or any other program state.
#include "screen/text_output.h"
#include "screen/text_output_internal.h"

#include "core/errors.h"
#include "core/strings.h"
#include "platform/clock.h"
#include "screen/image_slots.h"
#include "screen/key_bar.h"

std::atomic<uint32_t> printer_page_slot{0};
std::atomic<uint32_t> printer_page_dirty{0};

namespace {

constexpr uint32_t OWNER_NONE = 0;
constexpr uint32_t OWNER_PROGRAM = 1;
constexpr uint32_t OWNER_LOOP = 2;
constexpr uint32_t OWNER_WAIT_MS = 64;
constexpr int64_t IDLE_EJECT_MS = 10000;

constexpr int32_t SHEET_WIDTH_PX = 640;
constexpr int32_t SHEET_HEIGHT_PX = 960;
constexpr int32_t SHEET_MODE = 13;
constexpr uint32_t SHEET_FONT = 16;
constexpr int16_t SHEET_ROWS = 60;
constexpr uint32_t SHEET_INK = 0;
constexpr uint32_t SHEET_PAPER = 15;

std::atomic<uint32_t> sheet_owner{OWNER_NONE};
std::atomic<image_slot *> sheet_record{nullptr};
std::atomic<int64_t> sheet_last_print_ms{0};
// Nested holds of the program thread: a trap that runs during a bell inside
// LPRINT may LPRINT itself. Program thread only.
uint32_t program_holds = 0;

// A fresh sheet: black ink on white paper, 60 rows of font 16.
image_slot *sheet_make()
{
    uint32_t slot = image_create(SHEET_WIDTH_PX, SHEET_HEIGHT_PX, SHEET_MODE);
    if (!slot) {
        error_raise(257);
        return nullptr;
    }
    image_slot *r = image_slot_get(slot);
    page_clear(r, CLS_NO_METHOD, SHEET_PAPER);
    image_font_apply(SHEET_FONT, r);
    r->fore_color = r->draw_color = SHEET_INK;
    r->back_color = SHEET_PAPER;
    r->view_print_top = 1;
    r->view_print_bottom = SHEET_ROWS;
    printer_page_slot.store(slot, std::memory_order_relaxed);
    sheet_record.store(r, std::memory_order_release);
    return r;
}

} // namespace

void printer_page_out(const image_slot *) {}

image_slot *printer_page_acquire()
{
    if (program_holds == 0) {
        uint32_t expected = OWNER_NONE;
        while (!sheet_owner.compare_exchange_strong(expected, OWNER_PROGRAM,
                                                    std::memory_order_acquire)) {
            expected = OWNER_NONE;
            clock_sleep_ms(OWNER_WAIT_MS);
        }
    }
    program_holds++;
    image_slot *r = sheet_record.load(std::memory_order_relaxed);
    if (!r)
        r = sheet_make();
    if (!r)
        printer_page_release();
    return r;
}

void printer_page_release()
{
    if (program_holds > 0 && --program_holds == 0)
        sheet_owner.store(OWNER_NONE, std::memory_order_release);
}

void printer_page_print(string_descriptor *text, int32_t newline)
{
    image_slot *sheet = error_pending ? nullptr : printer_page_acquire();
    if (sheet) {
        uint32_t saved_mode = printer_mode;
        uint32_t saved_page = write_page.slot;
        printer_mode = 1;
        write_page_select(printer_page_slot.load(std::memory_order_relaxed));
        printer_page_dirty.store(1, std::memory_order_relaxed);
        sheet_last_print_ms.store(clock_now_ms(), std::memory_order_relaxed);
        print_bytes(text ? text->chr : nullptr, text ? text->len : 0, newline != 0);
        write_page_select(saved_page);
        printer_mode = saved_mode;
        printer_page_release();
    }
    if (text && text->tmp)
        string_free(text);
}

int32_t rt_lpos(int32_t n)
{
    if (error_pending)
        return 0;
    if (n < 0 || n > 3) {
        error_raise(5);
        return 0;
    }
    return printer_column;
}

void printer_page_poll()
{
    uint32_t expected = OWNER_NONE;
    if (!sheet_owner.compare_exchange_strong(expected, OWNER_LOOP, std::memory_order_acquire))
        return;
    image_slot *r = sheet_record.load(std::memory_order_acquire);
    if (r && printer_page_dirty.load(std::memory_order_relaxed) &&
        clock_now_ms() - sheet_last_print_ms.load(std::memory_order_relaxed) >= IDLE_EJECT_MS) {
        printer_page_out(r);
        printer_page_dirty.store(0, std::memory_order_relaxed);
        page_clear(r, CLS_NO_METHOD, SHEET_PAPER);
    }
    sheet_owner.store(OWNER_NONE, std::memory_order_release);
}

void printer_page_flush()
{
    // The program thread has stopped for good by now; the hook only looks.
    const image_slot *r = sheet_record.load(std::memory_order_acquire);
    if (r && printer_page_dirty.load(std::memory_order_relaxed))
        printer_page_out(r);
}

void text_output_reset()
{
    control_chars_as_glyphs = 0;
    printer_mode = 0;
    printer_column = 1;
    printer_page_slot.store(0, std::memory_order_relaxed);
    printer_page_dirty.store(0, std::memory_order_relaxed);
    sheet_record.store(nullptr, std::memory_order_relaxed);
    sheet_last_print_ms.store(0, std::memory_order_relaxed);
    sheet_owner.store(OWNER_NONE, std::memory_order_relaxed);
    program_holds = 0;
    key_list_print = print_bytes;
}
