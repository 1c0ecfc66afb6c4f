// The INPUT line editor: entry, the editing loop, taking keys back and the
// finish. The field rules live in input_fields.cpp.
#include "screen/input_editor.h"
#include "screen/input_editor_internal.h"

#include "core/control_words.h"
#include "core/program_thread.h"
#include "core/errors.h"
#include "core/rnd.h"
#include "core/strings.h"
#include "display/keyboard.h"
#include "display/window_state.h"
#include "platform/clock.h"
#include "screen/image_slots.h"
#include "screen/images.h"
#include "screen/screen_modes.h"
#include "screen/text_output.h"
#include "screen/text_output_internal.h"

#include <cstring>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

constexpr uint32_t KEY_POLL_MS = 10;
constexpr int32_t NO_KEY = -1;
constexpr int32_t EXIT_KEY = -2;
constexpr int32_t TAB_STOP = 8;

// The target table the compiled statement fills; entry i at index i - 1.
std::vector<input_target> target_table;

// The editor's state for one INPUT statement.
struct editor {
    const input_target *targets;
    int32_t count;
    bool line_mode;
    bool console;
    std::string line;
    std::vector<input_value> values;
    int32_t tabs_pending = 0;
    uint32_t temp_mark;
    // The write page and what entry saved of it.
    uint32_t page_slot;
    image_slot *page;
    int16_t entry_col, entry_row;
    uint8_t entry_wrap;
    uint8_t entry_cursor_shown;
    int32_t entry_auto_display;
    uint32_t entry_read_slot;
    // The two snapshots: the page at entry, and the copy redrawing works on.
    uint32_t pristine_slot = 0;
    uint32_t work_slot = 0;
    // The cursor the editor draws itself on graphics pages.
    bool cursor_drawn = false;
    int32_t cursor_x, cursor_y, cursor_w, cursor_h;
};

uint64_t page_bytes(const image_slot *r)
{
    return uint64_t(r->width) * r->height * r->bytes_per_pixel;
}

// ---- The cursor on graphics pages -------------------------------------------

// Inverts the cursor's pixels (XOR with the fore colour; the alpha of 32-bit
// pixels is kept).
void cursor_invert(editor &ed)
{
    image_slot *r = ed.page;
    const uint32_t mask = r->bytes_per_pixel == 4 ? 0x00FFFFFFu : r->color_mask;
    const uint32_t flip = r->fore_color & mask;
    for (int32_t y = ed.cursor_y; y < ed.cursor_y + ed.cursor_h; y++) {
        if (y < 0 || y >= r->height)
            continue;
        for (int32_t x = ed.cursor_x; x < ed.cursor_x + ed.cursor_w; x++) {
            if (x < 0 || x >= r->width)
                continue;
            const uint64_t at = uint64_t(y) * r->width + x;
            if (r->bytes_per_pixel == 4)
                reinterpret_cast<uint32_t *>(r->pixels)[at] ^= flip;
            else
                r->pixels[at] ^= uint8_t(flip);
        }
    }
}

// Shows or hides the cursor on a graphics page: a steady whole cell on the
// classic modes with a built-in font, else a bar one pixel wide that blinks
// with bit 9 of the millisecond counter. Redraws only on a change.
void cursor_update(editor &ed)
{
    image_slot *r = ed.page;
    if (r->text_mode || ed.console)
        return;
    const text_layout lay = text_layout_of(r);
    const bool cell = r->mode >= 1 && r->mode <= 13 && r->font < 32 && !lay.proportional;
    const bool shown = cell || (clock_now_ms() & 512) == 0;
    if (shown == ed.cursor_drawn)
        return;
    if (shown) {
        ed.cursor_x = lay.proportional ? r->cursor_col - 1 : (r->cursor_col - 1) * lay.cell_w;
        ed.cursor_y = (r->cursor_row - 1) * lay.cell_h;
        ed.cursor_w = cell ? lay.cell_w : 1;
        ed.cursor_h = lay.cell_h;
    }
    cursor_invert(ed);
    ed.cursor_drawn = shown;
}

void cursor_remove(editor &ed)
{
    if (ed.cursor_drawn)
        cursor_invert(ed);
    ed.cursor_drawn = false;
}

// ---- Keys -------------------------------------------------------------------

// One character from standard input, LF as CR; NO_KEY after a 10 ms wait
// when none is ready or the input has ended.
int32_t console_key_read()
{
    pollfd p{STDIN_FILENO, POLLIN, 0};
    uint8_t c;
    if (poll(&p, 1, 0) == 1 && (p.revents & POLLIN) && read(STDIN_FILENO, &c, 1) == 1)
        return c == '\n' ? '\r' : c;
    clock_sleep_ms(KEY_POLL_MS);
    return NO_KEY;
}

// One key of INKEY$ after a 10 ms wait; extended (two-byte) keys count as
// none.
int32_t inkey_key_read()
{
    clock_sleep_ms(KEY_POLL_MS);
    const string_descriptor *s = rt_inkey_str();
    return s && s->len == 1 ? s->chr[0] : NO_KEY;
}

// Waits for the next key: a pending Tab blank first. EXIT_KEY once the
// runtime loop has acknowledged the end of the program.
int32_t key_wait(editor &ed)
{
    if (ed.tabs_pending > 0) {
        ed.tabs_pending--;
        return ' ';
    }
    for (;;) {
        cursor_update(ed);
        const int32_t key = ed.console ? console_key_read() : inkey_key_read();
        temp_strings_release(ed.temp_mark);
        if (exit_acknowledged.load(std::memory_order_relaxed)) {
            cursor_remove(ed);
            return EXIT_KEY;
        }
        if (key != NO_KEY) {
            cursor_remove(ed);
            return key;
        }
        // A long wait serves a pause, traps and errors like a statement end.
        if (event_pending.load(std::memory_order_relaxed))
            statement_event_check(0);
    }
}

// ---- The line ---------------------------------------------------------------

void echo(uint8_t c)
{
    print_bytes(&c, 1, false);
}

// Redraws the line from the snapshot after its end was dropped: the page at
// entry is copied onto the work copy, the line printed there again from the
// entry cursor, and the result copied onto the page in one step, so that the
// frame builder never shows a half-drawn line.
void line_redraw(editor &ed)
{
    if (ed.console)
        return;
    image_slot *work = image_slot_get(ed.work_slot);
    std::memcpy(work->pixels, image_slot_get(ed.pristine_slot)->pixels, page_bytes(work));
    write_page_select(ed.work_slot);
    work->cursor_col = ed.entry_col;
    work->cursor_row = ed.entry_row;
    work->pending_wrap = ed.entry_wrap;
    for (char c : ed.line)
        echo(uint8_t(c));
    write_page_select(ed.page_slot);
    std::memcpy(ed.page->pixels, work->pixels, page_bytes(work));
    ed.page->cursor_col = work->cursor_col;
    ed.page->cursor_row = work->cursor_row;
    ed.page->pending_wrap = work->pending_wrap;
}

// Checks the line, taking back its last character until it is valid, and
// stores the valid line's values (targets without a field are cleared).
void line_settle(editor &ed)
{
    for (;;) {
        const auto *text = reinterpret_cast<const uint8_t *>(ed.line.data());
        const int32_t fields = input_line_check(text, int32_t(ed.line.size()), ed.targets, ed.count,
                                                ed.line_mode, ed.values.data());
        if (fields >= 0 || ed.line.empty()) {
            for (int32_t k = 0; k < ed.count; k++)
                input_target_store(ed.targets[k], text, k < fields ? &ed.values[k] : nullptr);
            return;
        }
        ed.line.pop_back();
        line_redraw(ed);
    }
}

// Acts on one key; false for Enter.
bool key_apply(editor &ed, int32_t key)
{
    switch (key) {
    case 7:
        echo(7); // the bell
        break;
    case 10:
    case 11:
    case 12:
    case 28:
    case 29:
    case 30:
    case 31:
        break;
    case 9:
        ed.tabs_pending = TAB_STOP - int32_t(ed.line.size()) % TAB_STOP;
        break;
    case 13:
        return false;
    case 8:
        if (!ed.line.empty()) {
            ed.line.pop_back();
            line_redraw(ed);
        }
        break;
    default:
        if (int32_t(ed.line.size()) >= INPUT_LINE_MAX)
            break;
        ed.line += char(key);
        if (!ed.console)
            echo(uint8_t(key));
        break;
    }
    return true;
}

// ---- Entry and finish -------------------------------------------------------

// Turns automatic display on, makes the write page the read page, takes the
// snapshots and clears the targets. False (after error 516 or 517) when a
// snapshot cannot be made.
bool editor_enter(editor &ed)
{
    ed.entry_auto_display = auto_display.exchange(1);
    ed.entry_read_slot = read_page.slot;
    ed.page_slot = write_page.slot;
    ed.page = write_page.record;
    read_page_select(ed.page_slot);
    const int32_t pristine = image_copy(0, 0, 0);
    const int32_t work = pristine == -1 ? -1 : image_copy(0, 0, 0);
    if (work == -1) {
        if (pristine != -1)
            image_release(uint32_t(-pristine));
        error_raise(pristine == -1 ? 516 : 517);
        auto_display.store(ed.entry_auto_display);
        read_page_select(ed.entry_read_slot);
        return false;
    }
    ed.pristine_slot = uint32_t(-pristine);
    ed.work_slot = uint32_t(-work);
    ed.console = ed.page->console;
    ed.entry_col = ed.page->cursor_col;
    ed.entry_row = ed.page->cursor_row;
    ed.entry_wrap = ed.page->pending_wrap;
    ed.entry_cursor_shown = ed.page->cursor_shown;
    ed.page->cursor_shown = 1;
    ed.temp_mark = string_temp_count;
    for (int32_t k = 0; k < ed.count; k++)
        input_target_store(ed.targets[k], nullptr, nullptr);
    return true;
}

// Back to manual display when it was off at entry: the frame builder makes
// the switch with its next frame. The wait is skipped when no builder runs,
// the window is hidden or the program is ending, so it cannot hang.
void manual_display_restore()
{
    auto_display.store(-1);
    while (auto_display.load() == -1 && frame_builder_started.load(std::memory_order_acquire) &&
           !window_hidden.load(std::memory_order_relaxed) &&
           !exit_acknowledged.load(std::memory_order_relaxed))
        clock_sleep_ms(1);
}

// Ends the line (unless the program is ending), frees the snapshots and puts
// back the cursor setting, the display mode and the read page.
void editor_finish(editor &ed, bool newline, bool exiting)
{
    if (newline && !exiting && !ed.console)
        print_bytes(nullptr, 0, true);
    temp_strings_release(ed.temp_mark);
    ed.page->cursor_shown = ed.entry_cursor_shown;
    image_release(ed.pristine_slot);
    image_release(ed.work_slot);
    if (ed.entry_auto_display != 1)
        manual_display_restore();
    read_page_select(ed.entry_read_slot);
}

// The editor over a list of targets.
void input_run(const input_target *targets, int32_t count, bool newline)
{
    editor ed{};
    ed.targets = targets;
    ed.count = count;
    ed.line_mode =
        (targets[0].type_word & INPUT_TYPE_STRING) && (targets[0].type_word & INPUT_TYPE_LINE);
    ed.values.resize(size_t(count));
    if (!editor_enter(ed))
        return;
    for (;;) {
        line_settle(ed);
        const int32_t key = key_wait(ed);
        if (key == EXIT_KEY) {
            editor_finish(ed, newline, true);
            return;
        }
        if (!key_apply(ed, key))
            break;
    }
    editor_finish(ed, newline, false);
}

} // namespace

void input_target_set(int32_t index, void *variable, uint32_t type_word)
{
    if (index < 1)
        return;
    if (size_t(index) > target_table.size())
        target_table.resize(size_t(index));
    target_table[size_t(index) - 1] = {variable, type_word};
}

void rt_input(int32_t count, int32_t newline)
{
    if (error_pending.load(std::memory_order_relaxed))
        return;
    if (count < 1 || size_t(count) > target_table.size()) {
        error_raise(5);
        return;
    }
    for (int32_t k = 0; k < count; k++) {
        if (!input_type_valid(target_table[size_t(k)].type_word)) {
            error_raise(5);
            return;
        }
    }
    input_run(target_table.data(), count, newline != 0);
}

int32_t randomize_seed_input(const char *prompt)
{
    if (error_pending.load(std::memory_order_relaxed))
        return 0;
    print_bytes(reinterpret_cast<const uint8_t *>(prompt), int32_t(std::strlen(prompt)), false);
    int16_t seed = 0;
    const input_target target{&seed, 16};
    input_run(&target, 1, true);
    return seed;
}

void input_editor_install()
{
    randomize_prompt_hook_set(randomize_seed_input);
}
